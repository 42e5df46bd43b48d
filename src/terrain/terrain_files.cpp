// The File menu's scene commands: ask for a file name, then save or load the scene.

#include "kr/base/error.h"
#include "terrain/app_settings.h"
#include "terrain/scene_file.h"
#include "terrain/terrain.h"

namespace {

file_request SceneRequest(const char* title, bool must_exist) {
    file_request request;
    request.title = title;
    request.filters = {{"Scene file (*.qor)", "*.qor"}, {"All Files (*.*)       ", "*.*"}};
    request.must_exist = must_exist;
    request.hide_read_only = true;
    return request;
}

}  // namespace

bool terrain::Save() {
    std::string name = scene_file.empty() ? "save.qor" : scene_file;
    if (!file_names || !file_names->Ask(SceneRequest("Save", false), name)) return false;
    SaveScene(name.c_str(), *this, *settings, *display_options);
    scene_file = name;
    return true;
}

bool terrain::Load() {
    std::string name;
    if (!file_names || !file_names->Ask(SceneRequest("Load", true), name)) return false;
    LoadScene(name.c_str(), *this, *settings, *display_options);
    scene_file = name;
    return true;
}
