#pragma once
// The source texts of the post-processing program, composed from the choices on the toolbox's
// post-processing page. Plain strings and no OpenGL, so the texts can be checked anywhere.

#include <string>

namespace graphics {

// The page's choices; the defaults are the page's state when the program starts.
struct postproc_options {
    // 0 None, 1 Lens, 2 Circle Waves, 3 Twister, 4 Parallel Waves, 5 Noise, 6 Texture.
    int transform = 0;
    // 0 None, 1 Blur, 2 Blur More, 3 Blur Step, 4 Sharpen, 5 Edge, 6 Sobel, 7 Emboss, 8 Test.
    int convolution = 0;
    bool time_animation = false;
    bool texture_coord_correction = false;
    bool hsl_shift = false;
    bool grayscale = false;
    bool invert = false;
    bool matrix_dithering = false;
};

constexpr int kPostProcTransforms = 7;
constexpr int kPostProcConvolutions = 9;

// Texture sides, in texels, that the coordinate correction scales by; 0 where the texture
// does not exist yet, which leaves the correction out.
struct postproc_sizes {
    int water_wave = 0;  // side of the "WaterWaveNormals" frames, for the Noise transform
    int dist = 0;        // width of "Dist", for the Texture transform
};

std::string PostProcVertexText();

// An index outside its range is taken as None, so the text always compiles.
std::string PostProcFragmentText(const postproc_options& options, const postproc_sizes& sizes);

// Appends one statement that sets `color` to the mean of the (2n)^2 samples at the offsets
// (i*k, j*k), i and j from -n to n-1 (the grid is not centred on the pixel).
void WriteBoxBlur(std::string& text, int n, int k);

}  // namespace graphics
