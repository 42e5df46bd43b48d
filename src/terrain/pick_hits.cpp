#include "terrain/pick_hits.h"

int64_t ChoosePickedName(const uint32_t* buffer, size_t buffer_words, int hits) {
    int64_t chosen = -1;
    uint32_t nearest = 0xFFFFFFFFu;
    size_t at = 0;
    for (int hit = 0; hit < hits; ++hit) {
        // Every record we draw holds one name; the count is followed anyway, and a record
        // that would run past the buffer ends the walk.
        if (at + 3 > buffer_words) break;
        const uint32_t names = buffer[at];
        if (names > buffer_words - at - 3) break;
        const uint32_t depth = buffer[at + 1];
        if (names > 0 && depth <= nearest) {
            nearest = depth;
            chosen = buffer[at + 3 + names - 1];
        }
        at += 3 + names;
    }
    return chosen;
}
