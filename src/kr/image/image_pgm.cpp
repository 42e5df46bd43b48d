#include "kr/image/image_pgm.h"

#include <algorithm>
#include <string>

#include "kr/base/byte_reader.h"
#include "kr/base/error.h"
#include "kr/base/regular_file.h"
#include "kr/base/replacing_file.h"

namespace KR {
namespace {

constexpr const char* kPlace = "KR::ReadPgm";
constexpr size_t kCommentsKept = 4096;

bool IsBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The next byte, or -1 at the end of the file.
int Byte(ByteReader& in) {
    return in.Remaining() ? in.U8() : -1;
}

// Skips blanks and comments (kept in comments, up to a limit), then reads a decimal number
// and the one byte that ends it.
uint32_t Number(ByteReader& in, std::string& comments) {
    int c = Byte(in);
    while (c == '#' || IsBlank(c)) {
        if (c == '#') {
            while ((c = Byte(in)) >= 0 && c != '\n' && c != '\r')
                if (comments.size() < kCommentsKept) comments += char(c);
            comments += '\n';
        } else {
            c = Byte(in);
        }
    }
    if (c < 0) in.Fail(": The file ends early.");
    if (c < '0' || c > '9') in.Fail(": Bad greymap header.");
    uint64_t value = 0;
    for (; c >= '0' && c <= '9'; c = Byte(in))
        if ((value = value * 10 + uint64_t(c - '0')) > 0x7FFFFFFF) in.Fail(": Bad image size.");
    if (c >= 0 && !IsBlank(c)) in.Fail(": Bad greymap header.");
    return uint32_t(value);
}

// "key=value" in the comments; false when the key is not there.
bool CommentValue(const ByteReader& in, const std::string& comments, const char* key,
                  float& value) {
    const size_t at = comments.find(key);
    if (at == std::string::npos) return false;
    const size_t begin = at + std::char_traits<char>::length(key);
    const size_t end = std::min(comments.find_first_of(" \t\n", begin), comments.size());
    if (!ReadRangeValue(std::string_view(comments).substr(begin, end - begin), value))
        in.Fail(": Bad height range.");
    return true;
}

}  // namespace

GreyImage ReadPgm(ByteReader& in) {
    in.SetPlace(kPlace);
    if (in.Remaining() < 2) in.Fail(": Not a greymap (P5 or P2).");
    const uint8_t* magic = in.Take(2);
    const bool plain = magic[1] == '2';
    if (magic[0] != 'P' || (magic[1] != '5' && !plain)) in.Fail(": Not a greymap (P5 or P2).");

    std::string comments;
    const uint32_t w = Number(in, comments), h = Number(in, comments);
    const uint32_t max_value = Number(in, comments);
    if (w == 0 || h == 0) in.Fail(": Bad image size.");
    if (max_value == 0 || max_value > 65535) in.Fail(": Bad maxval (1 ... 65535).");
    const uint64_t samples = uint64_t(w) * h;
    // Every sample takes at least a byte (two, but the last, as text): a header that promises
    // more than the file holds is refused before anything is allocated.
    const uint64_t least = plain ? samples * 2 - 1 : samples * (max_value > 255 ? 2 : 1);
    if (least > in.Remaining()) in.Fail(": The file is too short for its image size.");
    if (samples > kLargestGreyImage) in.Fail(": Image too large.");

    GreyImage image;
    image.width = int(w);
    image.height = int(h);
    image.max_value = uint16_t(max_value);
    const bool has_low = CommentValue(in, comments, "qor:min=", image.low);
    const bool has_high = CommentValue(in, comments, "qor:max=", image.high);
    if (has_low != has_high || image.low > image.high) in.Fail(": Bad height range.");
    image.has_range = has_low;
    image.pixels.resize(samples);
    if (plain) {
        for (uint16_t& p : image.pixels)
            p = uint16_t(std::min(Number(in, comments), max_value));
    } else {
        const uint8_t* bytes = in.Take(size_t(least));
        const bool wide = max_value > 255;
        // Samples above maxval are out of the format; they are taken as white.
        for (size_t k = 0; k < samples; ++k) {
            const uint32_t v = wide ? uint32_t(bytes[2 * k] << 8 | bytes[2 * k + 1]) : bytes[k];
            image.pixels[k] = uint16_t(std::min(v, max_value));
        }
    }
    return image;
}

GreyImage ReadPgm(const char* file_name) {
    return ReadRegularFile(file_name, kPlace, [](ByteReader& in) { return ReadPgm(in); });
}

void WritePgm(const char* file_name, const GreyImage& image) {
    ReplacingFile out(file_name, "KR::WritePgm");
    std::string header = "P5\n";
    if (image.has_range)
        header += "# qor:min=" + RangeText(image.low) + " qor:max=" + RangeText(image.high) + "\n";
    header += std::to_string(image.width) + " " + std::to_string(image.height) + "\n" +
              std::to_string(image.max_value) + "\n";
    out.Write(header.data(), header.size());
    const bool wide = image.max_value > 255;
    std::vector<uint8_t> row(size_t(image.width) * (wide ? 2 : 1));
    for (int y = 0; y < image.height; ++y) {
        const uint16_t* p = image.pixels.data() + size_t(y) * size_t(image.width);
        for (size_t x = 0; x < size_t(image.width); ++x) {
            if (wide) {
                row[2 * x] = uint8_t(p[x] >> 8);
                row[2 * x + 1] = uint8_t(p[x]);
            } else {
                row[x] = uint8_t(p[x]);
            }
        }
        out.Write(row.data(), row.size());
    }
    out.Commit();
}

}  // namespace KR
