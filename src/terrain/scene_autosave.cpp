#include "terrain/scene_autosave.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <utility>

#include "kr/base/error.h"
#include "terrain/scene_file.h"
#include "terrain/scene_snapshot.h"
#include "terrain/terrain.h"

namespace {

std::filesystem::path StateHome() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return state;
    const char* home = std::getenv("HOME");
    if ((!home || !home[0]) && getpwuid(getuid())) home = getpwuid(getuid())->pw_dir;
    if (!home || !home[0]) return {};
    return std::filesystem::path(home) / ".local" / "state";
}

// A scene of its own, holding the newest planes of every cluster in its read fields: what
// the scene writer reads.
std::unique_ptr<terrain> WritableCopy(const terrain& t) {
    auto copy = std::make_unique<terrain>();
    copy->clusters = std::make_unique<cluster[]>(t.cluster_count);
    copy->cluster_count = t.cluster_count;
    for (unsigned k = 0; k < t.cluster_count; ++k) {
        const cluster& c = t.clusters[k];
        cluster& to = copy->clusters[k];
        const int columns = c.read_field->Width() - 2, rows = c.read_field->Height() - 2;
        to.SetExtent(c.start, c.end, columns, rows);
        to.fields[0].Allocate(&to, columns, rows);
        to.read_field = &to.fields[0];
        for (int p = 0; p < kScenePlanes; ++p) {
            const float* from = NewestPlane(c, p);
            float* plane = FieldPlane(*to.read_field, p);
            for (int y = 1; y <= rows; ++y)
                std::memcpy(plane + to.read_field->Index(1, y), from + c.read_field->Index(1, y),
                            size_t(columns) * sizeof(float));
        }
    }
    copy->extent = t.extent;
    copy->sun = t.sun;
    copy->view = t.view;
    copy->view_pos = t.view_pos;
    return copy;
}

}  // namespace

std::string AutosaveFileName() {
    const std::filesystem::path home = StateHome();
    if (home.empty()) return {};
    const std::filesystem::path folder = home / "qor";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return (folder / "autosave.qor").string();
}

scene_autosave::~scene_autosave() {
    Finish();
}

bool scene_autosave::Exists() const {
    std::error_code error;
    return !file_name.empty() && std::filesystem::is_regular_file(file_name, error);
}

bool scene_autosave::Start(const terrain& t, const simulation_settings& s,
                           const display_settings& d, std::function<void()> on_done) {
    if (Running() || file_name.empty() || t.cluster_count == 0) return false;
    if (worker.joinable()) worker.join();  // ended: its outcome stays for Finish
    std::shared_ptr<terrain> copy;
    try {
        copy = WritableCopy(t);
    } catch (const std::bad_alloc&) {
        throw KR::ErrorMem("scene_autosave::Start", ": Can't allocate the copy of the scene!");
    }
    done = false;
    try {
        worker = std::thread([this, copy, s, d, on_done = std::move(on_done)]() mutable {
            try {
                SaveScene(file_name.c_str(), *copy, s, d);
            } catch (const KR::Error& e) {
                error = e.FullText();
            } catch (const std::exception& e) {
                error = e.what();
            }
            copy.reset();  // the memory goes back before anyone is told
            done = true;
            if (on_done) on_done();
        });
    } catch (const std::system_error&) {
        throw KR::Error("scene_autosave::Start", ": Can't create threads!");
    }
    return true;
}

std::string scene_autosave::Finish() {
    if (worker.joinable()) worker.join();
    return std::exchange(error, {});
}

void scene_autosave::Remove() {
    Finish();
    std::error_code error_code;
    if (!file_name.empty()) std::filesystem::remove(file_name, error_code);
}
