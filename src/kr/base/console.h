#pragma once
// The console log: every line goes to standard output and, when open, to the log file.
// Each write is flushed at once on both, so nothing is lost if the program dies.

#include <fstream>
#include <iostream>
#include <ostream>

namespace KR {

class Console {
  public:
    // Opens the log file (created or truncated) when a name is given.
    void Init(const char* log_file_name);
    void Close();

    bool HasLogFile() const { return log.is_open(); }

    // Where the console half of each write goes (standard output unless replaced).
    void SetStream(std::ostream* stream) { out = stream; }

    template <class T>
    Console& operator<<(const T& value) {
        if (out) {
            *out << value;
            out->flush();
        }
        if (log.is_open()) {
            log << value;
            log.flush();
        }
        return *this;
    }

  private:
    std::ostream* out = &std::cout;
    std::ofstream log;
};

// The program's one console log.
extern Console console;

}  // namespace KR
