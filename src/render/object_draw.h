#pragma once
// Scene objects drawn by kind under the current modelview: a lit cube of half-edge `size` with
// its heading line for every kind but food, a tuft of five lines for food; the selected one in
// red. The plain form is the shape alone, for the shadow and picking passes.

struct shown_object;

namespace render {

void Draw(const shown_object& object, bool textured, bool selected);
void DrawPlain(const shown_object& object);

}  // namespace render
