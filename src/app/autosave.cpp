#include "app/autosave.h"

#include "app/program.h"
#include "kr/base/console.h"
#include "kr/base/error.h"
#include "terrain/scene_file.h"

namespace app {

autosave::autosave(program& run, std::string file_name) : run(run), writer(std::move(file_name)) {
    timer.setInterval(std::chrono::minutes(5));
    connect(&timer, &QTimer::timeout, this, [this] { Save(); });
    if (writer.FileName().empty())
        KR::console << "Autosave: there is no home folder to save to.\n";
    else
        timer.start();
}

autosave::~autosave() {
    writer.Finish();  // nothing is posted to this object once it goes
}

bool autosave::Save() {
    const uint64_t changes = run.edits.Changes();
    if (writing || !run.edits.Unsaved() || changes == written_changes) return false;
    bool started = false;
    try {
        run.Paused([&] {
            started = writer.Start(run.scene, run.state.sim, run.state.display, [this] {
                QMetaObject::invokeMethod(
                    this, [this] { Written(); }, Qt::QueuedConnection);
            });
        });
    } catch (const KR::Error& error) {
        KR::console << "Autosave failed: " << error.FullText() << "\n";
    }
    if (!started) return false;
    writing = true;
    written_changes = changes;
    return true;
}

void autosave::Written() {
    if (!std::exchange(writing, false)) return;  // removed meanwhile
    const std::string error = writer.Finish();
    if (error.empty()) {
        KR::console << "Autosaved the scene to " << writer.FileName() << "\n";
    } else {
        KR::console << "Autosave failed: " << error << "\n";
        written_changes = UINT64_MAX;
    }
}

void autosave::Remove() {
    writing = false;
    written_changes = UINT64_MAX;
    writer.Remove();
}

void autosave::OfferRestore(const std::function<bool()>& ask) {
    if (!writer.Exists()) return;
    KR::console << "Found an autosave left by a run that did not end cleanly: " << writer.FileName()
                << "\n";
    if (!ask()) {
        KR::console << "The autosave was not restored.\n";
        return;
    }
    run.Paused([&] {
        run.edits.Record(edit_kind::load, [&] {
            LoadScene(writer.FileName().c_str(), run.scene, run.state.sim, run.state.display);
            run.scene.scene_file.clear();  // the user's own file is not this one
            return true;
        });
    });
    KR::console << "Restored the scene from the autosave.\n";
}

}  // namespace app
