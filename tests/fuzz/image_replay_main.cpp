// The image fuzz entry without a fuzzer, over its own corpus (valid samples and mutations);
// "--write DIR" writes that corpus to seed a fuzzer; file arguments are replayed instead.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "kr/image/image_png.h"
#include "kr/image_samples.h"
#include "support/test_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// Deterministic, so a failing corpus file has the same name on every run.
uint32_t Next(uint32_t& state) {
    state = state * 214013u + 2531011u;
    return state >> 16 & 0x7FFF;
}

std::vector<std::string> Corpus() {
    // Besides the textures, height maps of each kind; the PNG from the program's own writer.
    const std::string png = QorTest::ScratchFile("sample.png");
    KR::WritePng(png.c_str(), {{0, 1000, 65535, 7, 300, 40000}, 3, 2, 65535, true, 0.0f, 12.5f});
    std::vector<std::string> corpus, samples = QorTest::ValidSamples();
    samples.insert(samples.end(),
                   {QorTest::ReadBytes(png), "P5\n# qor:min=0 qor:max=3\n2 1\n65535\n\1\2\3\4",
                    "P2\n2 2\n255\n0 1\n2 255\n", std::string(16, '\x41')});
    uint32_t state = 1;
    for (const std::string& sample : samples) {
        corpus.push_back(sample);
        corpus.push_back(sample + "JUNK");  // bytes after the image, as a colour profile
        for (size_t n = 0; n < sample.size(); n += 1 + sample.size() / 16)
            corpus.push_back(sample.substr(0, n));
        // Header fields set to extremes, then random byte changes in the first 64 bytes.
        for (size_t at = 2; at + 4 <= 64 && at + 4 <= sample.size(); at += 2)
            for (const char* extreme :
                 {"\xFF\xFF\xFF\x7F", "\x00\x00\x00\x80", "\x00\x00\x00\x00"}) {
                std::string mutated = sample;
                mutated.replace(at, 4, std::string(extreme, 4));
                corpus.push_back(mutated);
            }
        for (int i = 0; i < 32; ++i) {
            std::string mutated = sample;
            for (int k = 0; k < 3; ++k) {
                const size_t at = Next(state) % (mutated.size() < 64 ? mutated.size() : 64);
                mutated[at] = static_cast<char>(Next(state));
            }
            corpus.push_back(mutated);
        }
    }
    return corpus;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> corpus = Corpus();
    if (argc == 3 && std::string(argv[1]) == "--write") {
        std::filesystem::create_directories(argv[2]);
        for (size_t i = 0; i < corpus.size(); ++i)
            QorTest::WriteBytes(argv[2] + ("/image-" + std::to_string(i)), corpus[i]);
        return 0;
    }
    std::vector<std::string> inputs(argv + 1, argv + argc);
    for (std::string& file : inputs)
        file = QorTest::ReadBytes(file);
    for (const std::string& bytes : argc > 1 ? inputs : corpus)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    std::printf("replayed %zu inputs\n", argc > 1 ? inputs.size() : corpus.size());
    return corpus.empty();
}
