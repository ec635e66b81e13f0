#include "common/ansi_text.h"
#include "common/clipboard_text.h"
#include "common/decimal_input.h"

#include <gtest/gtest.h>

namespace tesra {
namespace {

TEST(DecimalInput, ReplacesTheFirstSeparatorAndConvertsStrictly)
{
    struct Case {
        const char* typed;
        const char* separator;
        bool ok;
        long double value;
        const char* shown;  // the field text afterwards
    };
    const Case cases[] = {
        {"25,5", ",", true, 25.5L, "25.5"},
        {"1.234,5", ",", false, 0, "1.234.5"},
        {"  12", ",", true, 12.0L, "  12"},
        {"12 ", ",", false, 0, "12 "},
        {"-3,5e2", ",", true, -350.0L, "-3.5e2"},
        {"+7", ",", true, 7.0L, "+7"},
        {"1E-3", ".", true, 0.001L, "1E-3"},
        {"abc", ",", false, 0, "abc"},
        {"", ",", false, 0, ""},
        {",5", ",", true, 0.5L, ".5"},
        {"5,", ",", true, 5.0L, "5."},
        {"1e", ".", false, 0, "1e"},
        {"1,2,3", ",", false, 0, "1.2,3"},
        {"25.5", ".", true, 25.5L, "25.5"},
        {"25.5", ",", true, 25.5L, "25.5"},
        {"0x10", ".", false, 0, "0x10"},
        {"inf", ".", false, 0, "inf"},
        {"1e99999", ".", false, 0, "1e99999"},
    };
    for (const auto& c : cases) {
        std::string text = c.typed;
        long double value = -42;
        EXPECT_EQ(ReadDecimal(text, c.separator, value), c.ok) << c.typed;
        EXPECT_EQ(text, c.shown) << c.typed;
        if (c.ok)
            EXPECT_EQ(value, c.value) << c.typed;
        else
            EXPECT_EQ(value, -42) << c.typed;
    }
}

TEST(AnsiText, Windows1252AndUtf8)
{
    EXPECT_EQ(Utf8ToAnsi("ä"), std::string(1, static_cast<char>(228)));
    EXPECT_EQ(Utf8ToAnsi("ø±µ"), std::string("\xF8\xB1\xB5"));
    EXPECT_EQ(Utf8ToAnsi("€"), std::string("\x80"));
    EXPECT_EQ(Utf8ToAnsi("Länge 5 µm"), std::string("L\xE4nge 5 \xB5m"));
    EXPECT_EQ(Utf8ToAnsi("Ω"), "?");             // no Windows-1252 form
    EXPECT_EQ(Utf8ToAnsi("a\xFF" "b"), "a?b");    // not UTF-8
    EXPECT_EQ(Utf8ToAnsi("\xE2\x82"), "??");      // cut short
    EXPECT_EQ(AnsiToUtf8("\xE4\xF6\xFC \xB5m"), "äöü µm");
    EXPECT_EQ(AnsiToUtf8("\x80\x9F"), "€Ÿ");
    // Every byte survives the way to UTF-8 and back.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(AnsiText, TextBlocks)
{
    const TextBlock block = MakeTextBlock("Kalibtiert");
    EXPECT_EQ(block[0], 10);
    EXPECT_EQ(block[1], 'K');
    EXPECT_EQ(block[10], 't');
    EXPECT_EQ(block[11], 0);
    EXPECT_TRUE(TextBlockIs(block.data(), "Kalibtiert"));
    EXPECT_FALSE(TextBlockIs(block.data(), "Kalibtier"));
    EXPECT_FALSE(TextBlockIs(block.data(), "Nicht Kalibtiert"));
    EXPECT_EQ(TextBlockText(block.data()), "Kalibtiert");

    // Bytes behind the text carry no meaning.
    TextBlock noisy = block;
    noisy[11] = 'x';
    noisy[255] = 0xFF;
    EXPECT_TRUE(TextBlockIs(noisy.data(), "Kalibtiert"));

    const std::string longText(300, 'a');
    const TextBlock cut = MakeTextBlock(longText);
    EXPECT_EQ(cut[0], 255);
    EXPECT_EQ(TextBlockText(cut.data()), std::string(255, 'a'));
    EXPECT_EQ(MakeTextBlock("")[0], 0);
}

TEST(ClipboardText, LinesEndInCrLfIncludingTheLast)
{
    ClipboardText text;
    text.AddLine("Tesra measurement 07.12.2026 10:00:00");
    text.AddLine("A\tä");
    text.AddLine("");
    EXPECT_EQ(text.Utf8(), "Tesra measurement 07.12.2026 10:00:00\r\nA\tä\r\n\r\n");
    EXPECT_EQ(text.Ansi(), "Tesra measurement 07.12.2026 10:00:00\r\nA\t\xE4\r\n\r\n");
    EXPECT_EQ(ClipboardText().Utf8(), "");
}

}  // namespace
}  // namespace tesra
