#version 120
// Water surface of one cluster (see water.vert for what the drawing code provides).
//
// Units: 0 SkyBox (the cloud cube map), 1 Noise1 (the 3D water-wave normals, alpha the wave
// height; the third coordinate is the animation phase uTime in [0, 1) times a whole number,
// which wraps seamlessly because the frames repeat and the map wraps), 3 TexShadow (shadow
// depth map, read only when uShowShadows is 1). SkyMatrix4x4 carries object-space directions
// into the cube map's frame (z up), so a reflected ray finds the sky where the sky box shows
// it. Blending is (source alpha, one minus source alpha): the alpha is the water's opacity.
// uWaterColor and uWildWaterColor come already scaled by the sun's brightness, which is also
// LIGHT0's diffuse colour; uMinAlpha is the opacity of near water and rises as the sun sinks;
// uNear and uFar turn the distance into the part of the view depth that thickens the water.
// uEye is not needed: the view direction is taken per fragment from the modelview.

uniform samplerCube SkyBox;
uniform sampler3D Noise1;
uniform sampler2DShadow TexShadow;
uniform mat4 SkyMatrix4x4;
uniform vec4 uWaterColor;
uniform vec4 uWildWaterColor;
uniform float uMinAlpha;
uniform float uTexShadowSize;
uniform int uShowShadows;
uniform float uTime;
uniform float uNear;
uniform float uFar;

varying vec3 vPosition;
varying vec3 vNormal;
varying vec3 vToEye;
varying vec3 vToSun;
varying vec4 vShadow;
varying float vDistance;
varying float vSlope;

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

// The sky without clouds along direction d (cube-map frame, z up) with the sun towards s;
// the same gradient the sky box is drawn with.
vec3 SkyColour(vec3 d, vec3 s, out vec3 sunColour)
{
    float day = smoothstep(0.0, 0.5, s.z);
    float up = clamp(d.z, 0.0, 1.0);
    vec3 zenith = mix(vec3(0.02, 0.04, 0.12), vec3(0.12, 0.32, 0.72), day);
    vec3 horizon = mix(vec3(0.42, 0.30, 0.32), vec3(0.62, 0.76, 0.92), day);
    vec3 sky = mix(horizon, zenith, sqrt(up));
    float g = max(dot(d, s), 0.0);
    sunColour = mix(vec3(1.0, 0.45, 0.15), vec3(1.0, 0.92, 0.8), day);
    sky += (1.0 - day) * sunColour * 0.6 * pow(g, 3.0) * pow(1.0 - up, 4.0);
    sky += sunColour * (0.18 * pow(g, 12.0) + 0.5 * pow(g, 150.0));
    return sky;
}

// The cloud layer over the sky: rgb is the normal of the cloud relief (mirrored in x),
// alpha the density.
vec3 Clouds(vec3 sky, vec4 texel, vec3 d, vec3 s, vec3 sunColour, float brightness)
{
    vec3 normal = vec3(2.0 * texel.r - 1.0, 1.0 - 2.0 * texel.g, 1.0 - 2.0 * texel.b);
    float day = smoothstep(0.0, 0.5, s.z);
    float lit = clamp(0.5 + 0.5 * dot(normal, s), 0.0, 1.0);
    vec3 shade = mix(vec3(0.45, 0.48, 0.56), vec3(1.0, 0.98, 0.95), lit);
    shade *= mix(vec3(1.0, 0.62, 0.5), vec3(1.0), day) * brightness;
    float density = smoothstep(0.05, 0.85, texel.a);
    shade += sunColour * pow(max(dot(d, s), 0.0), 8.0) * (1.0 - density) * 0.8;
    return mix(sky, shade, density * smoothstep(-0.02, 0.25, d.z));
}

