#include "kr/image/bmp_writer.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "kr/base/error.h"

namespace KR {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
// File sizes and offsets are 32-bit fields; stay well inside them.
constexpr uint64_t kLargestImage = 0xF0000000u;

void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Get32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t RoundColourBits(uint32_t bits) {
    if (bits <= 1) return 1;
    if (bits <= 4) return 4;
    if (bits <= 8) return 8;
    if (bits <= 16) return 16;
    if (bits <= 24) return 24;
    return 32;
}

class BmpFile {
  public:
    explicit BmpFile(const char* name) : name(name), file(std::fopen(name, "wb")) {
        if (!file) throw ErrorFile("KR::CreateBMPFile", ": CreateFile", name);
    }
    ~BmpFile() {
        if (file) std::fclose(file);
    }
    void Write(const void* data, size_t size) {
        if (size && std::fwrite(data, 1, size, file) != size) Fail(": WriteFile");
    }
    void Close() {
        const int result = std::fclose(file);
        file = nullptr;
        if (result != 0) Fail(": CloseHandle");
    }

  private:
    [[noreturn]] void Fail(const char* detail) {
        if (file) std::fclose(file);
        file = nullptr;
        throw ErrorFile("KR::CreateBMPFile", detail, name);
    }

    std::string name;
    std::FILE* file;
};

}  // namespace

std::vector<uint8_t> CreateBitmapInfoStruct(const BitmapDesc& bitmap) {
    if (bitmap.width <= 0 || bitmap.height == 0)
        throw Error("KR::CreateBitmapInfoStruct", ": GetObject");
    const uint16_t bits =
        RoundColourBits(static_cast<uint32_t>(bitmap.planes) * bitmap.bits_per_pixel);
    const uint32_t colours = bits < 24 ? (1u << bits) : 0u;
    const uint32_t rows =
        static_cast<uint32_t>(bitmap.height < 0 ? -int64_t(bitmap.height) : bitmap.height);
    const uint64_t image_size = uint64_t(BitmapRowStride(bitmap.width, bits)) * rows;
    if (image_size > kLargestImage) throw Error("KR::CreateBitmapInfoStruct", ": GetObject");

    std::vector<uint8_t> info(kInfoHeaderSize + colours * 4, 0);
    uint8_t* h = info.data();
    Put32(h + 0, kInfoHeaderSize);
    Put32(h + 4, static_cast<uint32_t>(bitmap.width));
    Put32(h + 8, static_cast<uint32_t>(bitmap.height));
    Put16(h + 12, bitmap.planes);
    Put16(h + 14, bitmap.bits_per_pixel);
    Put32(h + 16, 0);  // no compression
    Put32(h + 20, static_cast<uint32_t>(image_size));
    Put32(h + 32, colours);
    return info;
}

void CreateBMPFile(const char* file_name, const std::vector<uint8_t>& info, const uint8_t* pixels) {
    if (info.size() < kInfoHeaderSize) throw Error("KR::CreateBMPFile", ": GetObject");
    const uint32_t header_size = Get32(info.data());
    const uint32_t image_size = Get32(info.data() + 20);
    const uint32_t colours = Get32(info.data() + 32);
    const uint64_t header_bytes = uint64_t(header_size) + uint64_t(colours) * 4;
    if (header_bytes > info.size() || header_bytes + image_size > kLargestImage)
        throw Error("KR::CreateBMPFile", ": GetObject");

    uint8_t file_header[kFileHeaderSize] = {'B', 'M'};
    const uint32_t offset = kFileHeaderSize + static_cast<uint32_t>(header_bytes);
    Put32(file_header + 2, offset + image_size);
    Put32(file_header + 10, offset);

    BmpFile file(file_name);
    file.Write(file_header, sizeof file_header);
    file.Write(info.data(), header_bytes);
    file.Write(pixels, image_size);
    file.Close();
}

void SaveRGB2BMP(const char* file_name, int width, int height, const uint8_t* rgb) {
    if (width <= 0 || height <= 0 || rgb == nullptr)
        throw Error("KR::CreateBitmapInfoStruct", ": GetObject");
    BitmapDesc desc;
    desc.width = width;
    desc.height = height;
    const std::vector<uint8_t> info = CreateBitmapInfoStruct(desc);
    const uint32_t stride = BitmapRowStride(static_cast<uint32_t>(width), 24);

    std::vector<uint8_t> bgr;
    try {
        bgr.assign(size_t(stride) * height, 0);  // the row padding stays zero
    } catch (const std::bad_alloc&) {
        throw ErrorMem("KR::SaveRGB2BMP", ": Can't allocate temp data.", stride * height);
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgb + size_t(y) * width * 3;
        uint8_t* dst = bgr.data() + size_t(y) * stride;
        for (int x = 0; x < width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    CreateBMPFile(file_name, info, bgr.data());
}

void SaveGrey2BMP(const char* file_name, int width, int height, const uint8_t* values) {
    if (width <= 0 || height <= 0 || values == nullptr)
        throw Error("KR::CreateBitmapInfoStruct", ": GetObject");
    BitmapDesc desc;
    desc.width = width;
    desc.height = height;
    desc.bits_per_pixel = 8;
    std::vector<uint8_t> info = CreateBitmapInfoStruct(desc);
    for (int i = 0; i < 256; ++i)
        std::memset(&info[kInfoHeaderSize + 4 * i], i, 3);
    const uint32_t stride = BitmapRowStride(static_cast<uint32_t>(width), 8);
    std::vector<uint8_t> rows;
    try {
        rows.assign(size_t(stride) * height, 0);
    } catch (const std::bad_alloc&) {
        throw ErrorMem("KR::SaveGrey2BMP", ": Can't allocate temp data.", stride * height);
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(rows.data() + size_t(y) * stride, values + size_t(y) * width, size_t(width));
    CreateBMPFile(file_name, info, rows.data());
}

}  // namespace KR
