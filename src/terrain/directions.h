#pragma once
// The eight neighbour directions of a grid vertex, then the vertex itself.

namespace directions {

constexpr int kCount = 8;
constexpr int dx[9] = {+1, -1, 0, 0, +1, -1, +1, -1, 0};
constexpr int dy[9] = {0, 0, +1, -1, +1, -1, -1, +1, 0};
constexpr int opposite[8] = {1, 0, 3, 2, 5, 4, 7, 6};

constexpr bool IsDiagonal(int i) {
    return i >= 4;
}

}  // namespace directions
