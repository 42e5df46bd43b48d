#include "terrain/image_file_source.h"

#include <algorithm>

#include "kr/texture.h"

rgba_image ReadImageFile(const std::string& file_name) {
    KR::Texture texture;
    const KR::TextureDefaults defaults;
    texture.load(KR::kGlTexture2D, file_name.c_str(), defaults);
    rgba_image image;
    image.width = texture.width;
    image.height = texture.height;
    image.pixels.assign(texture.data.get(), texture.data.get() + texture.side_bytes());
    return image;
}
