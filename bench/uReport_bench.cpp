// The PDF report of a specimen of ten fields: 2560 × 1920 JPEG micrographs, each calibrated
// with 30 test lines and 600 intercepts. Reference: decoding the ten images alone, which the
// report must do to draw the photos.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>

#include "app/document/measuring_document.h"
#include "app/storage/measurement_file.h"
#include "imaging/formats/image_format.h"
#include "results/uReport.h"

namespace tesra {
namespace {

namespace fs = std::filesystem;

constexpr int kFields = 10;
constexpr int kWidth = 2560;
constexpr int kHeight = 1920;

struct Specimen {
    fs::path dir = fs::temp_directory_path() / "tesra-report-bench";
    std::vector<FieldNumbers> fields;

    Specimen()
    {
        fs::create_directories(dir);
        TPixelGraphic g(kWidth, kHeight, TPixelFormat::pf24Bit);
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* row = g.rowData(y);
            for (int x = 0; x < 3 * kWidth; ++x)
                row[x] = static_cast<std::uint8_t>(((x / 3) * 7 ^ y * 13) & 0xFF);
        }
        for (int f = 0; f < kFields; ++f) {
            MeasuringDocument document;
            document.resetForImage(kWidth, kHeight);
            for (int i = 0; i < 30; ++i) {
                document.AddTestLine(50, 50 + i * 60, kWidth - 50, 50 + i * 60, false);
                for (int k = 1; k <= 20; ++k)
                    document.AddIntercept({50 + k * 120, 50 + i * 60}, i + 1, itNormal);
            }
            document.calibrationTexts().fields().tPixel = "200";
            document.calibrationTexts().fields().tEcht = "50";
            document.AcceptCalibration();
            const std::string file = (dir / ("field" + std::to_string(f) + ".jpg")).string();
            SaveImageWithMeasurement(g, file, document);
            fields.push_back(MeasureField(file, document.measurement(), true, LengthUnit::Micrometre));
        }
    }
    ~Specimen() { fs::remove_all(dir); }
};

Specimen& TheSpecimen()
{
    static Specimen specimen;
    return specimen;
}

void BM_PdfReport10Fields(benchmark::State& state)
{
    const Specimen& specimen = TheSpecimen();
    const QString pdf = QString::fromStdString((specimen.dir / "report.pdf").string());
    for (auto _ : state) {
        QString error;
        if (!WriteSpecimenReport(pdf, specimen.fields, NumberLocale::German(), &error))
            state.SkipWithError(error.toStdString().c_str());
    }
    state.counters["pdf_MB"] = static_cast<double>(fs::file_size(specimen.dir / "report.pdf")) / 1e6;
}
BENCHMARK(BM_PdfReport10Fields)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Reference_Decode10Images(benchmark::State& state)
{
    const Specimen& specimen = TheSpecimen();
    for (auto _ : state) {
        for (const FieldNumbers& field : specimen.fields) {
            TPixelGraphic image;
            loadImage(field.name, image);
            benchmark::DoNotOptimize(image.Width());
        }
    }
}
BENCHMARK(BM_Reference_Decode10Images)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tesra

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
