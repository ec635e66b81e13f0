// The command line: what each line answers, on which stream, with which exit status, and
// what it leaves for the windows.
#include "app/uCommandLine.h"

#include <QCommandLineParser>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tesra {
namespace {

// A stand-in for a window-less mode: says what it was given, and fails when told to.
int echoMode(const QCommandLineParser& parsed, std::ostream& out, std::ostream&)
{
    out << "echo " << parsed.positionalArguments().join(',').toStdString();
    if (parsed.isSet("loud"))
        out << " loud";
    return parsed.positionalArguments().contains("fail") ? 1 : 0;
}

QList<WindowlessMode> fakeModes()
{
    return {
        {QCommandLineOption("echo", "Echoes."), {QCommandLineOption("loud", "Louder.")}, echoMode},
        {QCommandLineOption("other", "Another mode.", "VALUE"), {}, echoMode},
    };
}

struct Answer {
    CommandLine line;
    std::string out, err;
};

Answer read(const QStringList& args)
{
    std::ostringstream out, err;
    Answer a;
    a.line = ReadCommandLine(QStringList{"tesra"} + args, out, err, fakeModes());
    a.out = out.str();
    a.err = err.str();
    return a;
}

TEST(CommandLine, EachLineAnswersOnItsStreamWithItsStatus)
{
    struct Case {
        QStringList args;
        bool finished;
        int exitCode;
        const char* outHas;  // "" : nothing on standard output
        const char* errHas;  // "" : nothing on standard error
    };
    const Case cases[] = {
        {{"--help"}, true, 0, "[FILE...]", ""},
        {{"-h"}, true, 0, "--echo", ""},
        {{"--version"}, true, 0, "Tesra 2.4.2.1\n", ""},
        {{"--bogus"}, true, kUsageError, "", "Unknown option 'bogus'"},
        {{"--other"}, true, kUsageError, "", "Missing value after '--other'"},
        {{"--echo", "a.tif", "b.tif"}, true, 0, "echo a.tif,b.tif", ""},
        {{"--echo", "--loud", "a.tif"}, true, 0, "echo a.tif loud", ""},
        {{"--echo", "fail"}, true, 1, "echo fail", ""},
        {{"--loud", "a.tif"}, true, kUsageError, "", "--loud goes only with --echo"},
        {{"--echo", "--other", "x"}, true, kUsageError, "", "cannot be used together"},
        {{}, false, 0, "", ""},
        {{"a.tif"}, false, 0, "", ""},
        {{"a.tif", "b.tif"}, false, 0, "", "opening a.tif only"},
        // The toolkit's own options are the window's, with or without their value attached.
        {{"-style", "fusion", "-reverse", "--platform=xcb", "a.tif"}, false, 0, "", ""},
        {{"--echo", "-style=fusion", "a.tif"}, true, 0, "echo a.tif", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Answer a = read(c.args);
        EXPECT_EQ(a.line.finished, c.finished);
        EXPECT_EQ(a.line.exitCode, c.exitCode);
        if (*c.outHas) {
            EXPECT_NE(a.out.find(c.outHas), std::string::npos) << a.out;
        } else {
            EXPECT_EQ(a.out, "");
        }
        if (*c.errHas) {
            EXPECT_NE(a.err.find(c.errHas), std::string::npos) << a.err;
        } else {
            EXPECT_EQ(a.err, "");
        }
        if (c.exitCode == kUsageError) {
            EXPECT_NE(a.err.find("tesra --help"), std::string::npos) << a.err;
        }
    }
}

TEST(CommandLine, NamedImagesAreLeftForTheWindowInTheirOrder)
{
    EXPECT_EQ(read({"a.tif", "-"}).line.files, (QStringList{"a.tif", "-"}));
    EXPECT_EQ(read({"--", "--looks-like-an-option.tif"}).line.files, QStringList{"--looks-like-an-option.tif"});
    EXPECT_EQ(read({"-style", "fusion", "a.tif", "--", "-style"}).line.files, (QStringList{"a.tif", "-style"}));
}

}  // namespace
}  // namespace tesra
