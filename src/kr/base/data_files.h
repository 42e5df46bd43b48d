#pragma once
// Data files (shaders, tex/) are looked up beside the executable, which holds them in the
// build tree, then in <prefix>/share/qor/ of an installed program; a file not found there is
// taken from the working directory.

#include <string>

namespace KR {

// The path to open for a data file named relative to the program, for example "tex/norm.bmp".
std::string DataFilePath(const std::string& name);

// The folder of the running executable (with a trailing '/'), or empty when unknown.
const std::string& ExecutableFolder();

}  // namespace KR
