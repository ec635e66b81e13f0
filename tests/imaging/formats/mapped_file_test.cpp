#include "imaging/formats/mapped_file.h"

#include "imaging/formats/image_format.h"
#include "tests/imaging/formats/format_test_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tesra {
namespace {

namespace fs = std::filesystem;

// Noise, so that compressed formats stay large and the reader is still inside the file when
// it is cut.
TPixelGraphic noiseImage(int width, int height)
{
    TPixelGraphic image(width, height, TPixelFormat::pf24Bit);
    std::uint32_t s = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            s = s * 1664525u + 1013904223u;
            image.SetPixel(x, y, s >> 8);
        }
    return image;
}

// An 8-bit PCX of one plane whose rows are literal bytes (all below the run marker), with its
// palette behind the pixels.
std::vector<std::uint8_t> pcxFile(int width, int height)
{
    test::Bytes f;
    f.u8(10).u8(5).u8(1).u8(8).u16(0).u16(0).u16(width - 1).u16(height - 1).u16(72).u16(72).fill(48, 0);
    f.u8(0).u8(1).u16(width).u16(1).u16(0).u16(0).fill(54, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            f.u8((x * 7 + y) % 0xC0);
    f.u8(12);
    for (int i = 0; i < 256; ++i)
        f.u8(i).u8(255 - i).u8(i / 2);
    return f.v;
}

// Does something to the file at the reader's first step of progress.
class MeddlingProgress : public ProgressSink {
public:
    MeddlingProgress(std::function<void()> meddle) : m_meddle(std::move(meddle)) {}
    void step(int) override
    {
        if (m_meddle) {
            m_meddle();
            m_meddle = nullptr;
        }
    }

private:
    std::function<void()> m_meddle;
};

void setOldTime(const std::string& path)
{
    // A day back: a write in the same clock tick as the file's creation still shows.
    const timespec times[2] = {{86400, 0}, {86400, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// A file cut to 4 KB by someone else while a reader is inside it, in every format read: the
// load ends with the one message, the caller's image stays, and the program goes on (mapped
// pages beyond the new end would otherwise stop it). Overwriting in place at the same size is
// caught the same way.
TEST(FileChangedWhileLoading, EveryReaderGivesTheMessage)
{
    const std::string dir = test::makeTempDir("changed-while-loading");
    const TPixelGraphic image = noiseImage(600, 400);
    FormatOptions silent;
    silent.warningHandling = WarningHandling::Silent;
    std::vector<std::string> names;
    for (const char* extension : {"bmp", "jpg", "png", "pbm", "pgm", "ppm", "tga", "tif"}) {
        names.push_back(dir + "/image." + extension);
        saveImage(image, names.back(), silent);
    }
    names.push_back(dir + "/image.pcx");
    test::writeFile(names.back(), pcxFile(600, 400));
    struct Meddling {
        const char* what;
        void (*meddle)(const std::string& path);
    };
    const Meddling meddlings[] = {
        {"cut", [](const std::string& path) { ASSERT_EQ(::truncate(path.c_str(), 4096), 0); }},
        {"overwritten",
         [](const std::string& path) {
             const int fd = ::open(path.c_str(), O_WRONLY);
             ASSERT_GE(fd, 0);
             const std::vector<char> other(8192, 'x');
             ASSERT_EQ(::pwrite(fd, other.data(), other.size(), 4096), 8192);
             ::close(fd);
         }},
    };
    for (const Meddling& m : meddlings)
        for (const std::string& original : names) {
            const std::string path = dir + "/meddled-" + fs::path(original).filename().string();
            fs::copy_file(original, path, fs::copy_options::overwrite_existing);
            setOldTime(path);
            ASSERT_TRUE(FileBytes(path).mapped());
            MeddlingProgress progress([&] { m.meddle(path); });
            FormatOptions options = silent;
            options.progress = &progress;
            TPixelGraphic target(3, 2, TPixelFormat::pf8Bit);
            try {
                loadImage(path, target, options);
                ADD_FAILURE() << original << " " << m.what << ": loaded";
            } catch (const EImageFile& e) {
                EXPECT_EQ(e.what(), path + ": the file changed while it was read") << m.what;
            } catch (const std::exception& e) {
                ADD_FAILURE() << original << " " << m.what << ": " << e.what();
            }
            EXPECT_EQ(target.Width(), 3);
        }
    // Untouched, every one of them loads.
    for (const std::string& name : names) {
        TPixelGraphic back;
        EXPECT_NO_THROW(loadImage(name, back, silent)) << name;
        EXPECT_EQ(back.Width(), 600);
    }
    fs::remove_all(dir);
}

// Letting go of the mapped pages loses no byte: they come back from the file.
TEST(FileChangedWhileLoading, ReleasedPagesReadTheSame)
{
    const std::string dir = test::makeTempDir("released-pages");
    std::vector<std::uint8_t> bytes(3 * 1024 * 1024);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 131 + i / 4096);
    test::writeFile(dir + "/f.bin", bytes);
    const FileBytes file(dir + "/f.bin");
    ASSERT_TRUE(file.mapped());
    const ByteSpan seen = file.bytes();
    EXPECT_TRUE(std::equal(seen.begin(), seen.end(), bytes.begin(), bytes.end()));
    file.releaseResident();
    EXPECT_TRUE(std::equal(seen.begin(), seen.end(), bytes.begin(), bytes.end()));
    EXPECT_NO_THROW(file.throwIfChanged());
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tesra
