#pragma once
// Where the billboard trees of a cluster stand: one candidate per grid point, jittered by a
// fixed lattice noise so the forest looks the same every frame, kept on dry ground of the
// middle heights, and turned towards the point the camera looks at.

#include "kr/noise/perlin_lattice.h"
#include "kr/noise/perlin_noise_2d.h"
#include "kr/math/vector.h"

class cluster;

// The raw lattice value of a noise with seed 10 at integer points, in (-1, 1]: the same
// numbers every frame. Read from the lattice directly, as sampling the noise one octave at
// unit scale gives it, since every grid point needs two values each frame.
class vegetation_noise {
  public:
    vegetation_noise() { noise.SetSeed(10); }
    float operator()(int x, int y) const {
        return KR::lattice::Value(uint32_t(x) + uint32_t(y) * 57u + noise.seed);
    }

  private:
    KR::PerlinNoise2D noise;
};

struct vegetation_tree {
    bool grows = false;   // dry ground within the tree zone
    KR::Vector2 foot;     // where the trunk stands
    KR::Vector2 pivot;    // the point the billboard is turned about
    float ground = 0.0f;  // height of the foot; 0 beyond the last quad
    float size = 0.0f;    // scale of the billboard (15 units tall at 1)
};

// Water deeper than this keeps a grid point free of trees.
constexpr float kTreeMaxWaterDepth = 0.03f;

// The candidate of grid point (i, j) of the cluster's read field.
vegetation_tree PlaceTree(const vegetation_noise& noise, const cluster& c, int i, int j);

// The four corners of a tree's billboard, foot left and right first and last, in the order
// that goes with the texture coordinates (0, 0), (0, 1), (1, 1), (1, 0). The quad faces the
// target and leans away from it the more the camera looks down (pitch 0 is straight down).
struct vegetation_billboard {
    KR::Vector4 corners[4];
};
vegetation_billboard TreeBillboard(const vegetation_tree& tree, const KR::Vector4& target,
                                   float pitch_degrees);
