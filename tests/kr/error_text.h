#pragma once

#include <string>

#include "kr/base/error.h"

namespace QorTest {

// The message of the error of type E the call raises (with the file, parameter or code the
// error carries when full), "" when it raises none.
template <class E = KR::Error, class Call>
std::string ErrorOf(Call call, bool full = false) {
    try {
        call();
    } catch (const E& e) {
        return full ? e.FullText() : e.Message();
    }
    return "";
}

}  // namespace QorTest
