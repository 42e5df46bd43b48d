#pragma once
// Data files the program only reads (shader sources, tex/) lie beside the executable, in the
// build tree as in an installed tree; a file not found there is taken from the working
// directory.

#include <string>

namespace KR {

// The path to open for a data file named relative to the program, for example "tex/norm.bmp".
std::string DataFilePath(const std::string& name);

// The folder of the running executable (with a trailing '/'), or empty when unknown.
const std::string& ExecutableFolder();

}  // namespace KR
