#include "kr/base/console.h"

namespace KR {

Console console;

void Console::Init(const char* log_file_name) {
    if (log.is_open()) log.close();
    if (log_file_name == nullptr) return;
    log.open(log_file_name, std::ios::out | std::ios::trunc | std::ios::binary);
    // A log that cannot be written must not stop the program; say so where we still can.
    if (!log.is_open() && out) {
        *out << "Can't open the log file " << log_file_name << ", logging to the console only.\n";
        out->flush();
    }
}

void Console::Close() {
    if (out) out->flush();
    if (log.is_open()) log.close();
}

}  // namespace KR
