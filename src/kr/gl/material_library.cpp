// The environment's material files: the material library ("ML01") with every material of the
// library, and a single bare material record.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "kr/base/error.h"
#include "kr/gl/environment.h"
#include "kr/gl/material_record.h"
#include "kr/base/regular_file.h"

namespace KR {
namespace {

constexpr char kMagic[10] = {'M', 'L', '0', '1', 0, 0, 0, 0, 0, 0};
constexpr size_t kHeaderSize = sizeof kMagic + 4;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

FileHandle OpenForReading(const char* file, uint64_t& size) {
    size_t bytes = 0;
    FileHandle handle(OpenRegularFile(file, bytes));
    size = bytes;
    return handle;
}

// Adds a material and loads the next record into it; a material whose record cannot be
// read is taken out again rather than left half made.
Material* LoadInto(NameLib<Material>& materials, const char* name, std::FILE* file, int mask) {
    Material* material = materials.add(name);
    try {
        material->load(file, mask);
    } catch (...) {
        materials.remove(material);
        delete material;
        throw;
    }
    return material;
}

}  // namespace

Material* Environment::load_material(const char* file, const char* name) {
    uint64_t size = 0;
    FileHandle handle = OpenForReading(file, size);
    if (!handle) throw ErrorFile("KR::Environment::load_material", "", file ? file : "");
    return LoadInto(materials, name ? name : file, handle.get(), params[kParamMaterialMask]);
}

void Environment::save_mat_lib(const char* file) {
    const std::string target = file ? file : "";
    // Only a regular file is replaced, never a folder or a device.
    std::error_code error;
    const auto status = std::filesystem::status(target, error);
    if (target.empty() ||
        (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)))
        throw ErrorFile("KR::Environment::save_mat_lib", "Can't open file.", target);
    // Written beside the target first, so that a failed save leaves the old file whole.
    const std::string temporary = target + ".saving";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out) throw ErrorFile("KR::Environment::save_mat_lib", "Can't open file.", target);
    bool written = false;
    try {
        uint8_t header[kHeaderSize];
        std::memcpy(header, kMagic, sizeof kMagic);
        const uint32_t n = uint32_t(materials.Count());
        for (int i = 0; i < 4; ++i)
            header[sizeof kMagic + i] = uint8_t(n >> (8 * i));
        if (std::fwrite(header, 1, sizeof header, out) == sizeof header) {
            for (Material* m = materials.First(); m; m = materials.Next())
                m->save(out);
            written = std::ferror(out) == 0;
        }
    } catch (...) {
        std::fclose(out);
        std::filesystem::remove(temporary, error);
        throw;
    }
    written = std::fclose(out) == 0 && written;
    if (written) std::filesystem::rename(temporary, target, error);
    if (!written || error) {
        std::filesystem::remove(temporary, error);
        throw ErrorFile("KR::Environment::save_mat_lib", ": Write error.", target);
    }
}

void Environment::load_mat_lib(const char* file) {
    const std::string name = file ? file : "";
    uint64_t size = 0;
    FileHandle handle = OpenForReading(file, size);
    if (!handle) throw ErrorFile("KR::Environment::load_mat_lib", ": Can't open file.", name);
    uint8_t header[kHeaderSize];
    const size_t got = std::fread(header, 1, sizeof header, handle.get());
    if (got < sizeof kMagic || std::memcmp(header, "ML01", 5) != 0)
        throw ErrorFile("KR::Environment::load_mat_lib", ": Unknow file format.", name);
    if (got < sizeof header)
        throw ErrorFile("KR::Environment::load_mat_lib", ": Read error.", name);
    const uint32_t n = header[10] | header[11] << 8 | header[12] << 16 | uint32_t(header[13]) << 24;
    // A count the file cannot hold is refused before any material is made.
    const uint64_t room = size > kHeaderSize ? (size - kHeaderSize) / kMaterialRecordSize : 0;
    if (n > room) throw ErrorFile("KR::Environment::load_mat_lib", ": Read error.", name);
    for (uint32_t i = 0; i < n; ++i)
        LoadInto(materials, "ML01 material", handle.get(), params[kParamMaterialMask]);
    if (std::ferror(handle.get()))
        throw ErrorFile("KR::Environment::load_mat_lib", ": Read error.", name);
}

}  // namespace KR
