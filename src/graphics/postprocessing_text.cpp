#include "graphics/postprocessing_text.h"

#include <initializer_list>
#include <string_view>

namespace graphics {
namespace {

constexpr std::string_view kVaryings =
    "varying vec2 tc_scene;\n"
    "varying vec3 tc_3d;\n"
    "varying vec2 tc_dist;\n"
    "varying vec2 tc_dither;\n";

// The composed expressions mix integer and float operands (dist/10, param.y*20, 256/width),
// which GLSL 1.10 refuses and 1.20 converts; the version line has to come first.
constexpr std::string_view kFragmentHeader =
    "#version 120\n"
    "#extension GL_ARB_texture_rectangle : enable\n"
    "uniform sampler2DRect uTex;\n"
    "uniform sampler3D uNorm;\n"
    "uniform sampler2D uDither;\n"
    "uniform sampler2D uDist;\n"
    "uniform float width;\n"
    "uniform float height;\n"
    "uniform float time;\n"
    "uniform vec2 mid;\n"
    "uniform vec2 param;\n"
    "uniform vec4 HSL;\n";

constexpr std::string_view kHslToRgb =
    "float HSL_RGB(float p,float q,float tc)\n"
    "{\n"
    "if(tc<0.0) tc+=1.0;\n"
    "if(tc>1.0) tc-=1.0;\n"
    "if(tc<1.0/6.0) return p+(q-p)*6.0*tc;\n"
    "if(tc<0.5) return q;\n"
    "if(tc<2.0/3.0) return p+(q-p)*6.0*(2.0/3.0-tc);\n"
    "return p;\n"
    "}\n\n";

constexpr std::string_view kHslShift =
    "float cmax=max(color.r,max(color.g,color.b));\n"
    "float cmin=min(color.r,min(color.g,color.b));\n"
    "float h=0.0;\n"
    "float s=0.0;\n"
    "float l=(cmax+cmin)/2.0;\n"
    "if(cmax!=cmin)\n"
    "{\n"
    "if(l>0.5) s=(cmax-cmin)/(2.0-(cmax+cmin)); else s=(cmax-cmin)/(cmax+cmin);\n"
    "if(cmax==color.r) { h=60.0*(color.g-color.b)/(cmax-cmin); if(color.g<color.b) h+=360.0; }\n"
    "else if(cmax==color.g) h=60.0*(color.b-color.r)/(cmax-cmin)+120.0;\n"
    "else h=60.0*(color.r-color.g)/(cmax-cmin)+240.0;\n"
    "}\n"
    "h+=HSL.x; if(h>360.0) h-=360.0;\n"
    "s*=HSL.y;\n"
    "l*=HSL.z;\n"
    "float q; if(l<0.5) q=l*(1.0+s); else q=l+s-l*s;\n"
    "float p=2.0*l-q;\n"
    "float hk=h/360.0;\n"
    "color.rgb=vec3(HSL_RGB(p,q,hk+1.0/3.0),HSL_RGB(p,q,hk),HSL_RGB(p,q,hk-1.0/3.0));\n";

constexpr std::string_view kDithering =
    "vec4 dither=texture2D(uDither,tc_dither);\n"
    "if(color.r*0.3+color.g*0.6+color.b*0.1>dither.r*0.3+dither.g*0.6+dither.b*0.1) "
    "color=vec4(1.0,1.0,1.0,1.0); else color=vec4(0.0,0.0,0.0,1.0);\n";

void WriteSample(std::string& text, int x, int y) {
    text += "texture2DRect(uTex,CTR(tc_scene+vec2(";
    text += std::to_string(x);
    text += ',';
    text += std::to_string(y);
    text += ")))";
}

// One kernel tap; the plain centre is sampled without an offset.
struct tap {
    int x, y;
    std::string_view weight;
    bool plain_centre = false;
};

void WriteTaps(std::string& text, std::initializer_list<tap> taps) {
    bool first = true;
    for (const tap& t : taps) {
        if (!first) text += '+';
        first = false;
        if (t.plain_centre)
            text += "texture2DRect(uTex,CTR(tc_scene))";
        else
            WriteSample(text, t.x, t.y);
        text += '*';
        text += t.weight;
    }
}

// Writes the definition of `s` and answers the side of the texture the transform samples,
// which the coordinate correction scales by (0: none).
int WriteTransform(std::string& text, const postproc_options& options,
                   const postproc_sizes& sizes) {
    const bool animated = options.time_animation;
    switch (options.transform) {
        case 1:
            text += "vec2 s=mid+dir*(1.0-min(1.0,dist/(param.x*1000.0)))*param.y*0.9";
            if (animated) text += "+vec2(sin(time*62.8),cos(time*62.8))*10.0";
            text += ";\n";
            return 0;
        case 2:
            text += "vec2 s=mid+dir*(1.0-sin(";
            if (animated) text += "time*62.8+";
            text += "dist/(param.x*10.0))/(param.y*20))*0.8;\n";
            return 0;
        case 3:
            text += "float alpha=atan(dir.y/dir.x); if(dir.x<0) alpha+=3.1459;\n";
            text += "float sin_time=sin(time*6.28);\n";
            text += "alpha+=dist/10*(param.x-0.5";
            if (animated) text += "+sin_time/100.0";
            text += ");\n";
            text += "vec2 s=mid+vec2(cos(alpha),sin(alpha))*";
            text += "dist*(param.y";
            if (animated) text += "+sin_time/10.0";
            text += ");\n";
            return 0;
        case 4:
            text += "vec2 s=vec2(c.s+sin(c.s/(param.x*10.0)";
            if (animated) text += "+time*62.8";
            text += ")*param.y*20.0, c.t);\n";
            return 0;
        case 5:
            text += "vec2 s=c+(texture3D(uNorm,vec3((tc_3d).xy*param.y*5.0,";
            text += animated ? "time" : "0.0";
            text += ")).xy-0.5)*param.x*100.0;\n";
            return sizes.water_wave;
        case 6:
            text += "vec2 s=c+(texture2D(uDist,tc_dist*param.y*5.0).xy-0.5)*param.x*100.0;\n";
            return sizes.dist;
        default:
            text += "vec2 s=c;\n";
            return 0;
    }
}

void WriteConvolution(std::string& text, int convolution) {
    switch (convolution) {
        case 1:
            WriteBoxBlur(text, 1, 1);
            return;
        case 2:
            WriteBoxBlur(text, 2, 1);
            return;
        case 3:
            WriteBoxBlur(text, 2, 3);
            return;
        case 4:  // sharpen
            text += "vec4 color = (";
            WriteTaps(text, {{0, 0, "5.0", true},
                             {-1, 0, "-1.0"},
                             {1, 0, "-1.0"},
                             {0, -1, "-1.0"},
                             {0, 1, "-1.0"}});
            text += ");\n";
            return;
        case 5:  // edge
            text += "vec4 color = (2.0*abs(";
            WriteTaps(text, {{0, 0, "4.0", true},
                             {-1, 0, "-1.0"},
                             {1, 0, "-1.0"},
                             {0, -1, "-1.0"},
                             {0, 1, "-1.0"}});
            text += "));\n";
            return;
        case 6:  // Sobel
            text += "vec4 color = (abs(";
            WriteTaps(text, {{-1, -1, "1.0"},
                             {1, -1, "-1.0"},
                             {-1, 0, "2.0"},
                             {1, 0, "-2.0"},
                             {-1, 1, "1.0"},
                             {1, 1, "-1.0"}});
            text += ")+abs(";
            WriteTaps(text, {{-1, -1, "-1.0"},
                             {0, -1, "-2.0"},
                             {1, -1, "-1.0"},
                             {-1, 1, "1.0"},
                             {0, 1, "2.0"},
                             {1, 1, "1.0"}});
            text += "));\n";
            return;
        case 7:  // emboss
            text += "vec4 color = (";
            WriteTaps(text, {{-1, -1, "-2.0"},
                             {0, -1, "-1.0"},
                             {-1, 0, "-1.0"},
                             {0, 0, "1.0"},
                             {1, 0, "1.0"},
                             {0, 1, "1.0"},
                             {1, 1, "2.0"}});
            text += ");\n";
            return;
        case 8:  // test
            text += "vec4 color = (";
            WriteTaps(text, {{-1, -1, "-2.0"},
                             {1, -1, "-2.0"},
                             {-1, 1, "-2.0"},
                             {1, 1, "-2.0"},
                             {0, 0, "8.0"}});
            text += ");\n";
            return;
        default:
            text += "vec4 color = texture2DRect(uTex,CTR(tc_scene));\n";
            return;
    }
}

}  // namespace

std::string PostProcVertexText() {
    std::string text(kVaryings);
    text +=
        "void main(void)\n"
        "{\n"
        "tc_scene = gl_MultiTexCoord0.st;\n"
        "tc_3d = gl_MultiTexCoord1.stq;\n"
        "tc_dither = gl_MultiTexCoord2.st;\n"
        "tc_dist = gl_MultiTexCoord3.st;\n"
        "gl_Position = ftransform();\n"
        "}\n";
    return text;
}

std::string PostProcFragmentText(const postproc_options& options, const postproc_sizes& sizes) {
    std::string text(kFragmentHeader);
    text += kVaryings;
    text += '\n';
    if (options.hsl_shift) text += kHslToRgb;

    text += "vec2 CTR(vec2 c)\n{\nfloat dist=distance(c,mid);\nvec2 dir=c-mid;\n";
    int size = WriteTransform(text, options, sizes);
    if (options.texture_coord_correction) {
        if (options.matrix_dithering) size = 256;
        if (size > 0) {
            const std::string n = std::to_string(size);
            text += "s=s*vec2(" + n + "/width," + n + "/height);\n";
        }
    }
    text += "return s;\n}\n\n";

    text += "void main(void)\n{\n";
    WriteConvolution(text, options.convolution);
    if (options.hsl_shift) text += kHslShift;
    if (options.grayscale)
        text +=
            "float lightness=color.r*0.3+color.g*0.6+color.b*0.1; "
            "color=vec4(lightness,lightness,lightness,1.0);\n";
    if (options.invert) text += "color=vec4(1.0,1.0,1.0,1.0)-color;\n";
    if (options.matrix_dithering) text += kDithering;
    text += "gl_FragColor=color; }";
    return text;
}

void WriteBoxBlur(std::string& text, int n, int k) {
    text += "vec4 color = (";
    for (int i = -n; i < n; ++i)
        for (int j = -n; j < n; ++j) {
            WriteSample(text, i * k, j * k);
            text += '+';
        }
    text += "vec4(0.0,0.0,0.0,0.0))/";
    text += std::to_string(4 * n * n);
    text += ";\n";
}

}  // namespace graphics
