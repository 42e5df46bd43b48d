#pragma once
// File names of cube-map sides: a pattern holding one integer directive ("sky%d.bmp",
// "sky_%02d.tex") with the side number put in its place. The pattern is never handed to
// printf, so a hostile name cannot read arguments that are not there.

#include <string>
#include <string_view>

namespace KR {

// Replaces the one %d, %i or %u (with optional flags 0 - + and blank, and a width) by
// side, and %% by %. Raises KR::ErrorFile "KR::Texture::load" ": Bad cube name pattern."
// for any other directive or more than one integer directive.
std::string FormatCubeSideName(std::string_view pattern, int side);

}  // namespace KR
