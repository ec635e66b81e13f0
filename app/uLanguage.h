#pragma once
// The program's language: the catalogue built into the program for the user's language
// (see common/language.h for the choice), and the core's marked texts translated for
// the windows.
#include <QString>

#include <string>

#include "common/language.h"

class QCoreApplication;

namespace tesra {

// The key of the user's setting that overrides the system's language ("de", "en", "C",
// "system"), in the program's settings.
inline constexpr const char* kLanguageSettingKey = "language";

// Chooses the language from the setting and the environment and loads it; returns it.
Language InstallLanguage();

// Loads the catalogue of `language` (and Qt's own texts where the system has them), replacing
// the one loaded before; Language::Source removes it. Windows made afterwards speak it.
void LoadLanguage(Language language);

// The language loaded last.
Language CurrentLanguage();

// A core text marked with QT_TRANSLATE_NOOP("Core", ...), in the user's language.
QString CoreText(const char* text);
QString CoreText(const std::string& text);

}  // namespace tesra
