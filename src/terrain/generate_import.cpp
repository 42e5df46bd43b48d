// Import Bitmap: the heights are R + G + B of an image the user picks, rescaled to the grid.

#include <new>
#include <vector>

#include "kr/base/error.h"
#include "kr/image/rgba_scale.h"
#include "terrain/terrain.h"

namespace {

const file_request& ImportRequest() {
    static const file_request request{
        "Import",
        {{"Windows Bitmap (*.bmp)", "*.bmp"}, {"All Files (*.*)       ", "*.*"}},
        true,
        true};
    return request;
}

}  // namespace

int terrain::GenerateTerrainImport(terrain_generation_info& info) {
    std::string file_name;
    if (!file_names || !file_names->Ask(ImportRequest(), file_name)) return 0;
    if (!import_image)
        throw KR::ErrorFile("terrain::GenerateTerrainImport", ": No image reader!", file_name);
    const rgba_image image = import_image(file_name);
    // The reader's sizes must describe its data before anything is read from it.
    if (image.width < 1 || image.height < 1 ||
        image.pixels.size() / 4 / size_t(image.width) < size_t(image.height))
        throw KR::ErrorFile("terrain::GenerateTerrainImport",
                            ": Image size does not match its data!", file_name);

    const int X = info.x, Y = info.y;
    const uint8_t* pixels = image.pixels.data();
    std::vector<uint8_t> newdata;
    if (image.width != X || image.height != Y) {
        try {
            newdata.resize(info.Cells() * 4);
        } catch (const std::bad_alloc&) {
            throw KR::ErrorMem("terrain::GenerateTerrainImport", ": newdata=new GLubyte[nw*nh*4];",
                               uint32_t(info.Cells() * 4));
        }
        KR::ScaleImageRGBA(pixels, image.width, image.height, newdata.data(), X, Y);
        pixels = newdata.data();
    }
    float* const grid = info.grid.get();
    for (size_t k = 0; k < info.Cells(); ++k) {
        const uint8_t* p = pixels + 4 * k;
        grid[k] = float(p[0] + p[1] + p[2]);
    }
    return 1;
}
