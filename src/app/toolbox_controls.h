#pragma once
// Small makers of the toolbox's controls: each gets its id as its object name.

#include <QBoxLayout>
#include <QCheckBox>
#include <QPushButton>
#include <QSlider>

namespace app {

inline QString ControlName(int id) {
    return QString::number(id);
}

inline QPushButton* AddButton(QBoxLayout* layout, int id, const char* text) {
    auto* button = new QPushButton(text);
    button->setObjectName(ControlName(id));
    layout->addWidget(button);
    return button;
}

inline QCheckBox* AddCheckBox(QBoxLayout* layout, int id, const char* text, bool checked) {
    auto* box = new QCheckBox(text);
    box->setObjectName(ControlName(id));
    box->setChecked(checked);
    layout->addWidget(box);
    return box;
}

// A horizontal track bar with its range and position.
inline QSlider* MakeSlider(int id, int maximum, int position) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(ControlName(id));
    slider->setRange(0, maximum);
    slider->setValue(position);
    return slider;
}

}  // namespace app
