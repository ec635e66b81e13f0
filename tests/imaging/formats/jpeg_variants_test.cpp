// JPEG files made here with libjpeg itself: CMYK and YCCK, files without their end marker or
// cut short, and hostile files (many scans, huge sizes declared by a few bytes, more memory
// than the limit allows). The generators keep every input small.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include <jpeglib.h>

#include "imaging/checked_size.h"
#include "imaging/formats/format_error.h"
#include "imaging/formats/jpeg.h"
#include "tests/imaging/formats/format_test_support.h"
#include "tests/imaging/formats/jpeg_png_tiff_reference.h"
#include "tests/test_support.h"

namespace tesra {
namespace {

struct EncodeRecipe {
    int width = 16;
    int height = 16;
    int components = 3;
    J_COLOR_SPACE in = JCS_RGB;
    J_COLOR_SPACE file = JCS_UNKNOWN;  // JCS_UNKNOWN: libjpeg's default for `in`
    bool progressive = false;
    std::vector<jpeg_scan_info> scans;  // a script of our own, empty for libjpeg's
    int quality = 100;
    // Sample c of pixel (x, y).
    std::function<int(int x, int y, int c)> sample = [](int x, int y, int c) { return (x * 16 + y * 4 + c * 60) & 255; };
};

struct ErrorJump {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// libjpeg writing into memory. Used only to make test files.
std::vector<std::uint8_t> encode(const EncodeRecipe& recipe)
{
    jpeg_compress_struct c{};
    ErrorJump err{};
    c.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = [](j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1); };
    unsigned char* out = nullptr;
    unsigned long size = 0;
    std::vector<JSAMPLE> row(static_cast<std::size_t>(recipe.width) * recipe.components);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&c);
        std::free(out);
        return {};
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(recipe.width);
    c.image_height = static_cast<JDIMENSION>(recipe.height);
    c.input_components = recipe.components;
    c.in_color_space = recipe.in;
    jpeg_set_defaults(&c);
    if (recipe.file != JCS_UNKNOWN)
        jpeg_set_colorspace(&c, recipe.file);
    jpeg_set_quality(&c, recipe.quality, TRUE);
    if (recipe.progressive)
        jpeg_simple_progression(&c);
    if (!recipe.scans.empty()) {
        c.scan_info = recipe.scans.data();
        c.num_scans = static_cast<int>(recipe.scans.size());
    }
    // No chroma subsampling: every component has all its samples.
    for (int i = 0; i < c.num_components; ++i)
        c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    c.optimize_coding = TRUE;
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < recipe.width; ++x)
            for (int k = 0; k < recipe.components; ++k)
                row[static_cast<std::size_t>(x) * recipe.components + k] = static_cast<JSAMPLE>(recipe.sample(x, y, k));
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<std::uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

std::string readError(const std::vector<std::uint8_t>& bytes)
{
    TPixelGraphic image;
    try {
        readJpeg(ByteSpan(bytes), image);
    } catch (const EImageFormat& e) {
        return e.what();
    }
    return "(no error)";
}

TPixelGraphic read(const std::vector<std::uint8_t>& bytes)
{
    TPixelGraphic image;
    readJpeg(ByteSpan(bytes), image);
    return image;
}

// The offsets of every marker 0xFF 0xDA (start of scan) in the file.
std::vector<std::size_t> scanStarts(const std::vector<std::uint8_t>& f)
{
    std::vector<std::size_t> out;
    for (std::size_t i = 2; i + 1 < f.size(); ++i)
        if (f[i] == 0xFF && f[i + 1] == 0xDA)
            out.push_back(i);
    return out;
}

// Writes new dimensions into the frame header (SOF0 or SOF2).
void patchSize(std::vector<std::uint8_t>& f, int width, int height)
{
    for (std::size_t i = 2; i + 9 < f.size(); ++i)
        if (f[i] == 0xFF && (f[i + 1] == 0xC0 || f[i + 1] == 0xC2)) {
            f[i + 5] = static_cast<std::uint8_t>(height >> 8);
            f[i + 6] = static_cast<std::uint8_t>(height);
            f[i + 7] = static_cast<std::uint8_t>(width >> 8);
            f[i + 8] = static_cast<std::uint8_t>(width);
            return;
        }
    ADD_FAILURE() << "no frame header";
}

// Pillow's CMYK samples of a file (ink amounts: Pillow turns Adobe's inverted files round).
std::optional<std::vector<std::uint8_t>> cmykWithPillow(const std::string& path)
{
    if (!test::havePillow())
        return std::nullopt;
    const std::string out = test::tempFile("pillow_cmyk.raw");
    std::remove(out.c_str());
    const std::string script =
        "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1]); im.load()\n"
        "assert im.mode == 'CMYK'\nopen(sys.argv[2], 'wb').write(im.tobytes())\n";
    if (std::system(("/usr/bin/python3 -c " + test::quoted(script) + " " + test::quoted(path) + " " + test::quoted(out) +
                     " >/dev/null 2>&1").c_str()) != 0)
        return std::nullopt;
    return test::readFile(out);
}

// The colour of ink amounts by the reader's rule: R = max(255 − C − K, 0) and so on.
std::uint32_t inkToColour(const std::uint8_t* cmyk)
{
    auto channel = [&](int ink) { return std::max(255 - ink - cmyk[3], 0); };
    return rgb(channel(cmyk[0]), channel(cmyk[1]), channel(cmyk[2]));
}

TEST(JpegVariants, CmykAndYcckByTheInkRule)
{
    const std::string dir = test::makeTempDir("jpeg_cmyk");
    EncodeRecipe recipe;
    recipe.width = 24;
    recipe.height = 16;
    recipe.components = 4;
    recipe.in = JCS_CMYK;
    // Flat 8 × 8 blocks survive quality 100 unchanged.
    recipe.sample = [](int x, int y, int c) { return ((x / 8) * 70 + (y / 8) * 90 + c * 50) % 256; };
    for (J_COLOR_SPACE space : {JCS_CMYK, JCS_YCCK}) {
        recipe.file = space;
        const std::vector<std::uint8_t> file = encode(recipe);
        ASSERT_FALSE(file.empty());
        const TPixelGraphic image = read(file);
        EXPECT_EQ(image.ColorResolution(), 7);
        // libjpeg marks CMYK files as Adobe's, whose samples are the inverted ink amounts.
        if (space == JCS_CMYK) {
            for (int y = 0; y < 16; y += 8)
                for (int x = 0; x < 24; x += 8) {
                    std::uint8_t ink[4];
                    for (int c = 0; c < 4; ++c)
                        ink[c] = static_cast<std::uint8_t>(255 - recipe.sample(x, y, c));
                    EXPECT_EQ(image.GetColor(x, y), inkToColour(ink)) << x << "," << y;
                }
        }
        const std::string path = dir + (space == JCS_CMYK ? "/cmyk.jpg" : "/ycck.jpg");
        test::writeFile(path, file);
        const auto pillow = cmykWithPillow(path);
        if (!pillow)
            continue;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 24; ++x)
                ASSERT_EQ(image.GetColor(x, y), inkToColour(pillow->data() + (y * 24 + x) * 4)) << x << "," << y;
    }
    // A CMYK file nobody here wrote.
    const std::string outside = test::sourceDir() + "/fuzz/corpus/jpeg/cmyk.jpg";
    const TPixelGraphic image = read(test::readFile(outside));
    const auto pillow = cmykWithPillow(outside);
    if (!pillow)
        GTEST_SKIP() << "Pillow not installed";
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            ASSERT_EQ(image.GetColor(x, y), inkToColour(pillow->data() + (static_cast<std::size_t>(y) * image.Width() + x) * 4));
}

