#pragma once
// Large buffers faulted in as huge pages: a scene file of a hundred megabytes and its parse
// cost more time in the kernel faulting in small pages than in the work itself.

#include <cstddef>

namespace KR {

// Asks for huge pages on the whole 2 MB blocks inside [data, data + size), where the system
// allows it.
void AdviseHugePages(void* data, size_t size);

}  // namespace KR
