// QOR - Brenmoor: the program. Start-up writes its report, reads the configuration file the
// command line names, opens the window and draws continuously until the window is closed.

#include <QApplication>
#include <QMessageBox>
#include <QSurfaceFormat>
#include <QTimer>

#include <cstdlib>
#include <ctime>
#include <string>

#include "app/gl_view.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/qt_file_dialogs.h"
#include "app/startup_report.h"
#include "kr/console.h"
#include "kr/error.h"
#include "kr/utils.h"
#include "terrain/app_settings.h"
#include "terrain/config_file.h"
#include "terrain/simulation_settings.h"

namespace {

// The whole command line, its arguments joined by single blanks, names the configuration.
std::string CommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

QSurfaceFormat ViewFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(8);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setSwapInterval(0);  // draw as fast as the frames come
    return format;
}

int Run(int argc, char** argv) {
    KR::UtilsInit();
    const double started = KR::GetTime();
    KR::console.Init("console.txt");
    const app::system_info info = app::ReadSystemInfo();
    KR::console << app::StartupReport(info, std::time(nullptr));
    program.multithreading = info.processors > 1 ? 1 : 0;

    terrain_generation_info generation;
    const std::string config = CommandLine(argc, argv);
    if (!config.empty())
        LoadConfig(config.c_str(), {sim_settings, display, program, textures, generation});
    KR::console << (program.multithreading ? "Using multi thread mode.\n\n"
                                           : "Using single thread mode.\n\n")
                << "\n";

    // GLEW loads its entry points through GLX, so Qt must make GLX contexts.
    setenv("QT_XCB_GL_INTEGRATION", "xcb_glx", 0);
    QSurfaceFormat::setDefaultFormat(ViewFormat());
    QApplication application(argc, argv);
    app::program run(program.multithreading != 0);
    run.scene.generation = generation;
    app::main_window window(run);
    app::qt_file_dialogs dialogs(&window);
    run.scene.file_names = &dialogs;

    if (const char* every = std::getenv("QOR_FRAME_STATS"))
        run.EnableFrameStats(std::atof(every), started);
    app::gl_view& view = window.View();
    view.on_start = [&run] { run.Start(); };
    view.on_frame = [&run, &view, &window] {
        const bool focus = view.isActive();
        run.Frame(focus, view.KeyHeld(Qt::Key_Up), view.KeyHeld(Qt::Key_Down),
                  view.KeyHeld(Qt::Key_Left), view.KeyHeld(Qt::Key_Right),
                  view.KeyHeld(Qt::Key_Shift));
        window.SetStatus(QString::fromStdString(run.StatusText()));
    };
    view.on_pick = [&run, &view](int x, int y) {
        run.Paused([&] {
            run.scene.Pick(int(view.width() * view.devicePixelRatio()),
                           int(view.height() * view.devicePixelRatio()), x, y);
        });
    };
    view.on_fatal = [&window](const std::exception& error) {
        KR::console << error.what() << "\n";
        QMessageBox::critical(&window, "Error", QString::fromLocal8Bit(error.what()));
        QApplication::exit(0);
    };
    window.show();
    const int code = application.exec();
    KR::console.Close();
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const KR::Error& error) {
        KR::console << error.FullText() << "\n";
        QMessageBox::critical(nullptr, "Error", QString::fromStdString(error.FullText()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    return 0;
}
