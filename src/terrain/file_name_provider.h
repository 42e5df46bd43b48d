#pragma once
// Asking the user for a file name: the program shows its file dialog, tests and the headless
// program answer from a script.

#include <string>
#include <utility>
#include <vector>

struct file_filter {
    std::string label;    // what the dialog lists, e.g. "Windows Bitmap (*.bmp)"
    std::string pattern;  // e.g. "*.bmp"
};

struct file_request {
    std::string title;
    std::vector<file_filter> filters;
    bool must_exist = false;
    bool hide_read_only = false;
};

struct file_name_provider {
    virtual ~file_name_provider() = default;
    // Returns true with the chosen name in file_name, false when the user cancels (file_name
    // is then left alone).
    virtual bool Ask(const file_request& request, std::string& file_name) = 0;
};

// Answers every question with one name chosen beforehand: the headless program's answer to
// the import's question, for example.
struct fixed_file_name : file_name_provider {
    explicit fixed_file_name(std::string name) : name(std::move(name)) {}
    bool Ask(const file_request& /*request*/, std::string& file_name) override {
        file_name = name;
        return true;
    }
    std::string name;
};
