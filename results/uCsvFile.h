#pragma once
// Saving a CSV file from a window: the file dialog through the program's seam, then the text
// written safely (the old file stays whole until the new one is complete).
#include <QString>

#include <string>

class QWidget;

namespace tesra {

// Asks where to save; the chosen name ends in ".csv" (added when the user typed none), empty
// when the user cancelled. proposed is the name the dialog starts with.
QString AskCsvSaveName(QWidget* parent, const QString& caption, const QString& proposed);

// Writes text as the whole file. A failure is shown in a message box with the caption and
// returns false.
bool WriteCsvFile(QWidget* parent, const QString& path, const std::string& text, const QString& caption);

}  // namespace tesra
