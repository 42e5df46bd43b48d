#include "terrain/config_file.h"

#include <algorithm>
#include <string>

#include "kr/base/console.h"
#include "kr/base/error.h"
#include "kr/xml/xml_attr.h"
#include "kr/xml/xml_element.h"
#include "terrain/app_settings.h"
#include "terrain/simulation_settings.h"
#include "terrain/terrain_generation_info.h"

namespace {

void ReadProgram(const XmlElement& g, const config_targets& to) {
    if (g.IsEmpty()) return;
    simulation_settings& s = to.simulation;
    display_settings& d = to.display;
    KR::ReadXMLAttr(g, "multithreading", to.program.multithreading);
    KR::ReadXMLAttr(g, "mode", s.mode);
    s.mode = std::clamp(s.mode, 0, 3);
    KR::ReadXMLAttr(g, "camera_controll", d.camera_controll);
    d.camera_controll = std::clamp(d.camera_controll, 0, 2);
    KR::ReadXMLAttr(g, "auto_rotate", s.auto_rotate);
    KR::ReadXMLAttr(g, "aquarium", s.aquarium);
    KR::ReadXMLAttr(g, "timescale", s.timescale);
    KR::ReadXMLAttr(g, "randomness", s.randomness);
    KR::ReadXMLAttr(g, "stop_rain", s.stop_rain);
    KR::ReadXMLAttr(g, "stop_erosion", s.stop_erosion);
    KR::ReadXMLAttr(g, "stop_water", s.stop_water);
    KR::ReadXMLAttr(g, "stop_water_shader", s.stop_water_shader);
    KR::ReadXMLAttr(g, "show_box", d.show_box);
    KR::ReadXMLAttr(g, "show_terrain", d.show_terrain);
    KR::ReadXMLAttr(g, "show_water", d.show_water);
    KR::ReadXMLAttr(g, "show_sky", d.show_sky);
    KR::ReadXMLAttr(g, "show_vegetation", d.show_vegetation);
    KR::ReadXMLAttr(g, "show_shadows", d.show_shadows);
    KR::ReadXMLAttr(g, "tex_shadow_size", d.tex_shadow_size);
}

void ReadTerrain(const XmlElement& g, terrain_generation_info& info) {
    if (g.IsEmpty()) return;  // nothing read, nothing validated again
    KR::ReadXMLAttr(g, "x", info.x);
    KR::ReadXMLAttr(g, "y", info.y);
    KR::ReadXMLAttr(g, "max", info.max);
    KR::ReadXMLAttr(g, "min", info.min);
    KR::ReadXMLAttr(g, "detail", info.detail);
    KR::ReadXMLAttr(g, "smooth", info.smooth);
    KR::ReadXMLAttr(g, "type", info.type);
    KR::ReadXMLAttr(g, "algorithm", info.algorithm);
    info.CheckTerrainParameters();
}

}  // namespace

void LoadConfig(const char* file_name, const config_targets& to) {
    const XmlElement root = XmlElement::FromFile(file_name, "ini");
    if (root.IsEmpty()) {
        KR::console << "Bad config file or file format: " << (file_name ? file_name : "") << "\n";
        return;
    }
    try {
        ReadProgram(root.Child("program"), to);
        ReadTerrain(root.Child("terrain"), to.generation);
        const XmlElement postproc = root.Child("postproc");
        KR::ReadXMLAttr(postproc, "enable", to.display.postproc_enable);
        const XmlElement skybox = root.Child("skybox");
        KR::ReadXMLAttr(skybox, "size", to.textures.skybox_size);
        KR::ReadXMLAttr(skybox, "clouds", to.textures.skybox_clouds);
        KR::ReadXMLAttr(skybox, "turbulence", to.textures.skybox_turbulence);
        KR::ReadXMLAttr(skybox, "stars", to.textures.skybox_stars);
        const XmlElement water = root.Child("water");
        KR::ReadXMLAttr(water, "size", to.textures.water_size);
        KR::ReadXMLAttr(water, "frames", to.textures.water_frames);
    } catch (const KR::Error&) {
        throw KR::Error("LoadConfig",
                        std::string(": Config file ") + file_name + " structure error!\n");
    }
}
