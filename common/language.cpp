#include "common/language.h"

#include <optional>
#include <string_view>

namespace tesra {
namespace {

// One locale name ("de_DE.UTF-8", "en", "C"); nullopt for a language we have no catalogue
// of, so that LANGUAGE's next preference is tried.
std::optional<Language> languageOfName(std::string_view name)
{
    if (name == "C" || name == "POSIX" || name.starts_with("C.") || name.starts_with("POSIX."))
        return Language::Source;
    const std::string_view code = name.substr(0, name.find_first_of("_.@"));
    if (code == "de")
        return Language::German;
    if (code == "en")
        return Language::English;
    return std::nullopt;
}

}  // namespace

Language ChooseLanguage(const std::string& setting, const EnvironmentReader& environment)
{
    if (!setting.empty() && setting != "system")
        return languageOfName(setting).value_or(Language::English);

    // LANGUAGE lists preferences in order ("fr:de:en"); the first we know wins.
    if (const char* list = environment("LANGUAGE"); list && *list) {
        std::string_view rest(list);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            if (const auto language = languageOfName(rest.substr(0, colon)))
                return *language;
            if (colon == std::string_view::npos)
                break;
            rest.remove_prefix(colon + 1);
        }
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = environment(variable);
        if (value && *value)
            return languageOfName(value).value_or(Language::English);
    }
    return Language::English;
}

const char* LanguageCode(Language language)
{
    switch (language) {
    case Language::English: return "en";
    case Language::German: return "de";
    case Language::Source: break;
    }
    return "";
}

}  // namespace tesra
