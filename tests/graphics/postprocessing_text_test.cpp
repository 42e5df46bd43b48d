#include "graphics/postprocessing_text.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string kVaryings =
    "varying vec2 tc_scene;\nvarying vec3 tc_3d;\nvarying vec2 tc_dist;\nvarying vec2 tc_dither;\n";
const std::string kHeader =
    "#version 120\n#extension GL_ARB_texture_rectangle : enable\n"
    "uniform sampler2DRect uTex;\nuniform sampler3D uNorm;\nuniform sampler2D uDither;\n"
    "uniform sampler2D uDist;\nuniform float width;\nuniform float height;\nuniform float time;\n"
    "uniform vec2 mid;\nuniform vec2 param;\nuniform vec4 HSL;\n" +
    kVaryings + "\nvec2 CTR(vec2 c)\n{\nfloat dist=distance(c,mid);\nvec2 dir=c-mid;\n";
const std::string kMain = "return s;\n}\n\nvoid main(void)\n{\n";
const std::string kPlain = "vec4 color = texture2DRect(uTex,CTR(tc_scene));\n";
const std::string kLens = "vec2 s=mid+dir*(1.0-min(1.0,dist/(param.x*1000.0)))*param.y*0.9";
const std::string kNoise = "vec2 s=c+(texture3D(uNorm,vec3((tc_3d).xy*param.y*5.0,";
const std::string kTexture =
    "vec2 s=c+(texture2D(uDist,tc_dist*param.y*5.0).xy-0.5)*param.x*100.0;\n";
const std::string kTwister =
    "float alpha=atan(dir.y/dir.x); if(dir.x<0) alpha+=3.1459;\n"
    "float sin_time=sin(time*6.28);\nalpha+=dist/10*(param.x-0.5";
const std::string kDither =
    "vec4 dither=texture2D(uDither,tc_dither);\n"
    "if(color.r*0.3+color.g*0.6+color.b*0.1>dither.r*0.3+dither.g*0.6+dither.b*0.1) "
    "color=vec4(1.0,1.0,1.0,1.0); else color=vec4(0.0,0.0,0.0,1.0);\n";

std::string Sample(const std::string& offset) {
    return offset == "c" ? "texture2DRect(uTex,CTR(tc_scene))"
                         : "texture2DRect(uTex,CTR(tc_scene+vec2(" + offset + ")))";
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}

// A box blur over the sample offsets, in the order written.
std::string Box(const std::string& offsets, const char* divisor) {
    std::string text = "vec4 color = (";
    for (const std::string& offset : Words(offsets))
        text += Sample(offset) + "+";
    return text + "vec4(0.0,0.0,0.0,0.0))/" + divisor + ";\n";
}

// A kernel's taps "offset*weight" joined by '+'; offset "c" is the plain centre.
std::string Taps(const std::string& taps) {
    std::string text;
    for (const std::string& tap : Words(taps)) {
        if (!text.empty()) text += '+';
        text += Sample(tap.substr(0, tap.find('*'))) + tap.substr(tap.find('*'));
    }
    return text;
}

TEST(PostProcText, VertexTextPassesTheFourCoordinateSetsOn) {
    EXPECT_EQ(graphics::PostProcVertexText(),
              kVaryings +
                  "void main(void)\n{\ntc_scene = gl_MultiTexCoord0.st;\n"
                  "tc_3d = gl_MultiTexCoord1.stq;\ntc_dither = gl_MultiTexCoord2.st;\n"
                  "tc_dist = gl_MultiTexCoord3.st;\ngl_Position = ftransform();\n}\n");
}

// Check boxes by letter: Time, Correction, Hsl, Grayscale, Invert, Dithering.
graphics::postproc_options Options(int transform, int convolution, std::string_view boxes) {
    const auto on = [&](char box) { return boxes.find(box) != std::string_view::npos; };
    return {transform, convolution, on('t'), on('c'), on('h'), on('g'), on('i'), on('d')};
}

