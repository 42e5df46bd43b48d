// Drawing straight from a texture: quads, pixel blocks, tiles and texts from a font sheet.

#include <GL/glew.h>

#include <cstdarg>
#include <cstdio>

#include "kr/image/texture.h"

namespace KR {

void Texture::draw_quad(float x0, float y0, float x1, float y1) const {
    bind();
    glBegin(GL_QUADS);
    glTexCoord2f(1, 1);
    glVertex2f(x1, y1);
    glTexCoord2f(0, 1);
    glVertex2f(x0, y1);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y0);
    glTexCoord2f(1, 0);
    glVertex2f(x1, y0);
    glEnd();
}

void Texture::draw_pixels() const {
    if (!data) return;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, data.get());
}

void Texture::draw_pixels(float x, float y, float zoom_x, float zoom_y) const {
    glRasterPos2f(x, y);
    glPixelZoom(zoom_x, zoom_y);
    draw_pixels();
    glPixelZoom(1.0f, 1.0f);
}

void Texture::draw_tile(int32_t column, int32_t row) const {
    if (!data || tile_width <= 0 || tile_height <= 0 || column < 0 || row < 0) return;
    const int64_t x = int64_t(column) * tile_width, y = int64_t(row) * tile_height;
    if (x + tile_width > width || y + tile_height > height) return;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, GLint(x));
    glPixelStorei(GL_UNPACK_SKIP_ROWS, GLint(y));
    glDrawPixels(tile_width, tile_height, GL_RGBA, GL_UNSIGNED_BYTE, data.get());
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
}

void Texture::draw_text(float x, float y, float char_width, float char_height, const char* format,
                        ...) const {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    // Character k sits at column k % 16 and row k / 16 of the sheet, row 0 at the top.
    constexpr float cell = 1.0f / 16.0f;
    bind();
    glBegin(GL_QUADS);
    for (const char* c = text; *c; ++c, x += char_width) {
        const unsigned k = static_cast<unsigned char>(*c);
        const float u = float(k % 16) * cell;
        const float v = 1.0f - float(k / 16 + 1) * cell;
        glTexCoord2f(u, v);
        glVertex2f(x, y);
        glTexCoord2f(u + cell, v);
        glVertex2f(x + char_width, y);
        glTexCoord2f(u + cell, v + cell);
        glVertex2f(x + char_width, y + char_height);
        glTexCoord2f(u, v + cell);
        glVertex2f(x, y + char_height);
    }
    glEnd();
}

}  // namespace KR
