// QOR - Brenmoor: the program. Start-up writes its report, reads the configuration file the
// command line names, opens the window and draws continuously until the window is closed.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/gl_view.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/qt_file_dialogs.h"
#include "app/startup_report.h"
#include "kr/base/console.h"
#include "kr/base/error.h"
#include "kr/base/utils.h"
#include "terrain/app_settings.h"
#include "terrain/simulation_settings.h"

namespace {

// Ctrl+C or a polite kill closes the window as its close box would: the worker stops, the
// graphics are released and the log is closed.
volatile std::sig_atomic_t close_requested = 0;
void RequestClose(int) {
    close_requested = 1;
}

// The whole command line, its arguments joined by single blanks, names the configuration.
std::string CommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

int Run(int argc, char** argv) {
    KR::UtilsInit();
    const double started = KR::GetTime();
    KR::console.Init("console.txt");
    terrain_generation_info generation;
    const bool multithreading = app::StartUp(CommandLine(argc, argv), app::ReadSystemInfo(),
                                             std::time(nullptr), generation);

    app::PrepareViewFormat();
    QApplication application(argc, argv);
    app::program run(multithreading);
    run.scene.generation = generation;
    app::main_window window(run);
    app::qt_file_dialogs dialogs(&window);
    run.scene.file_names = &dialogs;

    if (const char* every = std::getenv("QOR_FRAME_STATS"))
        run.EnableFrameStats(std::atof(every), started);
    window.ConnectView();
    app::gl_view& view = window.View();
    view.on_fatal = [&window](const std::exception& error) {
        KR::console << error.what() << "\n";
        QMessageBox::critical(&window, "Error", QString::fromLocal8Bit(error.what()));
        QApplication::exit(0);
    };
    std::signal(SIGINT, RequestClose);
    std::signal(SIGTERM, RequestClose);
    QTimer close_watch;
    QObject::connect(&close_watch, &QTimer::timeout, &window, [&window] {
        // Once per signal: the window may ask about unsaved changes, and Cancel keeps it.
        if (!close_requested) return;
        close_requested = 0;
        window.close();
    });
    close_watch.start(50);
    window.show();
    // The keys work at once, even where no window manager hands out the focus.
    window.activateWindow();
    window.View().requestActivate();
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
