#pragma once
// Constants of the water and slope step. All step arithmetic is in single precision.

namespace step_constants {

constexpr float kFlowAcceleration = 0.1f;   // flow += surface drop * timescale * this
constexpr float kDepthToDamping = 1000.0f;  // damping k grows with depth up to the ceiling
constexpr float kDampingCeiling = 0.999f;   // also the share of a vertex's water that may leave
constexpr float kDiagonalTransport = 0.8f;  // diagonal pipes move this share of their flow
constexpr float kBackFlowBraking = 0.1f;    // a receiver's back flow is braked by q * t * this
constexpr float kTalusAxis = 1.0f;          // ground may drop this much to an axis neighbour
constexpr float kTalusDiagonal = 1.41421356237309504880f;  // sqrt(2) to a diagonal neighbour
constexpr float kDiagonalSlide = 0.70710678118654752440f;  // sqrt(2) / 2

}  // namespace step_constants
