#include "app/propose_command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include "app/storage/line_set.h"
#include "app/storage/measurement_file.h"
#include "imaging/formats/image_format.h"
#include "results/calibration_model.h"
#include "tests/test_support.h"

namespace tesra {
namespace {

// A grain of grey 180 crossed by dark boundaries at x = 60 and x = 140 (two pixels wide).
TPixelGraphic twoBoundaries()
{
    TPixelGraphic image(200, 100, TPixelFormat::pf24Bit);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool dark = x == 60 || x == 61 || x == 140 || x == 141;
            image.SetPixel(x, y, dark ? rgb(30, 30, 30) : rgb(180, 180, 180));
        }
    return image;
}

struct Outcome {
    int code = 0;
    std::string out, err;
};

Outcome propose(const ProposeRequest& request)
{
    std::ostringstream out, err;
    Outcome r;
    r.code = RunProposeCommand(request, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

class ProposeCommand : public ::testing::Test {
protected:
    void SetUp() override { folder = test::makeTempDir("propose"); }
    std::string folder;
};

TEST_F(ProposeCommand, LinesStoredInTheImageGiveOneRowPerCrossing)
{
    MeasuringDocument document;
    document.AddTestLine(10, 50, 190, 50, false);   // crosses both boundaries
    document.AddTestLine(80, 20, 120, 80, false);   // crosses none
    const std::string file = folder + "/grains.bmp";
    SaveImageWithMeasurement(twoBoundaries(), file, document);

    const Outcome r = propose({file, "", false});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "line,x,y,type\n1,60.50,50.00,1\n1,140.50,50.00,1\n");
    EXPECT_EQ(r.err, "");
    // Bright boundaries are asked for: these dark ones are none.
    EXPECT_EQ(propose({file, "", true}).out, "line,x,y,type\n");
}

TEST_F(ProposeCommand, LinesFromALineSetReplaceThoseOfTheImage)
{
    const std::string image = folder + "/plain.png";
    saveImage(twoBoundaries(), image);
    Measurement layout;
    layout.AddTestLine(100, 10, 100, 90, false);  // along no boundary
    layout.AddTestLine(20, 30, 180, 70, false);   // slanted across both
    const std::string lines = folder + "/layout.lin";
    SaveLineSet(lines, layout);

    const Outcome r = propose({image, lines, false});
    ASSERT_EQ(r.code, 0);
    std::istringstream rows(r.out);
    std::string header, first, second, extra;
    std::getline(rows, header);
    std::getline(rows, first);
    std::getline(rows, second);
    EXPECT_FALSE(std::getline(rows, extra));
    EXPECT_EQ(header, "line,x,y,type");
    double x = 0, y = 0;
    ASSERT_EQ(std::sscanf(first.c_str(), "2,%lf,%lf,1", &x, &y), 2);
    EXPECT_NEAR(x, 60.5, 0.6);
    EXPECT_NEAR(y, 30 + (x - 20) * 40 / 160, 0.3);  // on the line
    ASSERT_EQ(std::sscanf(second.c_str(), "2,%lf,%lf,1", &x, &y), 2);
    EXPECT_NEAR(x, 140.5, 0.6);

    // Without lines anywhere: the header alone, and a word on standard error.
    const Outcome none = propose({image, "", false});
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(none.out, "line,x,y,type\n");
    EXPECT_NE(none.err.find("no test lines"), std::string::npos);
}

TEST_F(ProposeCommand, FilesThatCannotBeReadAreReportedAndFail)
{
    const std::string image = folder + "/plain.png";
    saveImage(twoBoundaries(), image);
    test::writeFile(folder + "/notes.lin", {'h', 'e', 'l', 'l', 'o'});

    const Outcome missing = propose({folder + "/missing.png", "", false});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("missing.png"), std::string::npos);

    const Outcome notLines = propose({image, folder + "/notes.lin", false});
    EXPECT_EQ(notLines.code, 1);
    EXPECT_EQ(notLines.out, "");
    EXPECT_NE(notLines.err.find("notes.lin"), std::string::npos);
}

}  // namespace
}  // namespace tesra
