// Which language the program chooses from the user's setting and the system's variables.
#include "app/common/language.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tesra {
namespace {

struct Case {
    const char* setting;
    std::map<std::string, std::string> environment;
    Language expected;
};

TEST(ChooseLanguage, SettingThenLanguageListThenLocaleVariables)
{
    const Case cases[] = {
        // Nothing set anywhere: English.
        {"", {}, Language::English},
        // The locale variables in their order of precedence.
        {"", {{"LANG", "de_DE.UTF-8"}}, Language::German},
        {"", {{"LANG", "en_GB.UTF-8"}}, Language::English},
        {"", {{"LANG", "fr_FR.UTF-8"}}, Language::English},
        {"", {{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}}, Language::English},
        {"", {{"LC_MESSAGES", "de_AT"}, {"LC_ALL", "C"}}, Language::Source},
        {"", {{"LANG", "POSIX"}}, Language::Source},
        {"", {{"LANG", "C.UTF-8"}}, Language::Source},
        {"", {{"LANG", "de@euro"}}, Language::German},
        // LANGUAGE lists preferences; the first one we speak wins, before any locale variable.
        {"", {{"LANGUAGE", "de"}, {"LANG", "en_US.UTF-8"}}, Language::German},
        {"", {{"LANGUAGE", "fr:es:de_CH:en"}, {"LANG", "en_US.UTF-8"}}, Language::German},
        {"", {{"LANGUAGE", "C"}, {"LANG", "de_DE.UTF-8"}}, Language::Source},
        {"", {{"LANGUAGE", "fr:es"}, {"LANG", "de_DE.UTF-8"}}, Language::German},
        {"", {{"LANGUAGE", ""}, {"LANG", "de_DE.UTF-8"}}, Language::German},
        {"", {{"LANGUAGE", "::"}, {"LANG", "de_DE.UTF-8"}}, Language::German},
        // The setting overrides the system; "system" follows it; an unknown one is English.
        {"de", {{"LANGUAGE", "en"}, {"LANG", "en_US.UTF-8"}}, Language::German},
        {"en", {{"LANG", "de_DE.UTF-8"}}, Language::English},
        {"C", {{"LANG", "de_DE.UTF-8"}}, Language::Source},
        {"system", {{"LANG", "de_DE.UTF-8"}}, Language::German},
        {"fr", {{"LANG", "de_DE.UTF-8"}}, Language::English},
    };
    for (const Case& c : cases) {
        const auto environment = [&c](const char* name) -> const char* {
            const auto it = c.environment.find(name);
            return it == c.environment.end() ? nullptr : it->second.c_str();
        };
        std::string described = std::string("setting \"") + c.setting + "\"";
        for (const auto& [name, value] : c.environment)
            described += " " + name + "=" + value;
        EXPECT_EQ(ChooseLanguage(c.setting, environment), c.expected) << described;
    }
}

}  // namespace
}  // namespace tesra
