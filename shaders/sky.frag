#version 120
// Sky box (see sky.vert for what the drawing code provides).
//
// Units: 2 SkyBoxSpace (the star cube map), 3 SkyBoxClouds (the cloud cube map: rgb is the
// normal of the cloud relief, mirrored in x; alpha is the cloud density). uLight points
// towards the sun in the cube maps' frame, in which z is up. SkyMatrix4x4_normal is not
// needed: the cloud normals are turned into that frame here.

uniform samplerCube SkyBoxClouds;
uniform samplerCube SkyBoxSpace;
uniform vec3 uLight;

varying vec3 vDirection;

// The sky without clouds along direction d with the sun towards s; the water reflects the
// same gradient.
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

// The cloud layer over the sky.
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
    vec3 d = normalize(vDirection);
    vec3 s = normalize(uLight);
    float brightness = gl_Color.r;
    vec3 sunColour;
    vec3 sky = SkyColour(d, s, sunColour);

    // Stars show through the dusk sky above the horizon.
    float night = 1.0 - smoothstep(0.0, 0.35, s.z);
    vec3 stars = textureCube(SkyBoxSpace, d).rgb;
    sky += stars * stars * 3.0 * night * smoothstep(-0.02, 0.1, d.z);

    vec4 cloud = textureCube(SkyBoxClouds, d);
    sky = Clouds(sky, cloud, d, s, sunColour, brightness);

    // The sun's disc, hidden behind thick cloud.
    float g = max(dot(d, s), 0.0);
    sky += sunColour * 2.0 * smoothstep(0.9994, 0.9997, g) * (1.0 - cloud.a);

    // Below the horizon the haze darkens towards the ground.
    sky *= 1.0 - 0.55 * smoothstep(0.0, 0.6, -d.z);

    gl_FragColor = vec4(sky, 1.0);
}
