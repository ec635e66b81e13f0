#pragma once
// The command line: --help, --version, the images to open, and the modes that answer on
// standard output without opening a window.
#include <QCommandLineOption>
#include <QList>
#include <QStringList>

#include <iosfwd>

class QCommandLineParser;

namespace tesra {

// A mode that runs without any window and ends the program with its result. `option` selects
// it (with or without a value); `ownOptions` are read only by this mode and refused without
// it. `run` gets the parsed line (its positional arguments are the files named) and writes
// to `out`/`err`; its result is the program's exit status.
struct WindowlessMode {
    QCommandLineOption option;
    QList<QCommandLineOption> ownOptions;
    int (*run)(const QCommandLineParser& parsed, std::ostream& out, std::ostream& err);
};

// Every window-less mode, in the order the help lists them.
QList<WindowlessMode> WindowlessModes();

// What the command line leaves for the windows to do.
struct CommandLine {
    // Answered already (help, version, a window-less mode, or an error): end with exitCode.
    bool finished = false;
    int exitCode = 0;
    // Images named on the line, to open in the main window.
    QStringList files;
};

// The exit status of a command line that cannot be understood.
inline constexpr int kUsageError = 2;

// Reads `arguments` (the program's own name first) and answers everything that needs no
// window here: help and version on `out`, one of `modes` on `out`/`err`, a misuse on `err`
// with kUsageError. Needs a QCoreApplication (no display), for the help's usage line.
CommandLine ReadCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err,
                            const QList<WindowlessMode>& modes = WindowlessModes());

}  // namespace tesra
