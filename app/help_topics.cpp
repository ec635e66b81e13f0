#include "app/help_topics.h"

#include <array>
#include <utility>

namespace tesra {
namespace {

struct Topic {
    int context;
    const char* page;
};

// One row per help context; the pages live in the manual bundle "Tesra.hlp".
constexpr std::array kTopics{
    Topic{help::kImageWindow, "image.html"},
    Topic{help::kMainWindow, "main.html"},
    Topic{help::kGreyWindow, "grey.html"},
    Topic{help::kGreyProfile, "grey.html#profile"},
    Topic{help::kGreyHistogram, "grey.html#histogram"},
    Topic{help::kGreySegments, "grey.html#segments"},
    Topic{help::kResultSheet, "sheet.html"},
    Topic{help::kSpecimen, "fields.html"},
    Topic{help::kCalibration, "calibration.html"},
};

}  // namespace

std::string HelpPageForContext(int context)
{
    for (const Topic& topic : kTopics) {
        if (topic.context == context)
            return topic.page;
    }
    return "index.html";
}

bool HasHelpPage(int context)
{
    for (const Topic& topic : kTopics) {
        if (topic.context == context)
            return true;
    }
    return false;
}

}  // namespace tesra
