#include "imaging/formats/image_format.h"

#include "imaging/checked_size.h"
#include "imaging/formats/mapped_file.h"
#include "imaging/formats/safe_save.h"
#include "tests/imaging/formats/format_test_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>

namespace tesra {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

// The fallback table, written out again row by row, with the writers' sets: each row is the
// resolution chosen for r = 0..7.
TEST(FormatRegistry, FallbackResolutionByWriterSet)
{
    struct Row {
        ResolutionSet set;
        int expected[8];
    };
    const Row rows[] = {
        {255, {0, 1, 2, 3, 4, 5, 6, 7}},  // BMP, PNG
        {160, {5, 7, 5, 7, 7, 5, 7, 7}},  // JPEG: 5 and 7
        {1, {0, 0, 0, 0, 0, 0, 0, 0}},    // PBM
        {32, {5, 5, 5, 5, 5, 5, 5, 5}},   // PGM
        {128, {7, 7, 7, 7, 7, 7, 7, 7}},  // PPM
        {192, {6, 6, 6, 6, 6, 6, 6, 7}},  // TGA: 6 and 7
        {253, {0, 4, 2, 3, 4, 5, 6, 7}},  // TIFF: all but 1
    };
    for (const Row& row : rows)
        for (int r = 0; r < 8; ++r)
            EXPECT_EQ(fallbackResolution(r, row.set), row.expected[r]) << "set " << int(row.set) << " r " << r;
    EXPECT_EQ(fallbackResolution(3, 0), -1);
}

TEST(FormatRegistry, ReadersInOrderWithTheirExtensions)
{
    std::vector<std::string> first;
    for (const ImageReader& r : imageReaders())
        first.push_back(r.extensions.front());
    const std::vector<std::string> expected = {"bmp", "jpg", "png", "pcx", "pbm", "pgm", "ppm", "tga", "tif"};
    EXPECT_EQ(first, expected);
    ASSERT_NE(findWriter("DIB"), nullptr);
    EXPECT_EQ(findWriter(".Dib")->description, "Bitmap");
    EXPECT_EQ(findWriter("jif")->description, "JPEG (JFIF compliant)");
    EXPECT_EQ(findWriter("TIFF")->resolutions, 253);
    EXPECT_EQ(findWriter("pcx"), nullptr);  // read only
    EXPECT_EQ(findWriter("rle"), nullptr);  // an alias of the reader only
}

TEST(FormatRegistry, SignatureWinsOverExtensionAndTgaOnlyByExtension)
{
    const std::uint8_t jpegHead[] = {255, 216, 255, 224, 0, 16, 'J', 'F', 'I', 'F'};
    EXPECT_EQ(findReader(jpegHead, "tga")->description, "JPEG (JFIF compliant)");
    const std::uint8_t tgaHead[] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0};
    EXPECT_EQ(findReader(tgaHead, "TGA")->description, "Truevision Targa");
    EXPECT_EQ(findReader(tgaHead, "bmp"), nullptr);
    const std::uint8_t p5[] = {'P', '5'};
    EXPECT_EQ(findReader(p5, "")->description, "Portable Graymap");
    const std::uint8_t tiff[] = {'M', 'M', 0, 42};
    EXPECT_EQ(findReader(tiff, "")->description, "Tagged Image File Format");
    const std::uint8_t pcx[] = {10, 5, 1, 8};
    EXPECT_EQ(findReader(pcx, "")->description, "Paintbrush");
}

TEST(FormatRegistry, UnknownFormatAndExtensionMessages)
{
    const std::uint8_t junk[] = {1, 2, 3, 4, 5};
    TPixelGraphic img(2, 2, TPixelFormat::pf24Bit);
    try {
        loadImage(ByteSpan(junk), "xyz", img);
        FAIL();
    } catch (const EImageFormat& e) {
        EXPECT_STREQ(e.what(), "Unknown file format");
    }
    EXPECT_EQ(img.Width(), 2);  // untouched
    try {
        PreparedSave save(img, "Gif");
        FAIL();
    } catch (const EImageFormat& e) {
        EXPECT_STREQ(e.what(), "Unknown file extension \"gif\"");
    }
}

