#pragma once
// The large-scale shapes a generated terrain is multiplied by: factors between 0.5 and 1.5
// over a grid of columns x rows.

// The factor of `shape` at column i, row j; 1 for Flat and for unknown shapes.
float ShapeFactor(int shape, int i, int j, int columns, int rows);
