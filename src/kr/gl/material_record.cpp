#include "kr/gl/material_record.h"

#include <bit>
#include <cstring>

namespace KR {
namespace {

class RecordWriter {
  public:
    explicit RecordWriter(uint8_t* out) : p(out) {}
    void Bytes(const void* data, size_t n) {
        std::memcpy(p, data, n);
        p += n;
    }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            *p++ = uint8_t(v >> (8 * i));
    }
    void F32(float v) { U32(std::bit_cast<uint32_t>(v)); }
    void Color(const float* c) {
        for (int i = 0; i < 4; ++i)
            F32(c[i]);
    }

  private:
    uint8_t* p;
};

class RecordReader {
  public:
    explicit RecordReader(const uint8_t* in) : p(in) {}
    void Bytes(void* data, size_t n) {
        std::memcpy(data, p, n);
        p += n;
    }
    uint32_t U32() {
        const uint32_t v = p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
        p += 4;
        return v;
    }
    // Through the bits, so that every NaN pattern survives a round trip.
    float F32() { return std::bit_cast<float>(U32()); }
    void Color(float* c) {
        for (int i = 0; i < 4; ++i)
            c[i] = F32();
    }

  private:
    const uint8_t* p;
};

}  // namespace

void EncodeMaterialRecord(const MaterialFields& f, uint8_t* record) {
    RecordWriter w(record);
    w.Bytes(f.name, sizeof f.name);
    w.U32(f.face);
    w.U32(f.flags);
    w.U32(f.alpha_func);
    w.F32(f.alpha_ref);
    w.U32(f.blend_src);
    w.U32(f.blend_dst);
    w.U32(f.tex_env_mode);
    w.Color(f.ambient);
    w.Color(f.diffuse);
    w.Color(f.specular);
    w.F32(f.shininess);
    w.Color(f.emission);
    w.Color(f.color);
    w.Color(f.env_color);
    w.U32(f.shade_model);
    w.Bytes(f.reserved, sizeof f.reserved);
}

void DecodeMaterialRecord(const uint8_t* record, MaterialFields& f) {
    RecordReader r(record);
    r.Bytes(f.name, sizeof f.name);
    f.name[sizeof f.name - 1] = '\0';
    f.face = r.U32();
    f.flags = r.U32();
    f.alpha_func = r.U32();
    f.alpha_ref = r.F32();
    f.blend_src = r.U32();
    f.blend_dst = r.U32();
    f.tex_env_mode = r.U32();
    r.Color(f.ambient);
    r.Color(f.diffuse);
    r.Color(f.specular);
    f.shininess = r.F32();
    r.Color(f.emission);
    r.Color(f.color);
    r.Color(f.env_color);
    f.shade_model = r.U32();
    r.Bytes(f.reserved, sizeof f.reserved);
}

}  // namespace KR
