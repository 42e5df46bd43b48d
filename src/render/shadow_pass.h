#pragma once
// The shadow map: the objects' plain shapes and the ground drawn from the sun into the depth
// texture, through the shadow frame buffer or, without one, copied from the window.

class terrain;
struct sun_light;

namespace render {

// Loads the light's view and projection and renders the casters; afterwards the scene's
// frame buffer (the post-processing target when post is set, else the window) is bound again.
void DrawShadowMap(terrain& t, const sun_light& light, bool post);

}  // namespace render
