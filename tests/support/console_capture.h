#pragma once
// Collects what the console log writes while it lives.

#include <iostream>
#include <sstream>
#include <string>

#include "kr/base/console.h"

namespace QorTest {

class ConsoleCapture {
  public:
    ConsoleCapture() { KR::console.SetStream(&text); }
    ~ConsoleCapture() { KR::console.SetStream(&std::cout); }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    std::string str() const { return text.str(); }

  private:
    std::ostringstream text;
};

}  // namespace QorTest
