// Which language the program chooses from the user's setting and the system's variables.
#include "common/language.h"
#include "common/user_text.h"

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

// Numbers and names go where the sentence of each language puts them.
TEST(FillIn, PutsEachValueInItsPlace)
{
    EXPECT_EQ(FillIn("Delete line # %1?", {"3"}), "Delete line # 3?");
    EXPECT_EQ(FillIn("Linie Nr. %1 löschen?", {"3"}), "Linie Nr. 3 löschen?");
    EXPECT_EQ(FillIn("nicht als %1-Datei (%2) %1", {"PBM", "24 bit"}), "nicht als PBM-Datei (24 bit) PBM");
    EXPECT_EQ(FillIn("%2 before %1", {"a", "b"}), "b before a");
    // A value holding a marker stays as it is; markers without a value and lone signs too.
    EXPECT_EQ(FillIn("%1 and %2", {"%2", "x"}), "%2 and x");
    EXPECT_EQ(FillIn("100% of %3 at %", {"a"}), "100% of %3 at %");
}

}  // namespace
}  // namespace tesra