void main()
{
    // Three octaves of waves, the finer ones running faster. Each fades out where a pixel
    // spans several of its texels (the map is usually 128 texels wide and has no mipmaps), so
    // distant water keeps only the long swell; the map's normals are gentle, so their tilt is
    // amplified.
    float footprint = length(fwidth(vPosition.xy)) * 128.0;
    float fade0 = 1.0 - smoothstep(1.0, 4.0, footprint * 0.025);
    float fade1 = 1.0 - smoothstep(1.0, 4.0, footprint * 0.07);
    float fade2 = 1.0 - smoothstep(1.0, 4.0, footprint * 0.19);
    vec4 w0 = texture3D(Noise1, vec3(vPosition.xy * 0.025 + vec2(0.61, 0.13), uTime));
    vec4 w1 = texture3D(Noise1, vec3(vPosition.xy * 0.07, uTime * 2.0));
    vec4 w2 = texture3D(Noise1, vec3(vPosition.xy * 0.19 + vec2(0.37, 0.71), uTime * 3.0 + 0.5));
    vec3 n0 = w0.xyz * 2.0 - 1.0;
    vec3 n1 = w1.xyz * 2.0 - 1.0;
    vec3 n2 = w2.xyz * 2.0 - 1.0;
    vec2 ripple = n0.xy / max(n0.z, 0.2) * 1.2 * fade0 + n1.xy / max(n1.z, 0.2) * 1.6 * fade1
                + n2.xy / max(n2.z, 0.2) * 1.2 * fade2;
    float crest = (w0.a - 0.5) * fade0 + (w1.a - 0.5) * fade1 + (w2.a - 0.5) * fade2;
    vec3 surface = normalize(vNormal);
    vec3 n = normalize(surface + vec3(ripple, 0.0));

    vec3 v = normalize(vToEye);
    vec3 l = normalize(vToSun);
    if (dot(n, v) < 0.0) n = normalize(n - 1.1 * dot(n, v) * v);

    float shadow = 1.0;
    if (uShowShadows == 1) shadow = Shadow(vShadow);

    // Reflection of the sky; rays the waves turn downwards are mirrored back up.
    vec3 r = reflect(-v, n);
    r.z = abs(r.z);
    mat3 toSky = mat3(SkyMatrix4x4);
    vec3 skyDir = normalize(toSky * r);
    vec3 skySun = normalize(toSky * l);
    float brightness = gl_LightSource[0].diffuse.r;
    vec3 sunColour;
    vec3 sky = SkyColour(skyDir, skySun, sunColour);
    vec4 clouds = textureCube(SkyBox, skyDir);
    vec3 reflection = Clouds(sky, clouds, skyDir, skySun, sunColour, brightness);

    float cosine = clamp(dot(n, v), 0.0, 1.0);
    float fresnel = 0.03 + 0.97 * pow(1.0 - cosine, 5.0);
    vec3 glint = gl_FrontLightProduct[0].specular.rgb
               * pow(max(dot(r, l), 0.0), max(gl_FrontMaterial.shininess, 1.0)) * shadow;

    float diffuse = max(dot(n, l), 0.0) * shadow;
    vec3 body = uWaterColor.rgb * (0.75 + 0.35 * diffuse) * (1.0 + 0.8 * crest);
    float range = max(uFar - uNear, 0.001);
    float distant = smoothstep(0.0, 1.0, clamp((vDistance - uNear) / range, 0.0, 1.0));
    float opacity = mix(max(uMinAlpha, 0.1), 1.0, 0.7 * distant);

    // Premultiplied: reflected light over the light from the water body.
    vec3 colour = fresnel * reflection + (1.0 - fresnel) * opacity * body + glint;
    float alpha = fresnel + (1.0 - fresnel) * opacity;
    alpha = clamp(alpha + dot(glint, vec3(0.333)), 0.0, 1.0);

    // Foam where the surface is steep: fast water and the thinning edge at the shore.
    float wild = smoothstep(0.04, 0.4, vSlope);
    // Far away the pattern flattens to an even tint instead of glittering.
    float pattern = 0.5 + 0.4 * (w1.a - 0.5) * fade1 + 0.6 * (w2.a - 0.5) * fade2;
    float edge = 0.62 - 0.16 * wild;
    float foam = 0.9 * wild * smoothstep(edge, edge + 0.15, pattern);
    vec3 foamColour = uWildWaterColor.rgb * (0.7 + 0.3 * diffuse);
    colour = mix(colour, foamColour, foam);
    alpha = mix(alpha, 1.0, foam);

    gl_FragColor = vec4(colour / max(alpha, 0.001), alpha);
}
