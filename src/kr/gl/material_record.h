#pragma once
// The 224-byte little-endian material record of material files. Its field order is not the
// order of MaterialFields, so it is written and read field by field.

#include <cstddef>
#include <cstdint>

#include "kr/gl/material_fields.h"

namespace KR {

constexpr size_t kMaterialRecordSize = 224;

void EncodeMaterialRecord(const MaterialFields& fields, uint8_t* record);
// Every byte comes from the record except the last name byte, which is forced to NUL so
// that a hostile record cannot leave the name unterminated.
void DecodeMaterialRecord(const uint8_t* record, MaterialFields& fields);

}  // namespace KR