TEST(FormatRegistry, FailedLoadLeavesTheImageAsItWas)
{
    TPixelGraphic img(3, 1, TPixelFormat::pf24Bit);
    img.SetPixel(1, 0, rgb(1, 2, 3));
    const Bytes cut = Bytes().text("BM").u32(0).u32(0).u32(54).u32(40).u32(10);
    EXPECT_THROW(loadImage(cut.span(), "bmp", img), EImageFormat);
    EXPECT_EQ(img.Width(), 3);
    EXPECT_EQ(img.GetColor(1, 0), rgb(1, 2, 3));
}

// Saving a 24-bit image as PGM: the question names the writer and both resolutions; Cancel
// fails with the refusal text and writes nothing; OK converts to 256 greys.
TEST(FormatRegistry, ResolutionChangeAskedAndCancelled)
{
    TPixelGraphic img(2, 1, TPixelFormat::pf24Bit);
    img.SetPixel(0, 0, rgb(0, 255, 0));
    std::vector<std::string> asked;
    FormatOptions options;
    bool answer = false;
    options.warning = [&](const std::string&, const std::string& text, WarningButtons buttons) {
        asked.push_back(text);
        EXPECT_EQ(buttons, WarningButtons::OkCancel);
        return answer;
    };
    const std::string dir = test::makeTempDir("formats");
    const std::string target = dir + "/x.pgm";
    try {
        saveImage(img, target, options);
        FAIL();
    } catch (const EImageFormat& e) {
        EXPECT_STREQ(e.what(), "The graphic cannot be saved with to a Portable Graymap file with the current color "
                               "resolution (16.7 million colors)");
    }
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "The graphic cannot be saved to a Portable Graymap file with the current color resolution "
                        "(16.7 million colors).\r\rThe graphic will be saved with a different color resolution (256 "
                        "shades of gray).");
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(fs::is_empty(dir));

    answer = true;
    saveImage(img, target, options);
    const auto bytes = test::readFile(target);
    // Pure green has the weighted luminance 449; dithered storing into 256 greys gives 449 div 3.
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "P2\n2 1\n255\n149 0\n");
    fs::remove_all(dir);
}

TEST(FormatRegistry, OtherWarningHandlings)
{
    TPixelGraphic img(1, 1, TPixelFormat::pf4Bit);
    img.SetPaletteIdent(pSys16);  // "16 system colors"
    int calls = 0;
    FormatOptions options;
    options.warning = [&](const std::string&, const std::string&, WarningButtons buttons) {
        ++calls;
        EXPECT_EQ(buttons, WarningButtons::Ok);
        return false;  // ignored: there is only OK
    };
    options.warningHandling = WarningHandling::Inform;
    EXPECT_EQ(PreparedSave(img, "jpg", options).resolution(), 7);
    EXPECT_EQ(calls, 1);
    options.warningHandling = WarningHandling::Silent;
    EXPECT_EQ(PreparedSave(img, "TIF", options).resolution(), 3);  // TIFF stores it as it is
    EXPECT_EQ(PreparedSave(img, "pbm", options).resolution(), 0);
    EXPECT_EQ(calls, 1);
    options.warningHandling = WarningHandling::Refuse;
    EXPECT_THROW(PreparedSave(img, "tga", options), EImageFormat);
    EXPECT_EQ(calls, 1);
}

TEST(FormatRegistry, SixteenColorsSavedAsJpegBecomeTrueColor)
{
    TPixelGraphic img(1, 1, TPixelFormat::pf4Bit);
    std::vector<std::uint32_t> pal(16, rgb(10, 20, 30));
    img.SetPalette(pal, pUnknown);
    FormatOptions options;
    options.warningHandling = WarningHandling::Silent;
    EXPECT_EQ(PreparedSave(img, "jpeg", options).resolution(), 7);
}

