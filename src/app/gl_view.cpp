#include "app/gl_view.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "graphics/opengl_setup.h"

namespace app {

gl_view::gl_view(terrain& scene, view_input& input)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate), scene(scene), input(input) {}

void gl_view::Guard(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        if (on_fatal) on_fatal(error);
    }
}

void gl_view::initializeGL() {
    Guard([&] {
        if (on_start) on_start();
        started = true;
    });
}

void gl_view::resizeGL(int w, int h) {
    if (!started) return;
    Guard([&] {
        graphics::view_layout layout;
        layout.client_width = int(w * devicePixelRatio());
        layout.client_height = int(h * devicePixelRatio());
        graphics::UpdateView(layout);
    });
}

void gl_view::paintGL() {
    if (!started) return;
    Guard([&] {
        if (on_frame) on_frame();
    });
    update();  // the next frame as soon as this one is shown
}

mouse_buttons gl_view::Held(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) const {
    mouse_buttons held;
    held.left = buttons & Qt::LeftButton;
    held.right = buttons & Qt::RightButton;
    held.middle = buttons & Qt::MiddleButton;
    held.shift = modifiers & Qt::ShiftModifier;
    held.ctrl = modifiers & Qt::ControlModifier;
    return held;
}

void gl_view::mousePressEvent(QMouseEvent* event) {
    input.Press();
    requestActivate();
    event->accept();
}

void gl_view::mouseReleaseEvent(QMouseEvent* event) {
    Guard([&] { input.Release(); });
    const bool click = event->button() == Qt::LeftButton && input.ReleaseIsClick();
    if (click && on_pick) {
        const QPointF p = event->position() * devicePixelRatio();
        Guard([&] {
            makeCurrent();
            on_pick(int(p.x()), int(p.y()));
        });
    }
    if (event->buttons() == Qt::NoButton) unsetCursor();
    event->accept();
}

void gl_view::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position() * devicePixelRatio();
    const mouse_buttons held = Held(event->buttons(), event->modifiers());
    view_area area;
    area.client_width = area.view_width = int(width() * devicePixelRatio());
    area.client_height = area.view_height = int(height() * devicePixelRatio());
    bool warp = false;
    Guard([&] { warp = input.Move(int(p.x()), int(p.y()), held, area); });
    if (held.Any())
        setCursor(Qt::BlankCursor);
    else
        unsetCursor();
    if (warp) QCursor::setPos(mapToGlobal(QPoint(width() / 2, height() / 2)));
    event->accept();
}

void gl_view::wheelEvent(QWheelEvent* event) {
    const mouse_buttons held = Held(event->buttons(), event->modifiers());
    input.Wheel(event->angleDelta().y(), held);
    event->accept();
}

void gl_view::keyPressEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) held_keys.insert(event->key());
    QOpenGLWindow::keyPressEvent(event);
}

void gl_view::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) held_keys.erase(event->key());
    QOpenGLWindow::keyReleaseEvent(event);
}

void gl_view::focusOutEvent(QFocusEvent* event) {
    held_keys.clear();  // a key released elsewhere would otherwise stay held
    QOpenGLWindow::focusOutEvent(event);
}

}  // namespace app
