#pragma once
// The end of every frame: the shell swaps the window's buffers, an offscreen snapshot or a
// test may do nothing or read the pixels back.

#include <functional>

namespace render {

// Called by terrain::Draw after the frame is flushed; none: nothing is swapped.
void SetSwapHook(std::function<void()> swap);

}  // namespace render
