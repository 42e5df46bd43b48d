// The fast scene reader. A scene file as this program writes it is a short head (the
// declaration, the root's start tag, the sun, the view and the state), then the clusters,
// each a start tag and rows of vertices of one fixed form:
//
//   <row>
//     <v><t z="H"/><w z="W"><s s0="F0" s1="F1" ... s7="F7"/></w></v>
//   </row>
//
// with only blanks between tags. The head and each cluster's start tag go through the XML
// reader (they are short and may hold anything); the rows are read straight from the text,
// the numbers converted where they stand, by two threads. Anything else (a comment, an
// entity, another spacing inside a vertex, attributes in another order) makes this reader
// give up, and the general one reads the file instead, so that both give the same scene or
// the same error. The fields are allocated only once the text is long enough to hold every
// vertex the cluster claims.

#include <cstring>
#include <string>
#include <string_view>
#include <thread>

#include "kr/base/error.h"
#include "kr/base/regular_file.h"
#include "kr/base/string_convert.h"
#include "terrain/scene_reading.h"

namespace {

// The shortest vertex: every number one character long.
constexpr size_t kShortestVertex = std::string_view(R"(<v><t z="0"/><w z="0"><s)").size() +
                                   8 * std::string_view(R"( s0="0")").size() +
                                   std::string_view("/></w></v>").size();

struct not_plain {};  // thrown inside this reader: the general reader takes over

bool IsBlank(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

const char* SkipBlanks(const char* p, const char* end) {
    while (p < end && IsBlank(*p))
        ++p;
    return p;
}

// The characters plain numbers are written with. The reader stops at the first other one,
// which must be the closing quote.
struct number_characters {
    bool is[256] = {};
    constexpr number_characters() {
        for (const char c : std::string_view("0123456789+-.eE"))
            is[static_cast<unsigned char>(c)] = true;
    }
};
constexpr number_characters kNumber;

class row_reader {
  public:
    row_reader(const char* end, int columns) : end(end), columns(columns) {}

    // Reads rows from p to stop, where the text must end at a row's end (blanks aside), into
    // the planes from the row at first on; at most max_rows. Answers the rows read.
    int Read(const char* p, const char* stop, float* const planes[10], size_t first, size_t stride,
             int max_rows) const {
        int rows = 0;
        for (p = SkipBlanks(p, stop); p < stop; p = SkipBlanks(p, stop)) {
            if (rows == max_rows) throw not_plain();
            p = Literal(p, "<row>");
            const size_t row = first + size_t(rows) * stride;
            for (int i = 0; i < columns; ++i)
                p = Vertex(SkipBlanks(p, end), planes, row + size_t(i));
            p = Literal(SkipBlanks(p, end), "</row>");
            ++rows;
        }
        if (p != stop) throw not_plain();
        return rows;
    }

  private:
    template <size_t N>
    const char* Literal(const char* p, const char (&text)[N]) const {
        constexpr size_t length = N - 1;
        if (size_t(end - p) < length || std::memcmp(p, text, length) != 0) throw not_plain();
        return p + length;
    }

    // A number up to its closing quote; the same conversion the general reader uses.
    static const char* Number(const char* p, float& value) {
        const char* start = p;
        while (kNumber.is[static_cast<unsigned char>(*p)])
            ++p;
        if (p == start || *p != '"') throw not_plain();
        value = KR::StringToFloat(start);
        return p + 1;
    }

    const char* Vertex(const char* p, float* const planes[10], size_t index) const {
        p = Number(Literal(p, "<v><t z=\""), planes[0][index]);
        p = Number(Literal(p, "/><w z=\""), planes[1][index]);
        p = Literal(p, "><s");
        static const char kFlow[8][6] = {" s0=\"", " s1=\"", " s2=\"", " s3=\"",
                                         " s4=\"", " s5=\"", " s6=\"", " s7=\""};
        for (int k = 0; k < 8; ++k)
            p = Number(Literal(p, kFlow[k]), planes[2 + k][index]);
        return Literal(p, "/></w></v>");
    }

    const char* const end;
    const int columns;
};

// The cluster's rows between body and body_end, read by two threads when there are many: the
// second half (from a row's start near the middle) into the write field, moved into place
// once the first half's row count is known.
void ReadRows(const char* body, const char* body_end, cluster& c) {
    vertex_2d_field &f = *c.read_field, &spare = *c.write_field;
    const int columns = f.Width() - 2, rows = f.Height() - 2;
    auto planes_of = [](vertex_2d_field& field, float*(&planes)[10]) {
        planes[0] = field.Terrain();
        planes[1] = field.Water();
        for (int k = 0; k < 8; ++k)
            planes[2 + k] = field.Flow(k);
    };
    float *planes[10], *spare_planes[10];
    planes_of(f, planes);
    planes_of(spare, spare_planes);
    const size_t stride = f.Index(0, 1) - f.Index(0, 0);
    const row_reader reader(body_end, columns);

    const char* split = nullptr;
    if (rows >= 64) {
        const char* middle = body + (body_end - body) / 2;
        const std::string_view rest(middle, size_t(body_end - middle));
        const size_t found = rest.find("<row>");
        if (found != std::string_view::npos) split = middle + found;
    }
    if (!split) {
        if (reader.Read(body, body_end, planes, f.Index(1, 1), stride, rows) != rows)
            throw not_plain();
        return;
    }
    int first_rows = 0, second_rows = 0;
    bool second_failed = false;
    std::thread second([&] {
        try {
            second_rows =
                reader.Read(split, body_end, spare_planes, spare.Index(1, 1), stride, rows - 1);
        } catch (...) {
            second_failed = true;
        }
    });
    try {
        first_rows = reader.Read(body, split, planes, f.Index(1, 1), stride, rows - 1);
    } catch (...) {
        second.join();
        throw;
    }
    second.join();
    if (second_failed || first_rows + second_rows != rows) throw not_plain();
    const size_t from = spare.Index(0, 1), to = f.Index(0, 1 + first_rows);
    for (int k = 0; k < 10; ++k)
        std::memcpy(planes[k] + to, spare_planes[k] + from,
                    size_t(second_rows) * stride * sizeof(float));
}

// A start tag from p (at its '<') through its '>', parsed on its own as an element.
XmlElement StartTag(const char*& p, const char* end, const char* name) {
    const char* close = static_cast<const char*>(std::memchr(p, '>', size_t(end - p)));
    if (!close || close[-1] == '/') throw not_plain();
    std::string text(p, close + 1);
    text += "</";
    text += name;
    text += ">";
    p = close + 1;
    const XmlElement element = XmlElement::FromText(text.c_str(), name);
    if (element.IsEmpty()) throw not_plain();
    return element;
}

void ReadCluster(const char*& p, const char* end, cluster& c) {
    constexpr std::string_view kEnd = "</cluster>";
    if (std::string_view(p, size_t(end - p)).substr(0, 9) != "<cluster ") throw not_plain();
    const cluster_extent extent = ReadClusterExtent(StartTag(p, end, "cluster"));
    const std::string_view rest(p, size_t(end - p));
    const size_t body_length = rest.find(kEnd);
    if (body_length == std::string_view::npos) throw not_plain();
    // Room for every vertex claimed, before anything is allocated.
    if (extent.columns < 1 || extent.rows < 1 ||
        uint64_t(extent.columns) * uint64_t(extent.rows) > body_length / kShortestVertex)
        throw not_plain();
    AllocateClusterFields(c, extent);
    ReadRows(p, p + body_length, c);
    FinishClusterFields(c);
    p += body_length + kEnd.size();
}

// The head: from the declaration to the first cluster, read as a document of its own with
// the root closed after it.
XmlElement ReadHead(const char* begin, const char*& p, const char* end) {
    const std::string_view text(begin, size_t(end - begin));
    const size_t declaration_end = text.find("?>");
    if (text.substr(0, 6) != "<?xml " || declaration_end == std::string_view::npos ||
        text.substr(0, declaration_end).find_first_of("<>", 1) != std::string_view::npos)
        throw not_plain();
    const char* root = SkipBlanks(begin + declaration_end + 2, end);
    if (std::string_view(root, size_t(end - root)).substr(0, 9) != "<terrain ") throw not_plain();
    const size_t first_cluster = text.find("<cluster");
    if (first_cluster == std::string_view::npos) throw not_plain();
    const std::string head = std::string(text.substr(0, first_cluster)) + "</terrain>";
    const XmlElement element = XmlElement::FromText(head.c_str(), "terrain");
    // The clusters must all follow the head, or the general reader's count would differ.
    if (element.IsEmpty() || !element.Child("cluster").IsEmpty()) throw not_plain();
    p = begin + first_cluster;
    return element;
}

}  // namespace

bool ReadPlainScene(const char* file_name, loaded_scene& scene, scene_load_times& times) {
    const auto start = load_clock::now();
    KR::whole_file file;
    if (KR::ReadWholeFile(file_name, kMaxXmlText, file) != KR::whole_file_read::done)
        return false;
    const char* begin = file.data.get();
    const char* const end = begin + file.size;
    if (file.size >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) begin += 3;
    try {
        const char* p = begin;
        const XmlElement root = ReadHead(begin, p, end);
        scene.count = KR::StringToInt(root.Attribute("clusters"));
        if (scene.count < 1 || size_t(scene.count) > file.size / kShortestVertex) throw not_plain();
        ReadSceneSettings(root, scene);
        times.read = SecondsSince(start);
        const auto rows_start = load_clock::now();
        scene.clusters = std::make_unique<cluster[]>(size_t(scene.count));
        for (int k = 0; k < scene.count; ++k) {
            if (k > 0) p = SkipBlanks(p, end);
            ReadCluster(p, end, scene.clusters[k]);
        }
        p = SkipBlanks(p, end);
        if (std::string_view(p, size_t(end - p)).substr(0, 10) != "</terrain>" ||
            SkipBlanks(p + 10, end) != end)
            throw not_plain();
        times.convert = SecondsSince(rows_start);
        return true;
    } catch (const not_plain&) {
    } catch (const KR::Error&) {
    } catch (const std::bad_alloc&) {
    }
    scene.clusters.reset();
    scene.count = 0;
    return false;
}
