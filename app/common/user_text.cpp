#include "app/common/user_text.h"

#include <atomic>

namespace tesra {
namespace {

// Set once at start-up (and by tests); read from any thread that builds a message.
std::atomic<TextTranslator> g_translator{nullptr};

}  // namespace

void SetTextTranslator(TextTranslator translator) { g_translator.store(translator); }

std::string UserText(const char* text)
{
    const TextTranslator translator = g_translator.load();
    return translator ? translator(text) : std::string(text);
}

std::string FillIn(std::string text, const std::string& value)
{
    const std::size_t at = text.find("%1");
    if (at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

}  // namespace tesra
