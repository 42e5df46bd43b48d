#pragma once
// Single-precision angle constants shared by the geometry and the noise.

namespace KR {

inline constexpr float kPi = 3.1415927f;
// Degrees times this give radians (0.017453292 as a float).
inline constexpr float kDegToRad = kPi / 180.0f;

}  // namespace KR
