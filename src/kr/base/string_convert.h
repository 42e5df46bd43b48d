#pragma once
// Text to number, read as stream extraction reads it: leading white space is skipped, the
// longest number at the start is taken and anything after it is ignored ("12abc" is 12).
// No number at the start, a missing text (nullptr) or a value out of range raises
// KR::ErrorParam "...: Conversion error!". Independent of the process locale.

namespace KR {

int StringToInt(const char* text);
float StringToFloat(const char* text);

}  // namespace KR
