#include "app/dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <charconv>
#include <climits>
#include <cmath>
#include <string>

#include "terrain/terrain_generation_info.h"

namespace app {
namespace {

// What the fields read, at most as much as they ever could hold.
std::string FieldText(const QLineEdit* edit) {
    return edit->text().left(256).toStdString();
}

// Where a number would start under the C scanning rules: blanks skipped, and a '+' that
// from_chars does not take.
const char* NumberStart(const std::string& text) {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v')
        ++p;
    if (*p == '+' && p[1] != '-') ++p;
    return p;
}

// "%d": the leading number of the text, whatever follows it; a text without one leaves the
// value. A number too large for the value takes the nearest one it can hold.
void ScanInt(const QLineEdit* edit, int32_t& value) {
    const std::string text = FieldText(edit);
    const char* first = NumberStart(text);
    const char* last = text.c_str() + text.size();
    long long read = 0;
    const auto [end, error] = std::from_chars(first, last, read);
    if (end == first) return;
    if (error == std::errc::result_out_of_range) read = *first == '-' ? LLONG_MIN : LLONG_MAX;
    value = int32_t(std::clamp<long long>(read, INT32_MIN, INT32_MAX));
}

// "%f", in the C locale whatever the user's is (the fields are written that way). Infinities
// and NaN would pass every later check and poison the heights, so they leave the value too.
void ScanFloat(const QLineEdit* edit, float& value) {
    const std::string text = FieldText(edit);
    const char* first = NumberStart(text);
    const char* last = text.c_str() + text.size();
    float read = 0.0f;
    const auto [end, error] = std::from_chars(first, last, read);
    if (end == first || error != std::errc() || !std::isfinite(read)) return;
    value = read;
}

QLineEdit* AddEdit(QFormLayout* form, int id, const char* label, const QString& text) {
    auto* edit = new QLineEdit(text);
    edit->setObjectName(QString::number(id));
    form->addRow(label, edit);
    return edit;
}

QComboBox* AddDropDown(QFormLayout* form, int id, const char* label,
                       std::initializer_list<const char*> items, int selected) {
    auto* box = new QComboBox;
    box->setObjectName(QString::number(id));
    for (const char* item : items)
        box->addItem(item);
    box->setCurrentIndex(selected);  // outside the list: no selection
    form->addRow(label, box);
    return box;
}

// The OK (1) and Cancel (2) buttons, by their ids.
QDialogButtonBox* AddButtons(QDialog& dialog, QBoxLayout* layout, bool cancel) {
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | (cancel ? QDialogButtonBox::Cancel : QDialogButtonBox::NoButton));
    buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    if (cancel) buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return buttons;
}

constexpr const char* kControls[] = {
    "Controls",
    "   View",
    "     Left mouse and arrow keys: move",
    "     Right mouse: rotate",
    "     Left and right mouse / wheel: zoom",
    "     Ctrl + wheel: tilt",
    "     Shift + wheel: field of view angle",
    "     Home: reset tilt and FOV",
    "     ",
    "   Editing",
    "     Tab: switch mode",
    "     Shift + left mouse: terrain height editing",
    "     Shift + left and right mouse: cursor size adjustment",
    "     S: smooth cursor area",
    "     Insert: add a spring",
    "     Delete: delete the closest spring",
    "     Enter: tsunami efect - add a mountain of water",
    "     F2 / F3 / F4: toggle rain / water animation / aquarium efect",
    "     F5: generate new terrain",
    "     F6: terrain parameters and importing",
    "     ",
    "   Drawing",
    "     Alt + W / Alt + T / Alt + B / B: toggle water / terrain / sky box / aquarium box",
    "     Ctrl + W / Ctrl + T: toggle water wireframe / terrain wireframe",
    "     Ctrl + Shift + S: toggle shadows ",
    "     Ctrl + Alt + Shift + S: toggle shaders ",
    "     Ctrl + right mouse: sun direction adjustment ",
    "     ",
    "   More keyboard shortcuts are listed in the program menu.",
};

}  // namespace

