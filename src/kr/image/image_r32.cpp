#include "kr/image/image_r32.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "kr/base/byte_reader.h"
#include "kr/image/grey_image.h"
#include "kr/base/regular_file.h"
#include "kr/base/replacing_file.h"

namespace KR {
namespace {

constexpr const char* kPlace = "KR::ReadR32";
static_assert(std::endian::native == std::endian::little, "r32 files are read in place");

}  // namespace

FloatImage ReadR32(ByteReader& in, int width, int height) {
    in.SetPlace(kPlace);
    const size_t values = in.Remaining() / 4;
    if (in.Remaining() % 4 != 0 || values == 0)
        in.Fail(": The length is not a whole number of heights.");
    if (values > kLargestGreyImage) in.Fail(": Image too large.");
    if (width < 0 || height < 0 || (width == 0) != (height == 0)) in.Fail(": Bad image size.");
    if (width == 0) {
        width = height = int(std::lround(std::sqrt(double(values))));
        if (uint64_t(width) * uint64_t(height) != values)
            in.Fail(": The heights are not square: give the size.");
    }
    if (uint64_t(width) * uint64_t(height) != values)
        in.Fail(": The size does not match the file's length.");

    FloatImage image;
    image.width = width;
    image.height = height;
    image.values.resize(values);
    std::memcpy(image.values.data(), in.Take(values * 4), values * 4);
    for (float v : image.values)
        if (!std::isfinite(v)) in.Fail(": A height is not a number.");
    return image;
}

FloatImage ReadR32(const char* file_name, int width, int height) {
    return ReadRegularFile(file_name, kPlace,
                           [=](ByteReader& in) { return ReadR32(in, width, height); });
}

void WriteR32(const char* file_name, const FloatImage& image) {
    ReplacingFile out(file_name, "KR::WriteR32");
    out.Write(image.values.data(), image.values.size() * sizeof(float));
    out.Commit();
}

}  // namespace KR