TEST(JpegVariants, MissingEndMarkerLoadsCutDataDoesNot)
{
    for (bool progressive : {false, true}) {
        EncodeRecipe recipe;
        recipe.width = 40;
        recipe.height = 24;
        recipe.progressive = progressive;
        recipe.quality = 80;
        const std::vector<std::uint8_t> whole = encode(recipe);
        const TPixelGraphic full = read(whole);
        // Without the end marker: the same image.
        const std::vector<std::uint8_t> noEnd(whole.begin(), whole.end() - 2);
        EXPECT_EQ(test::compareColors(read(noEnd), full), "") << progressive;
        // Cut inside the (last) scan's data.
        const std::vector<std::uint8_t> cut(whole.begin(), whole.end() - 12);
        EXPECT_EQ(readError(cut), "JPG: Unexpected end of file") << progressive;
    }
    // A progressive file that ends cleanly between two scans lacks the later ones.
    EncodeRecipe recipe;
    recipe.width = 40;
    recipe.height = 24;
    recipe.progressive = true;
    const std::vector<std::uint8_t> whole = encode(recipe);
    const std::vector<std::size_t> scans = scanStarts(whole);
    ASSERT_GE(scans.size(), 3u);
    const std::vector<std::uint8_t> firstScans(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(scans.back()));
    EXPECT_EQ(readError(firstScans), "JPG: Unexpected end of file");
}

