#include "kr/base/error.h"

#include <cstdio>
#include <iostream>
#include <mutex>

namespace KR {
namespace {

void WriteToStandardError(const std::string& text, const std::string& caption) {
    std::cerr << caption << ": " << text << std::endl;
}

std::mutex error_mutex;
ErrorDisplay error_display = WriteToStandardError;
FILE* mirror_file = nullptr;

}  // namespace

void SetErrorDisplay(ErrorDisplay display) {
    std::lock_guard lock(error_mutex);
    error_display = display ? std::move(display) : ErrorDisplay(WriteToStandardError);
}

void ErrorSetFile(const char* file_name) {
    std::lock_guard lock(error_mutex);
    if (file_name == nullptr) {
        if (mirror_file) std::fclose(mirror_file);
        mirror_file = nullptr;
        return;
    }
    if (mirror_file) return;
    mirror_file = std::fopen(file_name, "wb");
    if (!mirror_file)
        throw ErrorFile("KR::ErrorSetFile", ": Can't open file for mirroring errors!", file_name);
}

Error::Error(std::string_view place, std::string_view detail) {
    message.reserve(place.size() + detail.size());
    message.append(place).append(detail);
}

void Error::show() const {
    const std::string text = FullText();
    std::lock_guard lock(error_mutex);
    error_display(text, Caption());
    if (mirror_file) {
        std::fwrite(text.data(), 1, text.size(), mirror_file);
        std::fflush(mirror_file);
    }
}

std::string ErrorMem::FullText() const {
    if (size == 0) return message;
    return message + "\n\nMemory block: " + std::to_string(size) + " bytes";
}

std::string ErrorParam::FullText() const {
    if (param.size() <= 1) return message;
    return message + "\n\nWrong parameter: " + param;
}

std::string ErrorFile::FullText() const {
    if (file.size() <= 1) return message;
    return message + "\n\nFile: " + file;
}

std::string ErrorGL::FullText() const {
    if (code == 0) return message;
    return message + "\n\nOpenGL error code:" + std::to_string(code);
}

}  // namespace KR
