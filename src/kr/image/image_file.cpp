#include "kr/image/image_file.h"

#include "kr/image/texture.h"

namespace KR {

RgbaImage ReadImageFile(const char* file_name, const TextureDefaults& env) {
    Texture texture;
    texture.load(kGlTexture2D, file_name, env);
    RgbaImage image;
    image.width = texture.width;
    image.height = texture.height;
    image.pixels.assign(texture.data.get(), texture.data.get() + texture.side_bytes());
    return image;
}

}  // namespace KR
