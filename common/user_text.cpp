#include "common/user_text.h"

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

std::string FillIn(std::string text, std::initializer_list<std::string> values)
{
    // One pass from the left, so a value that itself holds "%2" stays as it is.
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = text.find('%'); at != std::string::npos && at + 1 < text.size(); at = text.find('%', at + 1)) {
        const char digit = text[at + 1];
        const std::size_t index = static_cast<std::size_t>(digit - '1');
        if (digit < '1' || digit > '9' || index >= values.size())
            continue;
        out.append(text, from, at - from);
        out += values.begin()[index];
        from = at + 2;
        at = from - 1;
    }
    out.append(text, from, std::string::npos);
    return out;
}

}  // namespace tesra
