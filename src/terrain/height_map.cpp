#include "terrain/height_map.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <new>
#include <vector>

#include "kr/base/error.h"
#include "kr/image/grey_image.h"
#include "kr/image/image_pgm.h"
#include "kr/image/image_png.h"
#include "kr/image/image_r32.h"
#include "terrain/terrain.h"

namespace {

constexpr const char* kExportPlace = "terrain::ExportHeightMap";
constexpr const char* kImportPlace = "terrain::ImportHeightMap";

enum class map_format { png, pgm, r32 };

bool FindFormat(const std::string& file_name, map_format& format) {
    std::string extension = std::filesystem::path(file_name).extension().string();
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    static const std::pair<const char*, map_format> kFormats[] = {
        {".png", map_format::png}, {".pgm", map_format::pgm}, {".r32", map_format::r32}};
    for (const auto& [name, f] : kFormats) {
        if (extension != name) continue;
        format = f;
        return true;
    }
    return false;
}

map_format FormatOf(const std::string& file_name, const char* place) {
    map_format format;
    if (!FindFormat(file_name, format))
        throw KR::ErrorFile(place, ": Unknown height map format: use .png, .pgm or .r32!",
                            file_name);
    return format;
}

// Where a cluster's first vertex lies in the whole grid, counted in cells.
struct placed_cluster {
    const vertex_2d_field* field;
    long x, y;
};

// The whole grid as one picture, top row first. Each cluster sits at its start; the clusters
// of a scene must share one cell size and leave few gaps (filled with the lowest value).
KR::FloatImage GatherPlane(const terrain& t, height_map_plane plane, const std::string& file) {
    if (t.cluster_count == 0) throw KR::ErrorFile(kExportPlace, ": No terrain to export!", file);
    const KR::Vector2 cell = t.clusters[0].cell;
    std::vector<placed_cluster> parts;
    long left = std::numeric_limits<long>::max(), bottom = left;
    long right = std::numeric_limits<long>::min(), top = right;
    uint64_t vertices = 0;
    for (unsigned k = 0; k < t.cluster_count; ++k) {
        const cluster& c = t.clusters[k];
        const double u = double(c.start.x) / cell.x, v = double(c.start.y) / cell.y;
        const bool same_grid =
            cell.x > 0 && cell.y > 0 && std::abs(c.cell.x - cell.x) <= 1e-4f * cell.x &&
            std::abs(c.cell.y - cell.y) <= 1e-4f * cell.y && std::abs(u) < 1e6 && std::abs(v) < 1e6;
        if (!same_grid)
            throw KR::ErrorFile(kExportPlace, ": The clusters do not share one grid!", file);
        const placed_cluster p{c.read_field, std::lround(u), std::lround(v)};
        const int columns = p.field->Width() - 2, rows = p.field->Height() - 2;
        left = std::min(left, p.x);
        bottom = std::min(bottom, p.y);
        right = std::max(right, p.x + columns);
        top = std::max(top, p.y + rows);
        vertices += uint64_t(columns) * uint64_t(rows);
        parts.push_back(p);
    }
    const uint64_t width = uint64_t(right - left), height = uint64_t(top - bottom);
    if (width * height > 4 * vertices)
        throw KR::ErrorFile(kExportPlace, ": The clusters do not share one grid!", file);

    KR::FloatImage image;
    image.width = int(width);
    image.height = int(height);
    image.values.assign(width * height, std::numeric_limits<float>::quiet_NaN());
    for (const placed_cluster& p : parts) {
        const vertex_2d_field& f = *p.field;
        const float* values = plane == height_map_plane::ground ? f.Terrain() : f.Water();
        const size_t columns = size_t(f.Width() - 2);
        for (int y = 1; y < f.Height() - 1; ++y) {
            const size_t row = height - 1 - size_t(p.y - bottom + y - 1);
            std::copy_n(values + f.Index(1, y), columns,
                        image.values.begin() + long(row * width + size_t(p.x - left)));
        }
    }
    float low = std::numeric_limits<float>::infinity();
    for (float v : image.values)
        low = std::min(low, v);  // a gap's NaN is never the lesser
    for (float& v : image.values)
        if (std::isnan(v)) v = low;
    return image;
}

// 0 for the lowest value, 65535 for the highest; a flat field is all 0.
KR::GreyImage Quantise(const KR::FloatImage& map) {
    const auto [lo, hi] = std::minmax_element(map.values.begin(), map.values.end());
    KR::GreyImage grey;
    grey.width = map.width;
    grey.height = map.height;
    grey.has_range = true;
    grey.low = *lo;
    grey.high = *hi;
    const double scale = grey.high > grey.low ? 65535.0 / (double(grey.high) - grey.low) : 0.0;
    grey.pixels.resize(map.values.size());
    for (size_t k = 0; k < map.values.size(); ++k) {
        const double q = (double(map.values[k]) - grey.low) * scale + 0.5;
        grey.pixels[k] = uint16_t(q >= 1 ? std::min(q, 65535.0) : 0.0);
    }
    return grey;
}

KR::FloatImage Metres(const KR::GreyImage& grey, float low, float high) {
    KR::FloatImage map;
    map.width = grey.width;
    map.height = grey.height;
    map.values.resize(grey.pixels.size());
    const double step = (double(high) - low) / grey.max_value;
    for (size_t k = 0; k < grey.pixels.size(); ++k)
        map.values[k] = float(low + grey.pixels[k] * step);
    return map;
}

// Bilinear, corner on corner, so that the map's edges stay the grid's edges; a map of the
// grid's size is taken point for point. The map's top row becomes the grid's last.
void Resample(const KR::FloatImage& map, terrain_generation_info& info) {
    const int w = map.width, h = map.height;
    auto at = [&](int i, int j) { return double(map.values[size_t(h - 1 - j) * w + i]); };
    // The map position of grid index n of count, split into a cell and the fraction in it.
    auto locate = [](int n, int count, int size, int& cell, double& fraction) {
        const double u = count > 1 ? double(n) * (size - 1) / (count - 1) : 0.0;
        cell = std::min(int(u), std::max(size - 2, 0));
        fraction = u - cell;
    };
    float* grid = info.grid.get();
    for (int j = 0; j < info.y; ++j) {
        int j0, i0;
        double fy, fx;
        locate(j, info.y, h, j0, fy);
        const int j1 = std::min(j0 + 1, h - 1);
        for (int i = 0; i < info.x; ++i) {
            locate(i, info.x, w, i0, fx);
            const int i1 = std::min(i0 + 1, w - 1);
            grid[size_t(j) * info.x + i] =
                float((1 - fy) * ((1 - fx) * at(i0, j0) + fx * at(i1, j0)) +
                      fy * ((1 - fx) * at(i0, j1) + fx * at(i1, j1)));
        }
    }
}

}  // namespace

