#pragma once
// Writing rows of the draw buffers. The hand-over builds each row in small working rows, one
// per component, and writes it out here in the buffers' interleaved layout with streaming
// stores: the buffers are far larger than the caches and are next read by the drawing, so
// they bypass the caches instead of first reading every line they overwrite.

// Writes the n triples (a[i], b[i], c[i]) to out.
void StreamTriples(const float* a, const float* b, const float* c, int n, float* out);
// Writes n floats to out.
void StreamFloats(const float* in, int n, float* out);
// Makes this thread's streamed rows visible to other threads; call before handing them on.
void FinishStreaming();
