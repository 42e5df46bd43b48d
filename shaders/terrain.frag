#version 120
// Terrain of one cluster (see terrain.vert for what the drawing code provides).
//
// Units: 0 TexDetail and 1 TexMain ("TerrainMain"), 2 TexHeight (the 1D contour ramp),
// 3 TexShadow (shadow depth map, read only when uShowShadows is 1). Noise1 (unit 4) is not
// sampled here. Texture coordinates come from the position, not from texture generation: the
// detail map repeats every two grid steps, the main map every ScaleX x ScaleY, the ramp every
// ScaleZ height units, which is also the height the colour bands are laid out over. The
// submerged tint is GL_EXP fog over the water depth, with the fog colour (the water colour)
// and density. The alpha is 1: blending may be on while shadows are drawn.

uniform sampler2D TexDetail;
uniform sampler2D TexMain;
uniform sampler1D TexHeight;
uniform sampler2DShadow TexShadow;
uniform float ScaleX;
uniform float ScaleY;
uniform float ScaleZ;
uniform float uTexShadowSize;
uniform int uShowShadows;

varying vec3 vPosition;
varying vec3 vNormal;
varying vec3 vToSun;
varying vec4 vShadow;
varying float vWater;

// Percentage-closer filtering: the four nearest texels of the shadow map, each compared on
// its own, weighted bilinearly, so shadow edges are smooth instead of showing texel steps.
float Shadow(vec4 coord)
{
    float size = max(uTexShadowSize, 1.0);
    vec3 p = coord.xyz / coord.w;
    vec2 t = p.xy * size - 0.5;
    vec2 f = fract(t);
    vec2 base = (floor(t) + 0.5) / size;
    float d = 1.0 / size;
    float s00 = shadow2D(TexShadow, vec3(base, p.z)).r;
    float s10 = shadow2D(TexShadow, vec3(base + vec2(d, 0.0), p.z)).r;
    float s01 = shadow2D(TexShadow, vec3(base + vec2(0.0, d), p.z)).r;
    float s11 = shadow2D(TexShadow, vec3(base + vec2(d, d), p.z)).r;
    return mix(mix(s00, s10, f.x), mix(s01, s11, f.x), f.y);
}

void main()
{
    vec3 n = normalize(vNormal);
    float scaleZ = max(ScaleZ, 0.001);
    float height = vPosition.z / scaleZ;

    float detail = texture2D(TexDetail, vPosition.xy * 0.5).r;
    // A blurred level: only the broad patches of the main map are wanted.
    vec2 cluster = vPosition.xy / vec2(max(ScaleX, 0.001), max(ScaleY, 0.001));
    float patches = texture2D(TexMain, cluster, 1.5).r;
    float strata = texture1D(TexHeight, height).r;

    // Colour bands over the height, their borders broken up by the large-scale map; steep
    // ground shows rock, snow keeps to the flatter tops. The generated maps are bright with
    // sparse dark veins, so their deviation from a typical value is what counts. The contour
    // ramp marks the rock with strata and the rest faintly.
    float jitter = clamp((patches - 0.95) * 3.0, -0.2, 0.2);
    float h = height + jitter;
    vec3 sand = vec3(0.70, 0.64, 0.48);
    vec3 dry = vec3(0.45, 0.44, 0.26);
    vec3 grass = mix(vec3(0.25, 0.37, 0.14), dry, smoothstep(0.94, 0.98, patches));
    vec3 rock = vec3(0.42, 0.39, 0.35);
    vec3 snow = vec3(0.85, 0.87, 0.92);
    vec3 albedo = mix(sand, grass, smoothstep(0.04, 0.12, h));
    float rocky = max(smoothstep(0.5, 0.68, h), smoothstep(0.62, 0.82, 1.0 - n.z + jitter));
    albedo = mix(albedo, rock, rocky);
    float snowy = smoothstep(0.78, 0.95, h) * (1.0 - smoothstep(0.45, 0.7, 1.0 - n.z));
    albedo = mix(albedo, snow, snowy);
    albedo *= 1.0 + (strata - 0.9) * mix(0.7, 2.2, rocky);
    albedo *= 1.0 + clamp((detail - 0.95) * 2.5, -0.4, 0.1);
    // Wet ground along the shore is darker.
    albedo *= 1.0 - 0.35 * smoothstep(0.0, 0.04, vWater);

    float sun = max(dot(n, vToSun), 0.0);
    if (uShowShadows == 1) sun *= Shadow(vShadow);

    // The sky lights the ground from above a little more than from the side.
    vec3 ambient = gl_FrontLightModelProduct.sceneColor.rgb
                 + gl_FrontLightProduct[0].ambient.rgb * (1.5 + 1.0 * n.z);
    vec3 light = ambient + gl_FrontLightProduct[0].diffuse.rgb * sun;
    vec3 colour = albedo * light;

    float fog = exp(-gl_Fog.density * vWater);
    colour = mix(gl_Fog.color.rgb, colour, fog);

    gl_FragColor = vec4(colour, 1.0);
}
