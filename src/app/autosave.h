#pragma once
// The program's autosave: now and then (every five minutes unless told otherwise) a scene
// with changes since the last autosave is copied between steps and written in the background
// to the state folder. A clean exit, a save or discarded changes remove the file, so a file
// found at start was left by a run that did not end cleanly, and is offered for restoring.

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "terrain/scene_autosave.h"

namespace app {

class program;

class autosave : public QObject {
    Q_OBJECT

  public:
    autosave(program& run, std::string file_name);
    ~autosave() override;

    void SetInterval(std::chrono::milliseconds every) { timer.setInterval(every); }
    // The timer's work: answers whether a write started.
    bool Save();
    bool Writing() const { return writing; }
    // Waits for a write under way and removes the file.
    void Remove();
    // A file left by a run that did not end cleanly is loaded when ask says so; the scene is
    // then unsaved, and undo goes back to the one before. Raises the load's error.
    void OfferRestore(const std::function<bool()>& ask);
    const std::string& FileName() const { return writer.FileName(); }

  private:
    // On the main thread once a write has ended.
    void Written();

    program& run;
    scene_autosave writer;
    QTimer timer;
    bool writing = false;
    uint64_t written_changes = UINT64_MAX;  // the change count the file holds
};

}  // namespace app
