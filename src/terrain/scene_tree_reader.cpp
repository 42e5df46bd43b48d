// The general scene reader: the file parsed into an XML tree, then walked. It takes any
// well-formed scene document (elements in any order, other elements and comments between
// them, attributes in any order), at the cost of the tree.

#include <thread>
#include <vector>

#include "kr/base/error.h"
#include "kr/base/string_convert.h"
#include "kr/xml/xml_view.h"
#include "terrain/scene_reading.h"

namespace {

// A required element: a missing one is a structure error.
XmlElement Need(const XmlElement& element) {
    if (element.IsEmpty()) SceneStructureError();
    return element;
}

// The ten numbers of a vertex as text: height, water and the eight flows; all nullptr when
// the vertex lacks any of them.
struct vertex_text {
    const char* values[10] = {};
};

// The flows are taken by position; their names do not matter.
vertex_text VertexText(XmlView v) {
    const XmlView w = v.Child("w");
    const XmlView s = w.Child("s");
    vertex_text text;
    text.values[0] = v.Child("t").Attribute("z");
    text.values[1] = w.Attribute("z");
    if (!text.values[0] || !text.values[1] || s.AttributeCount() < 8) return {};
    for (int k = 0; k < 8; ++k)
        if (!(text.values[2 + k] = s.AttributeAt(k).value)) return {};
    return text;
}

// The rows of a cluster element. Every row and vertex is checked before the fields are
// allocated, so that a file of empty vertices costs no more than its parse.
std::vector<XmlView> CheckedRows(XmlView element, int columns, int rows) {
    if (columns < 1 || rows < 1 || rows > element.ChildCount()) SceneStructureError();
    std::vector<XmlView> row_elements(static_cast<size_t>(rows));
    int row_position = 0;
    for (XmlView& row : row_elements) {
        row = element.Child("row", &row_position);
        if (row.IsEmpty() || row.ChildCount() < columns) SceneStructureError();
    }
    OnTwoThreads(rows, [&](int begin, int end) {
        for (int j = begin; j < end; ++j) {
            int position = 0;
            for (int i = 0; i < columns; ++i)
                if (!VertexText(row_elements[size_t(j)].Child("v", &position)).values[0])
                    SceneStructureError();
        }
    });
    return row_elements;
}

void ReadCluster(const XmlElement& element, cluster& c, scene_load_times& times) {
    const cluster_extent extent = ReadClusterExtent(element);
    // Check the sizes against what the file holds before allocating anything.
    const std::vector<XmlView> row_elements =
        CheckedRows(element.View(), extent.columns, extent.rows);
    AllocateClusterFields(c, extent);
    vertex_2d_field& f = *c.read_field;
    float* planes[10] = {f.Terrain(), f.Water()};
    for (int k = 0; k < 8; ++k)
        planes[2 + k] = f.Flow(k);
    // A row's texts are gathered first, so that the conversion can be timed on its own (on
    // the loading thread; the other half runs alongside).
    const auto loading_thread = std::this_thread::get_id();
    OnTwoThreads(extent.rows, [&](int begin, int end) {
        std::vector<vertex_text> texts(static_cast<size_t>(extent.columns));
        double converting = 0;
        for (int j = begin + 1; j <= end; ++j) {
            int position = 0;
            for (vertex_text& text : texts)
                text = VertexText(row_elements[size_t(j - 1)].Child("v", &position));
            const auto start = load_clock::now();
            const size_t first = f.Index(1, j);
            for (int i = 0; i < extent.columns; ++i)
                for (int k = 0; k < 10; ++k)
                    planes[k][first + size_t(i)] = KR::StringToFloat(texts[size_t(i)].values[k]);
            converting += SecondsSince(start);
        }
        if (std::this_thread::get_id() == loading_thread) times.convert += converting;
    });
    FinishClusterFields(c);
}

}  // namespace

void ReadSceneTree(const char* file_name, loaded_scene& scene, scene_load_times& times) {
    const auto start = load_clock::now();
    try {
        XmlResult result;
        const XmlElement root = XmlElement::FromFile(file_name, "terrain", &result);
        times.read = SecondsSince(start);
        if (root.IsEmpty()) SceneStructureError();
        scene.count = KR::StringToInt(root.Attribute("clusters"));
        if (scene.count < 1 || scene.count > root.ChildCount()) SceneStructureError();
        scene.clusters = std::make_unique<cluster[]>(size_t(scene.count));
        XmlElement cluster_handle = root;
        for (int k = 0; k < scene.count; ++k)
            ReadCluster(Need(cluster_handle.Child("cluster", k)), scene.clusters[k], times);
        ReadSceneSettings(root, scene);
    } catch (const std::bad_alloc&) {
        SceneStructureError();
    } catch (const KR::Error&) {
        SceneStructureError();
    }
}
