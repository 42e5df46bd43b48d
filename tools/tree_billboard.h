#pragma once

namespace KR {
class Texture;
}

// Paints a broad-leaved tree, 128 x 256 texels, opaque where the tree is and fully
// transparent around it.
void MakeTreeBillboard(KR::Texture& tree);
