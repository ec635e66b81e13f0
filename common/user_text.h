#pragma once
// Texts of the core that the user reads in a window (captions, headings, messages) are
// written in the program's own words and marked with QT_TRANSLATE_NOOP("Core", "...") where
// they are written. The marker changes nothing here; it lets Qt's lupdate collect them into
// the catalogues (i18n/*.ts). Two ways to the user's language:
// - a fixed text the window shows as it is: the window translates it (CoreText in
//   app/uLanguage.h), so the core's value stays the same for every other use;
// - a text the core puts together for a window only (a caption with a number, a message):
//   the core translates the marked pieces as it composes, with UserText.
// Texts other programs read (clipboard texts, the files) are never marked and never translated.
#include <initializer_list>
#include <string>

// The same definition as Qt's own, so a window unit may include both.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace tesra {

// The one context of all core texts in the catalogues.
inline constexpr const char* kCoreTextContext = "Core";

// Turns a marked core text into the user's language; installed by the windows.
using TextTranslator = std::string (*)(const char* text);

// Installs the translator; null restores the texts as written.
void SetTextTranslator(TextTranslator translator);

// The marked text `text` in the user's language (as written while no translator is set).
std::string UserText(const char* text);

// `text` with "%1", "%2", ... replaced by the values in order: for texts whose numbers or names
// stand inside ("Delete line # %1?"), where another language puts them elsewhere.
std::string FillIn(std::string text, std::initializer_list<std::string> values);

}  // namespace tesra
