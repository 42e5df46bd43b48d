#pragma once
// The error family: every failure in the program is raised as one of these. An error
// carries one message (the raising routine's name joined to a detail starting with ": ")
// and knows how to show itself to the user.

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace KR {

// Where shown errors go: the program installs a message box, tools and tests keep the
// default, which writes "caption: text" to standard error.
using ErrorDisplay = std::function<void(const std::string& text, const std::string& caption)>;
void SetErrorDisplay(ErrorDisplay display);

// Opens (name given) or closes (nullptr) the file every shown error is also written to.
void ErrorSetFile(const char* file_name);

class Error : public std::exception {
  public:
    Error(std::string_view place, std::string_view detail);
    ~Error() override = default;

    const std::string& Message() const noexcept { return message; }
    const char* what() const noexcept override { return message.c_str(); }

    // The text the user sees: the message plus whatever the error type adds.
    virtual std::string FullText() const { return message; }
    virtual const char* Caption() const { return "Error"; }

    // Hands the full text to the error display and the mirror file.
    void show() const;

  protected:
    std::string message;
};

class ErrorMem : public Error {
  public:
    ErrorMem(std::string_view place, std::string_view detail, uint32_t size = 0)
        : Error(place, detail), size(size) {}
    std::string FullText() const override;
    const char* Caption() const override { return "Memory Error"; }

    uint32_t size;  // bytes of the failed allocation, 0 when unknown
};

class ErrorParam : public Error {
  public:
    ErrorParam(std::string_view place, std::string_view detail, std::string_view param = {})
        : Error(place, detail), param(param) {}
    std::string FullText() const override;
    const char* Caption() const override { return "Parameter Error"; }

    std::string param;
};

class ErrorFile : public Error {
  public:
    ErrorFile(std::string_view place, std::string_view detail, std::string_view file = {})
        : Error(place, detail), file(file) {}
    std::string FullText() const override;
    const char* Caption() const override { return "File Error"; }

    std::string file;
};

class ErrorGL : public Error {
  public:
    ErrorGL(std::string_view place, std::string_view detail, uint32_t code = 0)
        : Error(place, detail), code(code) {}
    std::string FullText() const override;
    const char* Caption() const override { return "OpenGL Error"; }

    uint32_t code;
};

}  // namespace KR