// Every transform and every convolution once, with the check boxes' pieces among them.
TEST(PostProcText, FragmentTextForEachOptionSet) {
    const std::string none = "vec2 s=c;\n";
    const auto cross = [](const std::string& centre) {  // sharpen and edge
        return Taps("c*" + centre + " -1,0*-1.0 1,0*-1.0 0,-1*-1.0 0,1*-1.0");
    };
    const struct {
        graphics::postproc_options options;
        graphics::postproc_sizes sizes;
        std::string ctr, body;
    } cases[] = {
        {Options(0, 0, ""), {128, 256}, none, kPlain},
        {Options(7, 9, ""), {}, none, kPlain},  // out of range: None
        {Options(1, 0, "c"), {128, 256}, kLens + ";\n", kPlain},
        {Options(1, 0, "tcd"),
         {128, 256},
         kLens + "+vec2(sin(time*62.8),cos(time*62.8))*10.0;\ns=s*vec2(256/width,256/height);\n",
         kPlain + kDither},
        {Options(2, 2, "t"),
         {},
         "vec2 s=mid+dir*(1.0-sin(time*62.8+dist/(param.x*10.0))/(param.y*20))*0.8;\n",
         Box("-2,-2 -2,-1 -2,0 -2,1 -1,-2 -1,-1 -1,0 -1,1 0,-2 0,-1 0,0 0,1 1,-2 1,-1 1,0 1,1",
             "16")},
        {Options(3, 4, ""),
         {},
         kTwister + ");\nvec2 s=mid+vec2(cos(alpha),sin(alpha))*dist*(param.y);\n",
         "vec4 color = (" + cross("5.0") + ");\n"},
        {Options(3, 5, "t"),
         {},
         kTwister + "+sin_time/100.0);\n"
                    "vec2 s=mid+vec2(cos(alpha),sin(alpha))*dist*(param.y+sin_time/10.0);\n",
         "vec4 color = (2.0*abs(" + cross("4.0") + "));\n"},
        {Options(4, 6, "t"),
         {},
         "vec2 s=vec2(c.s+sin(c.s/(param.x*10.0)+time*62.8)*param.y*20.0, c.t);\n",
         "vec4 color = (abs(" + Taps("-1,-1*1.0 1,-1*-1.0 -1,0*2.0 1,0*-2.0 -1,1*1.0 1,1*-1.0") +
             ")+abs(" + Taps("-1,-1*-1.0 0,-1*-2.0 1,-1*-1.0 -1,1*1.0 0,1*2.0 1,1*1.0") + "));\n"},
        {Options(5, 7, "c"),
         {128, 256},
         kNoise + "0.0)).xy-0.5)*param.x*100.0;\ns=s*vec2(128/width,128/height);\n",
         "vec4 color = (" + Taps("-1,-1*-2.0 0,-1*-1.0 -1,0*-1.0 0,0*1.0 1,0*1.0 0,1*1.0 1,1*2.0") +
             ");\n"},
        {Options(5, 8, "t"),
         {128, 256},
         kNoise + "time)).xy-0.5)*param.x*100.0;\n",
         "vec4 color = (" + Taps("-1,-1*-2.0 1,-1*-2.0 -1,1*-2.0 1,1*-2.0 0,0*8.0") + ");\n"},
        {Options(6, 1, "c"),
         {128, 512},
         kTexture + "s=s*vec2(512/width,512/height);\n",
         Box("-1,-1 -1,0 0,-1 0,0", "4")},
        {Options(6, 0, "c"), {128, 0}, kTexture, kPlain},  // "Dist" not made yet
        {Options(0, 3, "gi"),
         {},
         none,
         Box("-6,-6 -6,-3 -6,0 -6,3 -3,-6 -3,-3 -3,0 -3,3 0,-6 0,-3 0,0 0,3 3,-6 3,-3 3,0 3,3",
             "16") +
             "float lightness=color.r*0.3+color.g*0.6+color.b*0.1; "
             "color=vec4(lightness,lightness,lightness,1.0);\n"
             "color=vec4(1.0,1.0,1.0,1.0)-color;\n"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(graphics::PostProcFragmentText(cases[i].options, cases[i].sizes),
                  kHeader + cases[i].ctr + kMain + cases[i].body + "gl_FragColor=color; }")
            << "case " << i;
}

}  // namespace
