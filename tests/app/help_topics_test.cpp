// Which manual page each help context opens.
#include "app/help_topics.h"

#include <gtest/gtest.h>

namespace tesra {
namespace {

TEST(HelpTopics, EachWindowContextHasItsOwnPage)
{
    EXPECT_EQ(HelpPageForContext(1000), "image.html");
    EXPECT_EQ(HelpPageForContext(3130), "grey.html");
    EXPECT_EQ(HelpPageForContext(3131), "grey.html#profile");
    EXPECT_EQ(HelpPageForContext(3132), "grey.html#histogram");
    EXPECT_EQ(HelpPageForContext(3133), "grey.html#segments");
    EXPECT_EQ(HelpPageForContext(3150), "calibration.html");
    EXPECT_TRUE(HasHelpPage(3150));
}

TEST(HelpTopics, NoOrUnknownContextOpensTheContents)
{
    EXPECT_EQ(HelpPageForContext(0), "index.html");
    EXPECT_EQ(HelpPageForContext(-5), "index.html");
    EXPECT_EQ(HelpPageForContext(3134), "index.html");
    EXPECT_FALSE(HasHelpPage(0));
}

}  // namespace
}  // namespace tesra
