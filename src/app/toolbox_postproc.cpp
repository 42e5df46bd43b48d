// The post-processing page: every choice of the generated program, the switch, and the HSL
// bars, which only set the program's uniform.

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include <algorithm>
#include <cmath>

#include "app/command_table.h"
#include "app/gl_view.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/toolbox.h"
#include "app/toolbox_controls.h"
#include "graphics/postprocessing_program.h"

namespace app {
namespace {

constexpr const char* kTransforms[graphics::kPostProcTransforms] = {
    "None", "Lens", "Circle Waves", "Twister", "Parallel Waves", "Noise", "Texture"};
constexpr const char* kConvolutions[graphics::kPostProcConvolutions] = {
    "None", "Blur", "Blur More", "Blur Step", "Sharpen", "Edge", "Sobel", "Emboss", "Test"};

// Linear up to a quarter of the bar (factor 1), squared beyond: the end of the bar gives 16.
float HslFactorOfPosition(int position) {
    const float f = float(position) / 250.0f;
    return f > 1.0f ? f * f : f;
}

// The bar position that shows a factor (the inverse of the above).
int HslPositionOfFactor(float factor) {
    const float f = factor > 1.0f ? std::sqrt(factor) : std::max(factor, 0.0f);
    return int(std::lround(f * 250.0f));
}

QComboBox* AddDropDown(QBoxLayout* layout, int id, const char* label, const char* const* items,
                       int count, int selected) {
    layout->addWidget(new QLabel(label));
    auto* box = new QComboBox;
    box->setObjectName(ControlName(id));
    for (int i = 0; i < count; ++i)
        box->addItem(items[i]);
    box->setCurrentIndex(std::clamp(selected, 0, count - 1));
    layout->addWidget(box);
    return box;
}

}  // namespace

QWidget* toolbox::PostProcPage() {
    const graphics::postproc_options& o = graphics::postproc.options;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    transform = AddDropDown(layout, 1403, "Coord transform", kTransforms,
                            graphics::kPostProcTransforms, o.transform);
    convolution = AddDropDown(layout, 1408, "Convolution", kConvolutions,
                              graphics::kPostProcConvolutions, o.convolution);
    time_animation = AddCheckBox(layout, 1413, "Time animation", o.time_animation);
    coord_correction =
        AddCheckBox(layout, 1414, "Texture Coord Correction", o.texture_coord_correction);
    hsl_shift = AddCheckBox(layout, 1415, "HSL Shift", o.hsl_shift);
    grayscale = AddCheckBox(layout, 1407, "Grayscale", o.grayscale);
    invert = AddCheckBox(layout, 1409, "Invert", o.invert);
    dithering = AddCheckBox(layout, 1412, "Matrix Dithering", o.matrix_dithering);

    auto* bars = new QGridLayout;
    const KR::Vector4& hsl = graphics::postproc.HSL;
    auto add_bar = [&](int label_id, int bar_id, int maximum, int position, QLabel*& label) {
        const int row = bars->rowCount();
        label = new QLabel;
        label->setObjectName(ControlName(label_id));
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance("L:16.00"));
        bars->addWidget(label, row, 0);
        QSlider* bar = MakeSlider(bar_id, maximum, position);
        bars->addWidget(bar, row, 1);
        connect(bar, &QSlider::valueChanged, this, [this] { HslChanged(); });
        return bar;
    };
    hue = add_bar(1419, 1416, 360, int(std::lround(hsl.x)), hue_label);
    saturation = add_bar(1420, 1417, 1000, HslPositionOfFactor(hsl.y), saturation_label);
    lightness = add_bar(1421, 1418, 1000, HslPositionOfFactor(hsl.z), lightness_label);
    layout->addLayout(bars);
    HslChanged();

    enable =
        AddCheckBox(layout, 1405, "Enable post processing", run.state.display.postproc_enable != 0);
    layout->addStretch();

    // Connected once the page stands, so that filling it regenerates nothing.
    for (QComboBox* box : {transform, convolution})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { PostprocChanged(); });
    for (QCheckBox* box :
         {time_animation, coord_correction, hsl_shift, grayscale, invert, dithering})
        connect(box, &QCheckBox::toggled, this, [this] { PostprocChanged(); });
    // The switch is the menu's: the dispatch flips it, marks the menu and regenerates.
    connect(enable, &QCheckBox::clicked, this, [this](bool ticked) {
        if (ticked != (run.state.display.postproc_enable != 0))
            window.Run(kCmdPostprocEnable);
        else
            SetPostprocessingBox(ticked);
    });
    return page;
}

void toolbox::PostprocChanged() {
    graphics::postproc_options& o = graphics::postproc.options;
    o.transform = std::max(transform->currentIndex(), 0);
    o.convolution = std::max(convolution->currentIndex(), 0);
    o.time_animation = time_animation->isChecked();
    o.texture_coord_correction = coord_correction->isChecked();
    o.hsl_shift = hsl_shift->isChecked();
    o.grayscale = grayscale->isChecked();
    o.invert = invert->isChecked();
    o.matrix_dithering = dithering->isChecked();
    Guard([this] {
        window.View().makeCurrent();
        graphics::GeneratePostProcessing();
    });
}

void toolbox::HslChanged() {
    if (!hue || !saturation || !lightness) return;  // a walking-page bar before this page exists
    KR::Vector4& hsl = graphics::postproc.HSL;
    hsl.x = float(hue->value());
    hsl.y = HslFactorOfPosition(saturation->value());
    hsl.z = HslFactorOfPosition(lightness->value());
    hue_label->setText(QString::asprintf("H:%.0f", double(hsl.x)));
    saturation_label->setText(QString::asprintf("S:%.2f", double(hsl.y)));
    lightness_label->setText(QString::asprintf("L:%.2f", double(hsl.z)));
}

}  // namespace app
