#pragma once
// Portable greymaps (.pgm): binary (P5) or plain text (P2), maxval 1 ... 65535; binary samples
// above 255 take two bytes, most significant first. A header comment
// "qor:min=LOW qor:max=HIGH" records the range the samples stand for.

#include "kr/image/grey_image.h"

namespace KR {

class ByteReader;

// Raises KR::ErrorFile at "KR::ReadPgm" unless the bytes are a whole greymap.
GreyImage ReadPgm(ByteReader& in);
GreyImage ReadPgm(const char* file_name);

// Writes a binary greymap with the image's maxval, and its range when it has one.
// Raises KR::ErrorFile at "KR::WritePgm".
void WritePgm(const char* file_name, const GreyImage& image);

}  // namespace KR