bool AskTerrainParameters(QWidget* parent, terrain_generation_info& parameters) {
    terrain_generation_info& p = parameters;
    QDialog dialog(parent);
    dialog.setObjectName("102");
    dialog.setWindowTitle("Terrain Parameters");
    auto* layout = new QVBoxLayout(&dialog);

    auto* dimensions = new QGroupBox("Dimensions");
    auto* dimensions_form = new QFormLayout(dimensions);
    QLineEdit* x = AddEdit(dimensions_form, 1033, "X:", QString::asprintf("%d", p.x));
    QLineEdit* y = AddEdit(dimensions_form, 1034, "Y:", QString::asprintf("%d", p.y));
    QLineEdit* min = AddEdit(dimensions_form, 1035, "Min Z:", QString::asprintf("%.2f", p.min));
    QLineEdit* max = AddEdit(dimensions_form, 1036, "Max Z:", QString::asprintf("%.2f", p.max));
    layout->addWidget(dimensions);

    auto* shape_group = new QGroupBox("Terrain Shape");
    auto* shape_form = new QFormLayout(shape_group);
    QComboBox* shape = AddDropDown(
        shape_form, 1038, "Shape:", {"Flat", "Mountain", "Lake", "Valley", "Edge"}, p.type);
    QComboBox* algorithm = AddDropDown(
        shape_form, 1037,
        "Algorithm:", {"Random Points", "Faulting", "Perlin Noise", "Import Bitmap"}, p.algorithm);
    QLineEdit* detail = AddEdit(shape_form, 1039, "Detail:", QString::asprintf("%d", p.detail));
    QLineEdit* smooth =
        AddEdit(shape_form, 1040, "Smooth passes:", QString::asprintf("%d", p.smooth));
    layout->addWidget(shape_group);
    AddButtons(dialog, layout, true);

    if (dialog.exec() != QDialog::Accepted) return false;
    ScanInt(x, p.x);
    ScanInt(y, p.y);
    ScanFloat(min, p.min);
    ScanFloat(max, p.max);
    ScanInt(detail, p.detail);
    ScanInt(smooth, p.smooth);
    if (shape->currentIndex() >= 0) p.type = shape->currentIndex();
    if (algorithm->currentIndex() >= 0) p.algorithm = algorithm->currentIndex();
    p.CheckTerrainParameters();
    return true;
}

void ShowAbout(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName("103");
    dialog.setWindowTitle("About");
    auto* layout = new QVBoxLayout(&dialog);

    auto* head = new QHBoxLayout;
    const QIcon icon = parent ? parent->window()->windowIcon() : QApplication::windowIcon();
    if (!icon.isNull()) {
        auto* picture = new QLabel;
        picture->setPixmap(icon.pixmap(48, 48));
        head->addWidget(picture, 0, Qt::AlignTop);
    }
    auto* titles = new QVBoxLayout;
    titles->addWidget(new QLabel("QOR - Brenmoor version 2.0"));
    titles->addWidget(new QLabel("Water, ground and sky by the Brenmoor team"));
    head->addLayout(titles, 1);
    layout->addLayout(head);

    QStringList lines;
    for (const char* line : kControls)
        lines << line;
    auto* controls = new QLabel(lines.join('\n'));
    controls->setObjectName("controls");
    controls->setTextFormat(Qt::PlainText);
    controls->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    controls->setContentsMargins(20, 12, 0, 0);
    layout->addWidget(controls);
    AddButtons(dialog, layout, false);
    dialog.exec();
}

unsaved_answer AskUnsavedChanges(QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, "QOR - Brenmoor",
                    "The scene has changes that are not saved.",
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setInformativeText("Do you want to save them?");
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save:
            return unsaved_answer::save;
        case QMessageBox::Discard:
            return unsaved_answer::discard;
        default:
            return unsaved_answer::cancel;
    }
}

bool AskRestoreAutosave(QWidget* parent) {
    QMessageBox box(QMessageBox::Question, "QOR - Brenmoor",
                    "The program did not end cleanly last time. It had saved the scene "
                    "automatically before.",
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setInformativeText("Do you want to restore that scene?");
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace app
