#pragma once
// Saving what the view shows as a 24-bit bitmap.

#include <string>

namespace render {

// "capture-YYMMDD-HHMMSS.bmp" from the local date and time, in the working directory.
std::string CaptureFileName();

// Reads the 3D view's pixels from the current frame buffer and writes them to the file (none:
// CaptureFileName()). Answers the name written; raises KR::ErrorMem or the writer's
// KR::ErrorFile.
std::string CaptureScene(const char* file_name = nullptr);

}  // namespace render
