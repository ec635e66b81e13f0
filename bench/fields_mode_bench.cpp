// `tesra --fields` over a specimen of 100 measured 6000 × 4000 micrographs (JPEG, each with a
// full measurement: 300 lines, 5000 intercepts). Reference: reading the same 100 files whole,
// which is the least any mode that looked at the images would do before decoding them.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/fields_mode.h"
#include "app/storage/measurement_file.h"
#include "imaging/formats/image_format.h"

namespace {

using namespace tesra;
namespace fs = std::filesystem;

constexpr int kFiles = 100;

struct Specimen {
    fs::path dir = fs::temp_directory_path() / "tesra-fields-bench";
    std::vector<std::string> files;

    Specimen()
    {
        fs::create_directories(dir);
        const std::string image = (dir / "image.jpg").string();
        TPixelGraphic g(6000, 4000, TPixelFormat::pf24Bit);
        for (int y = 0; y < 4000; ++y) {
            std::uint8_t* row = g.rowData(y);
            for (int x = 0; x < 3 * 6000; ++x)
                row[x] = static_cast<std::uint8_t>(((x / 3) * 7 ^ y * 13) & 0xFF);
        }
        saveImage(g, image);
        std::ifstream in(image, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        const std::string jpeg = bytes.str();

        for (int f = 0; f < kFiles; ++f) {
            MeasuringDocument document;
            std::vector<TestLine> lines(300);
            std::vector<Intercept> intercepts;
            for (int i = 0; i < 300; ++i) {
                lines[i].x2 = 5000;
                lines[i].y2 = i;
                lines[i].length = 5000 + f;
                lines[i].weightedCount = 16 + (i + f) % 5;
            }
            for (int k = 0; k < 5000; ++k) {
                Intercept x;
                x.line = static_cast<std::uint16_t>(k % 300 + 1);
                intercepts.push_back(x);
            }
            document.measurementForLoading().setRecords(lines, intercepts, {});
            document.calibrationTexts().fields().tPixel = "200";
            document.calibrationTexts().fields().tEcht = "50";
            document.AcceptCalibration();
            const std::string file = (dir / ("field" + std::to_string(f) + ".jpg")).string();
            SaveWithTrailer(file, [&](std::ostream& out) { out << jpeg; }, document);
            files.push_back(file);
        }
    }
    ~Specimen() { fs::remove_all(dir); }
};

Specimen& TheSpecimen()
{
    static Specimen specimen;
    return specimen;
}

void BM_FieldsMode100Files(benchmark::State& state)
{
    const Specimen& specimen = TheSpecimen();
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        if (PrintFields(specimen.files, out, err) != 0)
            state.SkipWithError(err.str().c_str());
        benchmark::DoNotOptimize(out.str().size());
    }
}
BENCHMARK(BM_FieldsMode100Files)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Reference_ReadWhole100Files(benchmark::State& state)
{
    const Specimen& specimen = TheSpecimen();
    std::vector<char> buffer;
    for (auto _ : state) {
        std::size_t total = 0;
        for (const std::string& file : specimen.files) {
            std::ifstream in(file, std::ios::binary);
            buffer.assign(std::istreambuf_iterator<char>(in), {});
            total += buffer.size();
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_Reference_ReadWhole100Files)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