bool IsHeightMapName(const std::string& file_name) {
    map_format ignored;
    return FindFormat(file_name, ignored);
}

std::string ExportHeightMap(const terrain& t, height_map_plane plane,
                            const std::string& file_name) {
    const map_format format = FormatOf(file_name, kExportPlace);
    KR::FloatImage map;
    float low, high;
    try {
        map = GatherPlane(t, plane, file_name);
        if (format == map_format::r32) {
            const auto [lo, hi] = std::minmax_element(map.values.begin(), map.values.end());
            low = *lo;
            high = *hi;
            KR::WriteR32(file_name.c_str(), map);
        } else {
            const KR::GreyImage grey = Quantise(map);
            low = grey.low;
            high = grey.high;
            if (format == map_format::png)
                KR::WritePng(file_name.c_str(), grey);
            else
                KR::WritePgm(file_name.c_str(), grey);
        }
    } catch (const std::bad_alloc&) {
        throw KR::ErrorMem(kExportPlace, ": Out of memory for the height map!");
    }
    char line[96];
    std::snprintf(line, sizeof line, ": %d x %d %s, %g ... %g m", map.width, map.height,
                  plane == height_map_plane::ground ? "ground heights" : "water depths",
                  double(low), double(high));
    return file_name + line;
}

void ImportHeightMap(terrain& t, const std::string& file_name, int width, int height) {
    const map_format format = FormatOf(file_name, kImportPlace);
    // The whole file is read and checked before the terrain changes.
    KR::FloatImage map;
    try {
        if (format == map_format::r32) {
            map = KR::ReadR32(file_name.c_str(), width, height);
        } else {
            const KR::GreyImage grey = format == map_format::png ? KR::ReadPng(file_name.c_str())
                                                                 : KR::ReadPgm(file_name.c_str());
            map = grey.has_range ? Metres(grey, grey.low, grey.high)
                                 : Metres(grey, t.generation.min, t.generation.max);
        }
    } catch (const std::bad_alloc&) {
        throw KR::ErrorMem(kImportPlace, ": Out of memory for the height map!");
    }
    t.GenerateTerrain([&map](terrain_generation_info& info) {
        Resample(map, info);
        info.heights_in_metres = true;
        return 1;
    });
}
