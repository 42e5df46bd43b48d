#pragma once
// The name every resource kept by name (textures, materials, shaders) begins with.

#include <cstring>

namespace KR {

struct NamedResource {
    static constexpr int kNameSize = 32;

    // Keeps at most 31 characters; answers 1 when the stored name fits, as it always does.
    int SetName(const char* text) {
        std::memset(name, 0, sizeof name);
        if (text) std::strncpy(name, text, kNameSize - 1);
        return std::strlen(name) < kNameSize ? 1 : -1;
    }

    char name[kNameSize] = {};
};

}  // namespace KR