// Gamma correction, worked out from the formula: exponent 2.2/1.8, t[128] = R((128/255)^1.2222 × 255).
TEST(FormatRegistry, GammaCorrectionOfChannelsAndPalettes)
{
    const auto expected = [](int i, double g) { return static_cast<int>(std::nearbyint(std::pow(i / 255.0, g / 1.8) * 255)); };
    TPixelGraphic img(1, 1, TPixelFormat::pf24Bit);
    img.SetPixel(0, 0, rgb(128, 64, 255));
    applyGammaCorrection(img, 2.2, FormatOptions());
    EXPECT_EQ(img.GetColor(0, 0), rgb(expected(128, 2.2), expected(64, 2.2), 255));
    EXPECT_EQ(expected(128, 2.2), 110);

    // Within 5 % of the display gamma nothing changes; nor with the correction off.
    TPixelGraphic same(1, 1, TPixelFormat::pf24Bit);
    same.SetPixel(0, 0, rgb(128, 64, 32));
    applyGammaCorrection(same, 1.8 * 1.049, FormatOptions());
    FormatOptions off;
    off.gammaCorrection = false;
    applyGammaCorrection(same, 3.0, off);
    EXPECT_EQ(same.GetColor(0, 0), rgb(128, 64, 32));

    TPixelGraphic pal(1, 1, TPixelFormat::pf8Bit);
    pal.SetPalette(std::vector<std::uint32_t>{rgb(128, 0, 255)}, pUnknown);
    applyGammaCorrection(pal, 1.0, FormatOptions());
    EXPECT_EQ(pal.GetColor(0, 0), rgb(expected(128, 1.0), 0, 255));

    // A 256-grey image keeps its grey palette: the pixels move instead, to the same colours.
    TPixelGraphic grey(1, 1, TPixelFormat::pf8Bit);
    grey.SetPaletteIdent(pGray256);
    grey.SetPixel(0, 0, 128);
    applyGammaCorrection(grey, 2.2, FormatOptions());
    EXPECT_EQ(grey.PaletteIdent(), pGray256);
    EXPECT_EQ(grey.GetColor(0, 0), rgb(110, 110, 110));
}

// What a save is known to write at least, before it writes: the packed pixels for writers
// that store them uncompressed, nothing for PNG and JPEG.
TEST(FormatRegistry, MinimumDataSizeOfASave)
{
    TPixelGraphic colour(101, 10, TPixelFormat::pf24Bit);
    TPixelGraphic mono(101, 10, TPixelFormat::pf1Bit);
    mono.SetPaletteIdent(pBlackWhite);
    FormatOptions silent;
    silent.warningHandling = WarningHandling::Silent;
    const struct {
        const TPixelGraphic* image;
        const char* ext;
        std::uint64_t minimum;
    } cases[] = {
        {&colour, "bmp", 3030}, {&colour, "tif", 3030}, {&colour, "tga", 3030}, {&colour, "ppm", 3030},
        {&colour, "pgm", 1010}, {&mono, "pbm", 130},    {&colour, "png", 0},    {&colour, "jpg", 0},
    };
    for (const auto& c : cases) {
        const PreparedSave save(*c.image, c.ext, silent);
        EXPECT_EQ(save.minimumDataSize(), c.minimum) << c.ext;
        std::ostringstream out;
        save.write(out);
        EXPECT_GE(out.str().size(), c.minimum) << c.ext;
    }
}

// ---- Loading from files ----

// Only regular files are read: a folder or a FIFO with an image's name is refused at once with
// the file name, never allocated by a bogus size or waited on.
TEST(LoadImageFile, RefusesWhatIsNotARegularFile)
{
    const std::string dir = test::makeTempDir("load-kinds");
    fs::create_directory(dir + "/x.bmp");
    ASSERT_EQ(::mkfifo((dir + "/f.bmp").c_str(), 0600), 0);
    struct Case {
        std::string name;
        std::string message;
    };
    const Case cases[] = {
        {dir + "/x.bmp", dir + "/x.bmp: Is a directory"},
        {dir + "/f.bmp", dir + "/f.bmp: Not a regular file"},
        {"/dev/null", "/dev/null: Not a regular file"},
        {dir + "/missing.bmp", dir + "/missing.bmp: No such file or directory"},
    };
    for (const Case& c : cases) {
        TPixelGraphic image(2, 2, TPixelFormat::pf8Bit);
        try {
            loadImage(c.name, image);
            ADD_FAILURE() << c.name << " was loaded";
        } catch (const EImageFile& e) {
            EXPECT_EQ(e.what(), c.message);
        }
        EXPECT_EQ(image.Width(), 2);
    }
    // An empty file cannot be mapped; it is read, and is no image.
    test::writeFile(dir + "/empty.bmp", {});
    TPixelGraphic image;
    try {
        loadImage(dir + "/empty.bmp", image);
        ADD_FAILURE();
    } catch (const EImageFormat& e) {
        EXPECT_STREQ(e.what(), "Unknown file format");
    }
    fs::remove_all(dir);
}

