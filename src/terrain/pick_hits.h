#pragma once
// The choice among the hit records of a pick: the nearest by minimum depth, the later record
// on a tie. Records are (name count, minimum depth, maximum depth, names...).

#include <cstddef>
#include <cstdint>

// Answers the name of the chosen record, or -1 when there is none (no hits, or an overflow,
// which the selection reports as a negative count). Reads no further than buffer_words.
int64_t ChoosePickedName(const uint32_t* buffer, size_t buffer_words, int hits);
