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
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        answer(*dialog);
        QTest::mouseClick(dialog->findChild<QPushButton*>(button_id), Qt::LeftButton);
    });
}

}  // namespace

class dialogs_test : public QObject {
    Q_OBJECT

  private slots:
    // The fields show the parameters. Cancel changes nothing; OK scans each field as C would
    // (a leading number counts, a text without one keeps the value, NaN too), then checks and
    // clamps the parameters (equal height limits stay).
    void terrainParametersTakenOnOkOnly() {
        terrain_generation_info start;
        start.x = 70;
        start.y = 80;
        start.min = 1.0f;
        start.max = 2.5f;
        start.algorithm = kAlgorithmPerlinNoise;
        const std::map<int, QString> typed = {{1033, "abc"},  {1034, "2000"},      {1035, " 2.5"},
                                              {1036, "nan"},  {1039, "42 points"}, {1040, "+3"},
                                              {1038, "Lake"}, {1037, "Faulting"}};
        const std::map<int, QString> expected_shown = {
            {1033, "70"},   {1034, "80"}, {1035, "1.00"}, {1036, "2.50"},
            {1039, "1000"}, {1040, "1"},  {1038, "Flat"}, {1037, "Perlin Noise"}};
        for (const bool ok : {false, true}) {
            terrain_generation_info p = start;
            std::map<int, QString> shown;
            WhenShown(
                [&](QDialog& dialog) {
                    for (const auto& [id, text] : typed) {
                        if (auto* edit = dialog.findChild<QLineEdit*>(QString::number(id))) {
                            shown[id] = edit->text();
                            edit->clear();
                            QTest::keyClicks(edit, text);
                        } else {
                            auto* box = dialog.findChild<QComboBox*>(QString::number(id));
                            shown[id] = box->currentText();
                            box->setCurrentIndex(box->findText(text));
                        }
                    }
                },
                ok ? "1" : "2");
            QCOMPARE(app::AskTerrainParameters(nullptr, p), ok);
            QCOMPARE(shown, expected_shown);
            const auto values = [](const terrain_generation_info& g) {
                return std::tuple(g.x, g.y, g.min, g.max, g.type, g.algorithm, g.detail, g.smooth);
            };
            QCOMPARE(values(p), ok ? std::tuple(70, 1024, 2.5f, 2.5f, int(kShapeLake),
                                                int(kAlgorithmFaulting), 42, 3)
                                   : values(start));
        }
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
