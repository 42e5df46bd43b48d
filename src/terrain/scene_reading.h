#pragma once
// The parts of reading a scene file that both readers share: what a file holds before it
// replaces the running scene, and the elements read from the tree (the root's settings, a
// cluster's extent). Used by scene_file.cpp and the two readers beside it.

#include <chrono>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>

#include "kr/math/vector.h"
#include "kr/xml/xml_element.h"
#include "terrain/app_settings.h"
#include "terrain/cluster.h"
#include "terrain/scene_file.h"
#include "terrain/simulation_settings.h"

// A scene as read, complete before anything of the running scene changes.
struct loaded_scene {
    loaded_scene(const simulation_settings& running, const display_settings& shown)
        : s(running), d(shown) {}

    std::unique_ptr<cluster[]> clusters;
    int count = 0;
    simulation_settings s;  // starts as the running settings: a file sets what it holds
    display_settings d;
    KR::Vector4 sun, view, view_pos;
};

// Every failure of a load is this one error.
[[noreturn]] void SceneStructureError();

// The sun, the view, its position and the state element of the root.
void ReadSceneSettings(const XmlElement& root, loaded_scene& scene);

struct cluster_extent {
    int columns = 0, rows = 0;
    KR::Vector2 start, end;
};
cluster_extent ReadClusterExtent(const XmlElement& element);
// Sizes the cluster and allocates both fields (zeroed); the read field is fields[0].
void AllocateClusterFields(cluster& c, const cluster_extent& extent);
// After the read field is filled: water below zero becomes zero, as SetWater keeps it, then the
// borders and the write field follow the read field.
void FinishClusterFields(cluster& c);

// The general reader: any well-formed scene document. Raises the structure error.
void ReadSceneTree(const char* file_name, loaded_scene& scene, scene_load_times& times);

// The fast reader: the layout this program writes, read straight from the text without a
// tree. Answers false, having changed nothing that matters, for anything else (which the
// general reader then decides), so both readers give the same scene or the same error.
bool ReadPlainScene(const char* file_name, loaded_scene& scene, scene_load_times& times);

using load_clock = std::chrono::steady_clock;
inline double SecondsSince(load_clock::time_point since) {
    return std::chrono::duration<double>(load_clock::now() - since).count();
}

// Runs work(begin, end) on rows [0, rows): the second half on another thread when there are
// enough rows. The first half's failure is raised, else the second's.
template <class Work>
void OnTwoThreads(int rows, Work work) {
    const int half = rows >= 64 ? rows / 2 : rows;
    std::exception_ptr failure;
    std::thread other;
    if (half < rows) {
        try {
            other = std::thread([&] {
                try {
                    work(half, rows);
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            work(half, rows);  // no thread to be had: this one does both halves
        }
    }
    try {
        work(0, half);
    } catch (...) {
        if (other.joinable()) other.join();
        throw;
    }
    if (other.joinable()) other.join();
    if (failure) std::rethrow_exception(failure);
}