TEST(LoadImageFile, MappedFileGivesTheSameImage)
{
    const std::string dir = test::makeTempDir("load-mapped");
    TPixelGraphic image(300, 200, TPixelFormat::pf24Bit);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            image.SetPixel(x, y, rgb(x % 256, y, (x * y) % 256));
    saveImage(image, dir + "/m.bmp");
    const FileBytes file(dir + "/m.bmp");
    EXPECT_TRUE(file.mapped());
    EXPECT_EQ(file.bytes().size(), fs::file_size(dir + "/m.bmp"));
    TPixelGraphic back;
    loadImage(dir + "/m.bmp", back);
    ASSERT_EQ(back.Width(), 300);
    for (int y = 0; y < 200; y += 7)
        for (int x = 0; x < 300; x += 3)
            ASSERT_EQ(back.GetColor(x, y), image.GetColor(x, y));
    fs::remove_all(dir);
}

// Memory the system refuses for an image (here 640 TB declared by a PGM header, with the size
// limits lifted) ends the load with a message, never with std::bad_alloc.
TEST(LoadImageFile, MemoryTheSystemRefusesIsAMessage)
{
    const std::string dir = test::makeTempDir("load-memory");
    const std::string header = "P5\n300000 2147483647\n255\n";
    std::vector<std::uint8_t> file(header.begin(), header.end());
    file.resize(file.size() + 1000, 7);
    test::writeFile(dir + "/huge.pgm", file);
    const ImageSizeLimits saved = imageSizeLimits();
    setImageSizeLimits({UINT64_MAX, UINT64_MAX});
    TPixelGraphic image;
    try {
        loadImage(dir + "/huge.pgm", image);
        ADD_FAILURE() << "loaded";
    } catch (const EImageFile& e) {
        EXPECT_EQ(e.what(), dir + "/huge.pgm: " + std::strerror(ENOMEM));
    } catch (const EImageFormat& e) {
        // A reader that checks the data against the size first refuses earlier; fine too.
        EXPECT_NE(std::string(e.what()).find("PBM, PGM, PPM: "), std::string::npos) << e.what();
    } catch (const std::bad_alloc&) {
        ADD_FAILURE() << "std::bad_alloc left loadImage";
    }
    try {
        loadImage(ByteSpan(file), "pgm", image);
    } catch (const EPixelGraphic&) {
    } catch (const std::bad_alloc&) {
        ADD_FAILURE() << "std::bad_alloc left loadImage";
    }
    setImageSizeLimits(saved);
    fs::remove_all(dir);
}

// ---- Safe saving ----

TEST(SafeSave, ReplacesOnlyWhenCompleteAndLeavesNoTemporary)
{
    const std::string dir = test::makeTempDir("safesave");
    const std::string target = dir + "/a.bin";
    test::writeFile(target, {1, 2, 3});
    ::chmod(target.c_str(), 0640);
    EXPECT_THROW(safeSave(target,
                          [](std::ostream& out) {
                              out << "half";
                              throw std::runtime_error("stop");
                          }),
                 std::runtime_error);
    EXPECT_EQ(test::readFile(target), (std::vector<std::uint8_t>{1, 2, 3}));
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 1);

    safeSave(target, [](std::ostream& out) { out << "new"; });
    EXPECT_EQ(test::readFile(target), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::remove_all(dir);
}

TEST(SafeSave, FollowsSymbolicLinksAndReportsTheSystemsMessage)
{
    const std::string dir = test::makeTempDir("safesave");
    fs::create_directory(dir + "/real");
    test::writeFile(dir + "/real/t.bin", {9});
    fs::create_symlink("real/t.bin", dir + "/link.bin");
    safeSave(dir + "/link.bin", [](std::ostream& out) { out << "xy"; });
    EXPECT_TRUE(fs::is_symlink(dir + "/link.bin"));
    EXPECT_EQ(test::readFile(dir + "/real/t.bin"), (std::vector<std::uint8_t>{'x', 'y'}));
    try {
        safeSave(dir + "/missing/t.bin", [](std::ostream& out) { out << "x"; });
        FAIL();
    } catch (const EImageFile& e) {
        EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos) << e.what();
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tesra
