#pragma once
// The scene written now and then to the program's state folder, so that a crash loses little.
// A copy of the fields is taken with no step in flight and written by the scene writer on a
// thread of its own, so the frames go on meanwhile (a 1024 x 1024 scene is 157 MB of text).

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class terrain;
struct display_settings;
struct simulation_settings;

// "$XDG_STATE_HOME/qor/autosave.qor", with "~/.local/state" for an unset or relative
// XDG_STATE_HOME; the folder is created. Empty when there is no home folder.
std::string AutosaveFileName();

class scene_autosave {
  public:
    explicit scene_autosave(std::string file_name) : file_name(std::move(file_name)) {}
    // Waits for a write under way.
    ~scene_autosave();
    scene_autosave(const scene_autosave&) = delete;
    scene_autosave& operator=(const scene_autosave&) = delete;

    const std::string& FileName() const { return file_name; }
    bool Exists() const;

    // Copies the scene's newest state (no step in flight) and starts writing it; on_done is
    // called on the writing thread when the write has ended. Answers false, copying nothing,
    // while an earlier write still runs or when there is no file name. Raises KR::ErrorMem
    // when there is not the memory for the copy.
    bool Start(const terrain& t, const simulation_settings& s, const display_settings& d,
               std::function<void()> on_done = {});
    bool Running() const { return worker.joinable() && !done; }
    // Waits for a write under way and answers how it ended: empty when the file was written,
    // else the error. Empty too when no write was started since the last call.
    std::string Finish();
    // Waits for a write under way, then removes the file.
    void Remove();

  private:
    std::string file_name;
    std::thread worker;
    std::atomic<bool> done{false};
    std::string error;  // written by the worker before done
};
