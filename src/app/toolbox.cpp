#include "app/toolbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/command_table.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/toolbox_controls.h"
#include "kr/base/console.h"

namespace app {

toolbox::toolbox(program& run, main_window& window)
    : QDockWidget("Toolbox", &window), run(run), window(window) {
    setObjectName("132");
    // Docked for good: closing it any other way than "Hide" would leave the menu mark wrong.
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    tabs = new QTabWidget(body);
    tabs->setObjectName("104");
    tabs->setUsesScrollButtons(false);  // every page's tab in sight: the dock takes their width
    tabs->addTab(WalkingPage(), "Walking");
    tabs->addTab(TerrainPage(), "Terrain");
    tabs->addTab(ObjectsPage(), "Objects");
    tabs->addTab(PostProcPage(), "PostProc");
    layout->addWidget(tabs);

    auto* hide = new QPushButton("Hide", body);
    hide->setObjectName("1001");
    connect(hide, &QPushButton::clicked, this, [this] { this->window.Run(kCmdShowToolbox); });
    layout->addWidget(hide);
    status = new QLineEdit(body);
    status->setObjectName("1401");
    status->setEnabled(false);
    layout->addWidget(status);
    setWidget(body);

    // Connected last: the tabs added above must not select a mode before the window is built.
    connect(tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0) this->run.commands->SelectMode(index);
    });
}

void toolbox::ShowPage(int mode) {
    const QSignalBlocker quiet(tabs);  // the mode is already selected
    tabs->setCurrentIndex(mode);
}

void toolbox::SetStatus(const QString& text) {
    status->setText(text);
}

void toolbox::SetPostprocessingBox(bool on) {
    const QSignalBlocker quiet(enable);
    enable->setChecked(on);
}

void toolbox::Guard(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        KR::console << error.what() << "\n";
        QMessageBox::critical(this, "Error", QString::fromLocal8Bit(error.what()));
        QApplication::exit(0);
    }
}

void toolbox::Act(const std::function<void()>& action) {
    Guard([&] {
        run.Paused([&] {
            action();
            run.edits.Changed();  // every action here adds an object
        });
    });
}

QWidget* toolbox::TerrainPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    connect(AddButton(layout, 1101, "Generate"), &QPushButton::clicked, this,
            [this] { window.Run(kCmdGenerate); });
    layout->addStretch();
    return page;
}

QWidget* toolbox::ObjectsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    connect(AddButton(layout, 1201, "Add spring"), &QPushButton::clicked, this,
            [this] { window.Run(kCmdAddSpring); });
    connect(AddButton(layout, 1202, "Add static object"), &QPushButton::clicked, this,
            [this] { window.Run(kCmdAddStatic); });
    connect(AddButton(layout, 1402, "Fire ball"), &QPushButton::clicked, this,
            [this] { Act([this] { run.scene.AddBall(); }); });
    connect(AddButton(layout, 1404, "Add Agent Food"), &QPushButton::clicked, this,
            [this] { Act([this] { run.scene.AddAgentFood(nullptr, nullptr, 0.0); }); });
    connect(AddButton(layout, 1406, "Add Agent"), &QPushButton::clicked, this,
            [this] { Act([this] { run.scene.AddAgent(); }); });
    layout->addStretch();
    return page;
}

}  // namespace app
