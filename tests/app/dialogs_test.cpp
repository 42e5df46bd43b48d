// The terrain-parameters and About dialogs, answered through their real fields and buttons.

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <map>
#include <tuple>

#include "app/dialogs.h"
#include "terrain/terrain_generation_info.h"

namespace QorTest {
namespace {

// Once the modal dialog is up: `answer` fills it in, then the button with that id ends it.
void WhenShown(const std::function<void(QDialog&)>& answer, const char* button_id) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll->stop();
        poll->deleteLater();
        answer(*dialog);
        if (auto* button = dialog->findChild<QPushButton*>(button_id))
            QTest::mouseClick(button, Qt::LeftButton);
        else
            dialog->reject();
    });
    poll->start(10);
}

// Field id -> text, for the edits and (by their shown text) the drop-downs.
using fields = std::map<int, QString>;

fields Read(QDialog& dialog) {
    fields shown;
    for (int id : {1033, 1034, 1035, 1036, 1039, 1040})
        shown[id] = dialog.findChild<QLineEdit*>(QString::number(id))->text();
    for (int id : {1037, 1038})
        shown[id] = dialog.findChild<QComboBox*>(QString::number(id))->currentText();
    return shown;
}

void Write(QDialog& dialog, const fields& typed) {
    for (const auto& [id, text] : typed) {
        if (auto* edit = dialog.findChild<QLineEdit*>(QString::number(id))) {
            edit->clear();
            QTest::keyClicks(edit, text);
        } else if (auto* box = dialog.findChild<QComboBox*>(QString::number(id))) {
            box->setCurrentIndex(box->findText(text));
        }
    }
}

terrain_generation_info Parameters() {
    terrain_generation_info p;
    p.x = 70;
    p.y = 80;
    p.min = 1.0f;
    p.algorithm = kAlgorithmPerlinNoise;
    return p;
}

auto Values(const terrain_generation_info& p) {
    return std::tuple(p.x, p.y, p.min, p.max, p.type, p.algorithm, p.detail, p.smooth);
}

}  // namespace

class dialogs_test : public QObject {
    Q_OBJECT

  private slots:
    // OK scans each field as C would: a leading number counts, a text without one keeps the
    // value, NaN too; then the parameters are checked and clamped.
    void okScansTheFieldsAndChecksThem() {
        terrain_generation_info p = Parameters();
        fields shown;
        WhenShown(
            [&](QDialog& dialog) {
                shown = Read(dialog);
                Write(dialog, {{1033, "abc"},
                               {1034, "2000"},
                               {1035, " 2.5"},
                               {1036, "nan"},
                               {1039, "42 points"},
                               {1040, "+3"},
                               {1038, "Lake"},
                               {1037, "Faulting"}});
            },
            "1");
        QVERIFY(app::AskTerrainParameters(nullptr, p));
        const fields expected = {{1033, "70"},    {1034, "80"},          {1035, "1.00"},
                                 {1036, "20.00"}, {1039, "1000"},        {1040, "1"},
                                 {1038, "Flat"},  {1037, "Perlin Noise"}};
        QCOMPARE(shown, expected);
        QCOMPARE(p.x, 70);
        QCOMPARE(p.y, 1024);
        QCOMPARE(p.min, 2.5f);
        QCOMPARE(p.max, 20.0f);
        QCOMPARE(p.detail, 42);
        QCOMPARE(p.smooth, 3);
        QCOMPARE(p.type, int(kShapeLake));
        QCOMPARE(p.algorithm, int(kAlgorithmFaulting));
    }

    void cancelChangesNothing() {
        terrain_generation_info p = Parameters();
        WhenShown(
            [&](QDialog& dialog) {
                Write(dialog, {{1033, "100"}, {1036, "9"}, {1038, "Edge"}});
            },
            "2");
        QVERIFY(!app::AskTerrainParameters(nullptr, p));
        QVERIFY(Values(p) == Values(Parameters()));
    }

    void aboutListsTheControlsAndEndsWithOk() {
        QString title, controls;
        WhenShown(
            [&](QDialog& dialog) {
                title = dialog.windowTitle();
                controls = dialog.findChild<QLabel*>("controls")->text();
            },
            "1");
        app::ShowAbout(nullptr);
        QCOMPARE(title, QString("About"));
        const QStringList lines = controls.split('\n');
        QCOMPARE(lines.size(), 29);
        QCOMPARE(lines[24], QString("     Ctrl + Shift + S: toggle shadows "));
    }
};

}  // namespace QorTest

int main(int argc, char** argv) {
    // The dialogs draw nothing with GL: without a display they still run, off screen.
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    QorTest::dialogs_test test;
    return QTest::qExec(&test, argc, argv);
}

#include "dialogs_test.moc"
