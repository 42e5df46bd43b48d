#version 120
// Sky box: a sky gradient that follows the sun, the generated clouds lit from the sun's side,
// the stars showing through as the sun sets, and the sun with its glow.
//
// Drawing code: a cube of half-size 1 around the eye, modelview identity, all faces with the
// same normal and the colour (b, b, b, 1), b being the sun's brightness. The direction to the
// sky is the fixed-function reflection map of the vertex (eye position reflected about the
// normal), carried into the cube maps' frame by SkyMatrix4x4. Reflection is linear in the
// position, so it is interpolated unnormalised and normalised per fragment.

uniform mat4 SkyMatrix4x4;

varying vec3 vDirection;

void main()
{
    vec3 eye = (gl_ModelViewMatrix * gl_Vertex).xyz;
    vec3 normal = normalize(gl_NormalMatrix * gl_Normal);
    vDirection = (SkyMatrix4x4 * vec4(reflect(eye, normal), 0.0)).xyz;
    gl_FrontColor = gl_Color;
    gl_Position = ftransform();
}
