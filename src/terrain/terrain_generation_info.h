#pragma once
// The parameters of terrain generation and the temporary height grid that one generation
// fills. The parameters come from the configuration file, the dialog and scene files.

#include <cstddef>
#include <cstdint>
#include <memory>

// Shapes (type) and algorithms, in the order the dialog lists them.
enum terrain_shape : int32_t { kShapeFlat, kShapeMountain, kShapeLake, kShapeValley, kShapeEdge };
enum terrain_algorithm : int32_t {
    kAlgorithmRandomPoints,
    kAlgorithmFaulting,
    kAlgorithmPerlinNoise,
    kAlgorithmImportBitmap
};

struct terrain_generation_info {
    terrain_generation_info() = default;
    // Copies carry the parameters only: the grid belongs to the generation running on it.
    terrain_generation_info(const terrain_generation_info& other) { *this = other; }
    terrain_generation_info& operator=(const terrain_generation_info& other);

    // (Re)allocates the grid for x * y cells (contents undefined); raises KR::ErrorMem.
    void InitData();
    void ReleaseData() { grid.reset(); }

    // Clamps every parameter into its range, in place.
    void CheckTerrainParameters();
    // Only the clamps that keep allocation and loops in bounds (size and counts).
    void ClampSizes();

    size_t Cells() const { return size_t(x) * size_t(y); }
    // Rescales the grid into [0, max - min]; a grid without spread becomes 0.
    void Normalise();
    // Multiplies every cell by the factor of the shape `type`.
    void ApplyShape();

    std::unique_ptr<float[]> grid;  // row-major: cell (i, j) is element j * x + i
    // Set by a source whose grid holds final heights in metres (a height map): they are taken
    // as they are, without rescaling, shape or smoothing.
    bool heights_in_metres = false;
    int32_t x = 70;
    int32_t y = 70;
    float ratio = 70.0f / 70.0f;
    float min = 0.0f;
    float max = 20.0f;
    int32_t type = kShapeFlat;
    int32_t algorithm = kAlgorithmPerlinNoise;
    int32_t detail = 1000;
    int32_t smooth = 1;
};
