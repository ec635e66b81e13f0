#include "app/uLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

#include <cstdlib>
#include <memory>

#include "common/user_text.h"

namespace tesra {
namespace {

// Qt's own texts that the program shows (the standard buttons of message boxes, the frame of
// --help). Qt's catalogues translate them where the system has them; ours hold them too, so a
// system without them still shows one language.
[[maybe_unused]] constexpr const char* kQtTexts[] = {
    QT_TRANSLATE_NOOP("QPlatformTheme", "OK"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Cancel"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "&Yes"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "&No"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Save"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Discard"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Usage: %1"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "[options]"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Options:"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Arguments:"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown option '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown options: %1."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Missing value after '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unexpected value after '%1'."),
};

struct Loaded {
    Language language = Language::Source;
    std::unique_ptr<QTranslator> own;
    std::unique_ptr<QTranslator> qt;
};

Loaded& loaded()
{
    static Loaded state;
    return state;
}

std::string translateCoreText(const char* text) { return CoreText(text).toStdString(); }

void remove(std::unique_ptr<QTranslator>& translator)
{
    if (!translator)
        return;
    QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

}  // namespace

Language InstallLanguage()
{
    const QString setting = QSettings().value(kLanguageSettingKey).toString().trimmed();
    const Language language =
        ChooseLanguage(setting.toStdString(), [](const char* name) { return std::getenv(name); });
    LoadLanguage(language);
    return language;
}

void LoadLanguage(Language language)
{
    Loaded& state = loaded();
    remove(state.own);
    remove(state.qt);
    state.language = language;
    SetTextTranslator(language == Language::Source ? nullptr : &translateCoreText);
    if (language == Language::Source)
        return;
    const QString code = QString::fromLatin1(LanguageCode(language));
    auto own = std::make_unique<QTranslator>();
    if (own->load(QStringLiteral(":/i18n/tesra_") + code)) {
        QCoreApplication::installTranslator(own.get());
        state.own = std::move(own);
    }
    // Qt's own texts (file dialogs, standard buttons), where the system has them.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        state.qt = std::move(qt);
    }
}

Language CurrentLanguage() { return loaded().language; }

QString CoreText(const char* text) { return QCoreApplication::translate(kCoreTextContext, text); }

QString CoreText(const std::string& text) { return CoreText(text.c_str()); }

}  // namespace tesra
