#pragma once
// The info log of a shader or program object, written to the console. A driver that would
// run the object in software says so in the log, and the program treats that as a failure.

#include <cstdint>
#include <string_view>

namespace KR {

// Writes the object's info log to the console (nothing when it is empty); true when the log
// mentions "software".
bool PrintInfoLog(uint32_t object);

// Whether a log says the driver would run the object in software.
bool LogMentionsSoftware(std::string_view log);

}  // namespace KR