// A grey progressive file of two scans with successive approximation off (DC, then AC 1..63),
// whose AC scan is then repeated: libjpeg takes each repetition as valid.
std::vector<std::uint8_t> repeatedScans(int width, int height, int repeats)
{
    EncodeRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.components = 1;
    recipe.in = JCS_GRAYSCALE;
    recipe.progressive = true;
    recipe.scans = {{1, {0, 0, 0, 0}, 0, 0, 0, 0}, {1, {0, 0, 0, 0}, 1, 63, 0, 0}};
    recipe.sample = [](int, int, int) { return 128; };
    std::vector<std::uint8_t> f = encode(recipe);
    const std::vector<std::size_t> scans = scanStarts(f);
    if (scans.size() != 2)
        return {};
    const std::vector<std::uint8_t> acScan(f.begin() + static_cast<std::ptrdiff_t>(scans[1]), f.end() - 2);
    f.resize(f.size() - 2);
    for (int i = 1; i < repeats; ++i)
        f.insert(f.end(), acScan.begin(), acScan.end());
    f.push_back(0xFF);
    f.push_back(0xD9);
    return f;
}

TEST(JpegVariants, ScansAreBoundedByTheImageSize)
{
    EXPECT_EQ(jpegScanLimit(64 * 64), 256);
    EXPECT_EQ(jpegScanLimit(4096 * 4096), 59);
    EXPECT_EQ(jpegScanLimit(6000 * 4000), 41);
    EXPECT_EQ(jpegScanLimit(30000ull * 30000), 16);

    EXPECT_EQ(read(repeatedScans(64, 64, 200)).greyValue(5, 5), 128);
    EXPECT_EQ(readError(repeatedScans(64, 64, 300)), "JPG: Too many progressive scans");
    // 16.8 million pixels: 59 scans at most.
    EXPECT_EQ(read(repeatedScans(4096, 4096, 20)).greyValue(4000, 4000), 128);
    EXPECT_EQ(readError(repeatedScans(4096, 4096, 60)), "JPG: Too many progressive scans");
}

TEST(JpegVariants, FewBytesDeclaringManyPixelsAreRefused)
{
    const ImageSizeLimits saved = imageSizeLimits();
    setImageSizeLimits({50'000'000, 256ull << 20});
    // A small file with its frame header patched to 3000 × 3000: its data ends long before
    // the pixels do, baseline or progressive, and with empty scans after it.
    for (bool progressive : {false, true}) {
        EncodeRecipe recipe;
        recipe.progressive = progressive;
        std::vector<std::uint8_t> f = encode(recipe);
        patchSize(f, 3000, 3000);
        EXPECT_EQ(readError(f), "JPG: Unexpected end of file") << progressive;
    }
    std::vector<std::uint8_t> bomb = repeatedScans(16, 16, 40);
    patchSize(bomb, 3000, 3000);
    EXPECT_EQ(readError(bomb), "JPG: Unexpected end of file");
    setImageSizeLimits(saved);
}

TEST(JpegVariants, LibraryMemoryCountsAgainstTheLimit)
{
    // 1500 × 1500 progressive colour without subsampling: a buffer of 6.75 MB and 13.5 MB of
    // coefficients that the library keeps until the last scan.
    EncodeRecipe recipe;
    recipe.width = recipe.height = 1500;
    recipe.progressive = true;
    recipe.sample = [](int x, int y, int c) { return ((x / 8 + y / 8) * 17 + c * 40) & 255; };
    const std::vector<std::uint8_t> f = encode(recipe);
    const ImageSizeLimits saved = imageSizeLimits();
    setImageSizeLimits({10'000'000, 16ull << 20});
    EXPECT_EQ(readError(f), "JPG: Image too large");
    setImageSizeLimits({10'000'000, 32ull << 20});
    EXPECT_EQ(readError(f), "(no error)");
    setImageSizeLimits(saved);
}

TEST(JpegVariants, OtherComponentCountsAreRefusedWithAHint)
{
    EncodeRecipe recipe;
    recipe.components = 2;
    recipe.in = JCS_UNKNOWN;
    recipe.file = JCS_UNKNOWN;
    const std::vector<std::uint8_t> f = encode(recipe);
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(readError(f),
              "JPG: Not supported subformat \u2014 save the image as an RGB or greyscale JPEG, or as PNG, and open it again");
}

}  // namespace
}  // namespace tesra
