#pragma once
// A scratch folder per test program, removed at exit.

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

namespace QorTest {

inline std::filesystem::path ScratchDir() {
    static const struct Scratch {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("qor-test-" + std::to_string(::getpid()));
        Scratch() { std::filesystem::create_directories(path); }
        ~Scratch() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } scratch;
    return scratch.path;
}

inline std::string ScratchFile(const std::string& name) {
    return (ScratchDir() / name).string();
}

inline std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

}  // namespace QorTest
