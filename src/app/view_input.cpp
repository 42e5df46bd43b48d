#include "app/view_input.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "graphics/postprocessing_program.h"
#include "kr/math/math_constants.h"
#include "terrain/app_settings.h"
#include "terrain/simulation_settings.h"
#include "terrain/terrain.h"

namespace app {
namespace {

float WrapDegrees(float a) {
    if (a < 0) a += 360;
    if (a > 360) a -= 360;
    return a;
}

}  // namespace

bool view_input::Move(int x, int y, const mouse_buttons& held, const view_area& area) {
    moved = true;
    if (sim.mode == 3 && held.shift && held.ctrl) {
        const float u = float(x - (area.client_width - area.view_width)) / float(area.view_width);
        const float v = float(area.view_height - (y - (area.client_height - area.view_height))) /
                        float(area.view_height);
        if (held.left) postproc.mid = KR::Vector2(u, v);
        if (held.right) postproc.param = KR::Vector2(u, v);
        return false;
    }
    if (dragging) {
        const float dx = float(last_x - x), dy = float(last_y - y);
        KR::Vector4& view = scene.view;
        KR::Vector4& target = scene.view_pos;
        if (held.left && !held.right && !held.middle) {
            if (held.shift && sim.mode == 1) {
                const auto raise = [&] { scene.RaiseBrush(dy / 10); };
                stroking = true;
                if (brush_edit)
                    brush_edit(raise);
                else
                    raise();
            } else {
                const float k = 200.0f / (view.z + 2);
                const float h = view.x / 180.0f * KR::kPi, side = h - KR::kPi / 2;
                target.y -= std::cos(h) * dy / k;
                target.x -= std::sin(h) * dy / k;
                target.y -= std::cos(side) * dx / k;
                target.x -= std::sin(side) * dx / k;
            }
        } else if (held.right && !held.left && !held.middle && !held.ctrl) {
            view.x = WrapDegrees(view.x - dx / 2);
            view.y = std::clamp(view.y + dy / 2, 0.0f, 180.0f);
        } else if (held.right && !held.left && !held.middle) {
            scene.sun.x = WrapDegrees(scene.sun.x + dx / 2);
            scene.sun.y = std::clamp(scene.sun.y + dy / 5, 0.0f, 90.0f);
        } else if (held.middle || (held.left && held.right)) {
            if (held.shift && sim.mode == 1)
                scene.brush_radius = std::max(scene.brush_radius + dy / 10, 1.0f);
            else
                view.z = std::max(view.z + view.z * dy / 100, 0.1f);
        }
    }
    last_x = x;
    last_y = y;
    dragging = held.Any();
    const int w = area.client_width, h = area.client_height;
    if (dragging && (x < w / 3 || x > w - w / 3 || y < h / 3 || y > h - h / 3)) {
        dragging = false;  // the warp itself is not a drag
        return true;
    }
    return false;
}

void view_input::Release() {
    if (!std::exchange(stroking, false)) return;
    if (stroke_end) stroke_end();
}

void view_input::Wheel(int delta, const mouse_buttons& held) {
    KR::Vector4& view = scene.view;
    if (held.ctrl) {
        view.w += delta > 0 ? 5.0f : -5.0f;
    } else if (held.shift) {
        display.field_of_view =
            std::clamp(display.field_of_view * (delta > 0 ? 1.05f : 0.95f), 1.0f, 150.0f);
    } else {
        for (int notch = 0; notch < std::abs(delta / 120); ++notch)
            view.z += delta > 0 ? view.z / 5 : -view.z / 5;
    }
}

void view_input::Keys(bool up, bool down, bool left, bool right, bool shift) {
    const float speed = (shift ? 0.3f : 1.0f) * 10.0f;
    const float step = speed / (200.0f / (scene.view.z + 2));
    const float h = scene.view.x / 180.0f * KR::kPi, side = h - KR::kPi / 2;
    KR::Vector4& target = scene.view_pos;
    if (up) target.y += std::cos(h) * step, target.x += std::sin(h) * step;
    if (down) target.y -= std::cos(h) * step, target.x -= std::sin(h) * step;
    if (left) target.y += std::cos(side) * step, target.x += std::sin(side) * step;
    if (right) target.y -= std::cos(side) * step, target.x -= std::sin(side) * step;
}

}  // namespace app
