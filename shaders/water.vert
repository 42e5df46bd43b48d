#version 120
// Water surface of one cluster: animated waves, the sky reflected through the cloud cube map,
// the sun's glint, foam where the water runs shallow or fast, opacity that grows with the
// distance and the low sun, and shadows.
//
// Drawing code: gl_Vertex = drawn water-surface position, gl_Normal = water normal as the
// draw buffers hold it (not normalised, z up: its tilt is the slope of the surface, which is
// steep where water flows fast and where it thins out at the shore). LIGHT0 is the sun
// (directional, given under the view) and the "Water" material is applied. When uShowShadows
// is 1, unit 3 holds the shadow depth map (compare mode on) with the shadow texture matrix and
// the eye-linear planes S, T, R, Q of fixed-function shadows; they are evaluated here.

varying vec3 vPosition;   // object space
varying vec3 vNormal;     // object space, not normalised
varying vec3 vToEye;      // object space, from the surface to the eye
varying vec3 vToSun;      // object space, unit length
varying vec4 vShadow;     // shadow map coordinates
varying float vDistance;  // from the eye
varying float vSlope;     // rise per grid step

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    vPosition = gl_Vertex.xyz;
    vNormal = gl_Normal;
    vToEye = (gl_ModelViewMatrixInverse * vec4(0.0, 0.0, 0.0, 1.0)).xyz - gl_Vertex.xyz;
    vToSun = normalize((gl_ModelViewMatrixInverse * vec4(gl_LightSource[0].position.xyz, 0.0)).xyz);
    vDistance = length(eye.xyz);
    // The buffers hold height differences over two grid steps.
    vSlope = 0.5 * length(gl_Normal.xy) / max(abs(gl_Normal.z), 0.001);

    vec4 generated = vec4(dot(eye, gl_EyePlaneS[3]), dot(eye, gl_EyePlaneT[3]),
                          dot(eye, gl_EyePlaneR[3]), dot(eye, gl_EyePlaneQ[3]));
    vShadow = gl_TextureMatrix[3] * generated;

    gl_Position = ftransform();
}
