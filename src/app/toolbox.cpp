#include "app/toolbox.h"

#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/program.h"

namespace app {

toolbox::toolbox(program& run, main_window& window)
    : QDockWidget("Toolbox", &window), run(run), window(window) {
    setObjectName("132");
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    auto* tabs = new QTabWidget(body);
    tabs->setObjectName("104");
    for (const char* label : {"Walking", "Terrain", "Objects", "PostProc"})
        tabs->addTab(new QWidget(tabs), label);
    layout->addWidget(tabs);
    auto* status = new QLineEdit(body);
    status->setObjectName("1401");
    status->setEnabled(false);
    layout->addWidget(status);
    setWidget(body);
    connect(tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0) this->run.commands->SelectMode(index);
    });
}

void toolbox::ShowPage(int mode) {
    if (auto* tabs = findChild<QTabWidget*>("104"); tabs && tabs->currentIndex() != mode)
        tabs->setCurrentIndex(mode);
}

void toolbox::SetStatus(const QString& text) {
    if (auto* status = findChild<QLineEdit*>("1401")) status->setText(text);
}

void toolbox::SetPostprocessingBox(bool) {}

}  // namespace app
