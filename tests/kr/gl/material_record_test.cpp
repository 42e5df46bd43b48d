#include "kr/gl/material_record.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <random>

namespace {

uint32_t At(const uint8_t* record, size_t offset) {
    const uint8_t* p = record + offset;
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}

float FloatAt(const uint8_t* record, size_t offset) {
    return std::bit_cast<float>(At(record, offset));
}

TEST(MaterialRecord, FieldsGoToTheRecordOrderAndComeBackUnchanged) {
    KR::MaterialFields f;
    f.ResetToDefaults();
    f.SetName("Water");
    f.face = 1, f.flags = 2, f.alpha_func = 3, f.alpha_ref = 4, f.blend_src = 5;
    f.blend_dst = 6, f.tex_env_mode = 7, f.shade_model = 8, f.shininess = 9;
    float* colours[] = {f.ambient, f.diffuse, f.specular, f.emission, f.color, f.env_color};
    for (int c = 0; c < 6; ++c)
        for (int i = 0; i < 4; ++i)
            colours[c][i] = float(10 * (c + 1) + i);
    for (int i = 0; i < KR::MaterialFields::kReservedSize; ++i)
        f.reserved[i] = uint8_t(100 + i);

    uint8_t record[KR::kMaterialRecordSize];
    KR::EncodeMaterialRecord(f, record);
    EXPECT_STREQ(reinterpret_cast<const char*>(record), "Water");
    for (uint32_t k = 0; k < 7; ++k)  // face, flags, alpha_func, alpha_ref, src, dst, env mode
        EXPECT_EQ(k == 3 ? uint32_t(FloatAt(record, 44)) : At(record, 32 + 4 * k), k + 1);
    const size_t colour_at[] = {60, 76, 92, 112, 128, 144};  // the record's colour order
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(FloatAt(record, colour_at[c] + 4), float(10 * (c + 1) + 1)) << "colour " << c;
    EXPECT_EQ(FloatAt(record, 108), 9.0f);
    EXPECT_EQ(At(record, 160), 8u);
    EXPECT_EQ(record[164], 100);
    EXPECT_EQ(record[223], 100 + 59);

    KR::MaterialFields back;
    KR::DecodeMaterialRecord(record, back);
    uint8_t again[KR::kMaterialRecordSize];
    KR::EncodeMaterialRecord(back, again);
    EXPECT_EQ(std::memcmp(record, again, sizeof record), 0);
    EXPECT_STREQ(back.name, "Water");
    EXPECT_EQ(back.env_color[3], 63.0f);
}

TEST(MaterialRecord, AnyRecordSurvivesDecodingBitForBitButTheNameEndsInside) {
    std::mt19937 random(7);
    uint8_t record[KR::kMaterialRecordSize];
    for (uint8_t& b : record)
        b = uint8_t(random());
    for (int i = 0; i < 32; ++i)  // a name without its NUL
        record[i] = uint8_t('a' + i % 26);
    // Signalling and quiet NaNs must keep their payloads.
    const uint32_t nans[] = {0x7F800001u, 0xFFC12345u};
    std::memcpy(record + 44, &nans[0], 4);
    std::memcpy(record + 108, &nans[1], 4);

    KR::MaterialFields f;
    KR::DecodeMaterialRecord(record, f);
    EXPECT_EQ(std::strlen(f.name), 31u);
    EXPECT_TRUE(std::isnan(f.shininess));
    uint8_t again[KR::kMaterialRecordSize];
    KR::EncodeMaterialRecord(f, again);
    EXPECT_EQ(again[31], 0);
    record[31] = 0;
    EXPECT_EQ(std::memcmp(record, again, sizeof record), 0);
}

}  // namespace
