#pragma once
// Which language the program speaks: the user's setting, else the system's (as the
// environment names it), else English.
#include <functional>
#include <string>

namespace tesra {

enum class Language {
    Source,   // the texts as written in the program, no catalogue ("C" or "POSIX")
    English,
    German,
};

// Reads an environment variable; null when it is not set.
using EnvironmentReader = std::function<const char*(const char* name)>;

// The language for a setting ("de", "en", "C"; empty or "system" follow the system) and the
// system's variables LANGUAGE (a colon-separated list of preferences), LC_ALL, LC_MESSAGES and
// LANG, in that order. A language other than German or English gives English.
Language ChooseLanguage(const std::string& setting, const EnvironmentReader& environment);

// The catalogue's name part: "de", "en"; empty for the source texts.
const char* LanguageCode(Language language);

}  // namespace tesra
