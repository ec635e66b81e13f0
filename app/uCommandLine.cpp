#include "app/uCommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <ostream>
#include <string>

#include "app/fields_mode.h"
#include "app/propose_command.h"
#include "app/uStartup.h"
#include "widgets/uWindowSupport.h"

namespace tesra {
namespace {

// The command line's texts, in the catalogues under "CommandLine".
struct CommandLineText {
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

std::ostream& operator<<(std::ostream& stream, const QString& text)
{
    return stream << text.toStdString();
}

// A misuse of the line: what is wrong, and where to read how it goes.
int usageError(std::ostream& err, const QString& message)
{
    err << kProgramName << ": " << message << "\n"
        << CommandLineText::tr("Try '%1 --help' for more information.").arg(QString::fromLatin1(kProgramCommand)) << "\n";
    return kUsageError;
}

QString dashed(const QCommandLineOption& option)
{
    return "--" + option.names().constLast();
}

// The options the display's toolkit reads for itself when the window starts (the window's
// application takes them off the line before the program sees it): -style fusion, -platform
// xcb, -reverse and the like. They are let through here rather than refused as unknown.
QStringList withoutToolkitOptions(const QStringList& arguments)
{
    static const QStringList withValue = {"style",    "stylesheet",      "platform", "platformpluginpath",
                                          "platformtheme", "plugin",     "qwindowgeometry", "geometry",
                                          "qwindowtitle",  "title",      "qwindowicon", "icon",
                                          "display",       "session",    "fontengine"};
    static const QStringList flags = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--") {
            kept << arguments.mid(i);
            break;
        }
        if (i == 0 || !argument.startsWith('-')) {
            kept << argument;
            continue;
        }
        QString name = argument.mid(argument.startsWith("--") ? 2 : 1);
        const bool valueAttached = name.contains('=');
        name = name.section('=', 0, 0);
        if (withValue.contains(name)) {
            if (!valueAttached)
                ++i;  // the value follows
            continue;
        }
        if (flags.contains(name) && !valueAttached)
            continue;
        kept << argument;
    }
    return kept;
}

// --propose IMAGE [--lines SET.lin] [--bright]: the proposed crossings as CSV.
int proposeMode(const QCommandLineParser& parsed, std::ostream& out, std::ostream& err)
{
    ProposeRequest request;
    request.image = fsName(parsed.value("propose"));
    request.lineSet = fsName(parsed.value("lines"));
    request.brightBoundaries = parsed.isSet("bright");
    return RunProposeCommand(request, out, err);
}

// --fields FILE...: the files' stored measurements as one specimen table.
int fieldsMode(const QCommandLineParser& parsed, std::ostream& out, std::ostream& err)
{
    const QStringList arguments = parsed.positionalArguments();
    if (arguments.isEmpty())
        return usageError(err, CommandLineText::tr("--fields needs at least one image file."));
    std::vector<std::string> files;
    for (const QString& argument : arguments)
        files.push_back(fsName(argument));
    return PrintFields(files, out, err);
}

}  // namespace

QList<WindowlessMode> WindowlessModes()
{
    // A mode that needs no window is one entry here: its switch, the options only it reads,
    // and its function (in the unit of the area it belongs to).
    return {
        {QCommandLineOption("propose",
                            CommandLineText::tr("Prints the proposed boundary crossings along the test lines of IMAGE as CSV "
                               "(line,x,y,type); the lines stored in the image, or those of --lines."),
                            CommandLineText::tr("IMAGE")),
         {QCommandLineOption("lines", CommandLineText::tr("Takes the test lines of --propose from a line-set file."), CommandLineText::tr("SET.lin")),
          QCommandLineOption("bright", CommandLineText::tr("--propose looks for boundaries brighter than the grains."))},
         proposeMode},
        {QCommandLineOption("fields",
                            CommandLineText::tr("Prints the measurements stored in the image files FILE... as one specimen "
                               "table (CSV) without opening a window.")),
         {},
         fieldsMode},
    };
}

CommandLine ReadCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err,
                            const QList<WindowlessMode>& modes)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        CommandLineText::tr("Measures the mean grain size of micrographs by the linear-intercept method."));
    // Our own help and version switches: Qt's would add --help-all, which lists options of
    // the display's that this line does not take.
    const QCommandLineOption help({"h", "?", "help"}, CommandLineText::tr("Displays this help."));
    const QCommandLineOption version({"v", "version"}, CommandLineText::tr("Displays the program's version."));
    parser.addOption(help);
    parser.addOption(version);
    for (const WindowlessMode& mode : modes) {
        parser.addOption(mode.option);
        for (const QCommandLineOption& own : mode.ownOptions)
            parser.addOption(own);
    }
    parser.addPositionalArgument(CommandLineText::tr("FILE"), CommandLineText::tr("Image to open (Tesra shows one image at a time)."),
                                 CommandLineText::tr("[FILE...]"));

    CommandLine line;
    line.finished = true;
    if (!parser.parse(withoutToolkitOptions(arguments))) {
        line.exitCode = usageError(err, parser.errorText());
        return line;
    }
    if (parser.isSet(help)) {
        out << parser.helpText();
        return line;
    }
    if (parser.isSet(version)) {
        out << kProgramName << " " << kProgramVersion << "\n";
        return line;
    }

    const WindowlessMode* chosen = nullptr;
    for (const WindowlessMode& mode : modes) {
        if (!parser.isSet(mode.option))
            continue;
        if (chosen) {
            line.exitCode = usageError(
                err, CommandLineText::tr("%1 and %2 cannot be used together.").arg(dashed(chosen->option), dashed(mode.option)));
            return line;
        }
        chosen = &mode;
    }
    for (const WindowlessMode& mode : modes) {
        if (&mode == chosen)
            continue;
        for (const QCommandLineOption& own : mode.ownOptions) {
            const bool sharedWithChosen =
                chosen && std::any_of(chosen->ownOptions.begin(), chosen->ownOptions.end(),
                                      [&own](const QCommandLineOption& o) { return o.names() == own.names(); });
            if (parser.isSet(own) && !sharedWithChosen) {
                line.exitCode = usageError(err, CommandLineText::tr("%1 goes only with %2.").arg(dashed(own), dashed(mode.option)));
                return line;
            }
        }
    }
    if (chosen) {
        line.exitCode = chosen->run(parser, out, err);
        return line;
    }

    line.finished = false;
    line.files = parser.positionalArguments();
    if (line.files.size() > 1)
        err << kProgramName << ": "
            << CommandLineText::tr("Tesra shows one image at a time; opening %1 only.").arg(line.files.constFirst()) << "\n";
    return line;
}

}  // namespace tesra
