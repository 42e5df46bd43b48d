#pragma once

#include <string>

namespace KR {

// The whole file's bytes, read raw (the string keeps its terminating zero).
// Raises KR::ErrorFile "KR::LoadTextFile: Failed to open the file." when it cannot be read.
std::string LoadTextFile(const char* file_name);

}  // namespace KR
