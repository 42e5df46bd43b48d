#version 120
// Terrain of one cluster: ground coloured by height and slope, textured with the detail, main
// and contour maps, tinted to the water colour where it lies under water, lit by the sun and
// shadowed through the shadow map.
//
// Drawing code: gl_Vertex = ground position (x, y in grid steps, z = height), gl_Normal = ground
// normal (any length), attribute aWater = water depth at the vertex. LIGHT0 is the sun
// (directional, position given under the view) and the "Terrain" material is applied. When
// uShowShadows is 1, unit 3 holds the shadow depth map (compare mode on) with the shadow
// texture matrix and the eye-linear planes S, T, R, Q of fixed-function shadows; they are
// evaluated here, since texture generation does not run for a vertex shader.

attribute float aWater;

varying vec3 vPosition;   // object space
varying vec3 vNormal;     // object space, not normalised
varying vec3 vToSun;      // object space, unit length
varying vec4 vShadow;     // shadow map coordinates
varying float vWater;

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    vPosition = gl_Vertex.xyz;
    vNormal = gl_Normal;
    vToSun = normalize((gl_ModelViewMatrixInverse * vec4(gl_LightSource[0].position.xyz, 0.0)).xyz);
    vWater = max(aWater, 0.0);

    vec4 generated = vec4(dot(eye, gl_EyePlaneS[3]), dot(eye, gl_EyePlaneT[3]),
                          dot(eye, gl_EyePlaneR[3]), dot(eye, gl_EyePlaneQ[3]));
    vShadow = gl_TextureMatrix[3] * generated;

    gl_Position = ftransform();
}
