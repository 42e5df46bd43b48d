// The walking page: centring the view and the sky-box generator.

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QProgressDialog>

#include <cmath>
#include <iostream>
#include <streambuf>
#include <string>

#include "app/command_table.h"
#include "app/gl_view.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/toolbox.h"
#include "app/toolbox_controls.h"
#include "graphics/scene_textures.h"
#include "kr/base/console.h"
#include "terrain/app_settings.h"

namespace app {
namespace {

constexpr const char* kSkyBoxSizes[] = {
    "32 (extrem quick)", "64 (super quick)", "128 (very quick)", "256 (quick)",
    "512 (normal)",      "1024 (slow)",      "2048 (very slow)",
};
constexpr int kSkyBoxSizeCount = int(std::size(kSkyBoxSizes));

int SkyBoxSizeOfItem(int item) {
    return item >= 0 && item < kSkyBoxSizeCount ? 32 << item : 32;
}

int Position(float amount) {
    return int(std::lround(amount * 1000.0f));
}

// Passes the console's text on to standard output and calls back on every progress dot with
// the line written so far: the generators report progress only through the console.
class console_tap : public std::streambuf {
  public:
    explicit console_tap(std::function<void(const std::string&)> on_dot)
        : on_dot(std::move(on_dot)) {}

  protected:
    int overflow(int c) override {
        if (c == traits_type::eof()) return traits_type::not_eof(c);
        std::cout.put(char(c));
        if (c == '\n')
            line.clear();
        else
            line += char(c);
        if (c == '.') on_dot(line);
        return c;
    }
    int sync() override {
        std::cout.flush();
        return 0;
    }

  private:
    std::function<void(const std::string&)> on_dot;
    std::string line;
};

// Holds back the view's frames: a frame drawn in the middle of a regeneration would use
// textures that are being rebuilt.
class frame_hold : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        return type == QEvent::UpdateRequest || type == QEvent::Expose || type == QEvent::Paint;
    }
};

// While the cube maps are made (a 2048 sky box takes seconds): a progress window that shows the
// generator's own report, a busy cursor, and the window kept painted between progress dots.
class sky_box_progress {
  public:
    sky_box_progress(QWidget* parent, gl_view& view, int size)
        : view(view),
          dialog(QString("Generating the sky box, %1 x %1 per side...").arg(size), QString(), 0, 0,
                 parent),
          tap([this](const std::string& line) { Dot(line); }),
          stream(&tap) {
        dialog.setWindowTitle("New SkyBox");
        dialog.setWindowModality(Qt::WindowModal);
        dialog.setCancelButton(nullptr);
        dialog.setMinimumDuration(0);
        dialog.show();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        view.installEventFilter(&hold);
        KR::console.SetStream(&stream);
        Pump();
    }
    ~sky_box_progress() {
        KR::console.SetStream(&std::cout);
        view.removeEventFilter(&hold);
        QApplication::restoreOverrideCursor();
        view.update();  // the held frames start again
    }

  private:
    void Dot(const std::string& line) {
        dialog.setLabelText(QString::fromStdString(line).trimmed());
        Pump();
    }
    // Input waits until the sky box is done; painting does not. The generation goes on in the
    // view's context.
    void Pump() {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        view.makeCurrent();
    }

    gl_view& view;
    frame_hold hold;
    QProgressDialog dialog;
    console_tap tap;
    std::ostream stream;
};

}  // namespace

QWidget* toolbox::WalkingPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    connect(AddButton(layout, 1301, "Center terrain"), &QPushButton::clicked, this,
            [this] { window.Run(kCmdCenterTerrain); });
    layout->addSpacing(12);

    QPushButton* generate = AddButton(layout, 1422, "New SkyBox");
    skybox_size = new QComboBox;
    skybox_size->setObjectName(ControlName(1423));
    for (const char* item : kSkyBoxSizes)
        skybox_size->addItem(item);
    skybox_size->setCurrentIndex(2);
    layout->addWidget(skybox_size);

    auto* bars = new QGridLayout;
    auto add_bar = [&](int label_id, const char* text, int bar_id, float amount) {
        const int row = bars->rowCount();
        auto* label = new QLabel(text);
        label->setObjectName(ControlName(label_id));
        bars->addWidget(label, row, 0);
        QSlider* bar = MakeSlider(bar_id, 1000, Position(amount));
        bars->addWidget(bar, row, 1);
        // Any track bar re-reads the post-processing page's bars, as it always has.
        connect(bar, &QSlider::valueChanged, this, [this] { HslChanged(); });
        return bar;
    };
    clouds = add_bar(1424, "Clouds:", 1425, textures.skybox_clouds);
    turbulence = add_bar(1427, "Turb:", 1426, textures.skybox_turbulence);
    stars = add_bar(1429, "Stars:", 1428, textures.skybox_stars);
    layout->addLayout(bars);
    layout->addStretch();

    connect(generate, &QPushButton::clicked, this, [this] { NewSkyBox(); });
    return page;
}

void toolbox::NewSkyBox() {
    const int size = SkyBoxSizeOfItem(skybox_size->currentIndex());
    const float c = float(clouds->value()) / 1000.0f;
    const float t = float(turbulence->value()) / 1000.0f;
    const float s = float(stars->value()) / 1000.0f;
    gl_view& view = window.View();
    Guard([&] {
        sky_box_progress progress(&window, view, size);
        view.makeCurrent();
        graphics::CreateSkyBoxTextures(size, c, t, s);
    });
}

}  // namespace app
