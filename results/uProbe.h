#pragma once
// The specimen window `TfProbe`: the fields (images) measured of one specimen, their mean
// lineal intercepts and the specimen's mean with its t-based confidence, relative accuracy
// and G. The fields are kept in a CSV file the user chooses, rewritten at every change.
#include <QString>
#include <QWidget>

#include <vector>

#include "results/fields_statistics.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace tesra {

class TfProbe : public QWidget {
    Q_OBJECT
public:
    explicit TfProbe(QWidget* parent = nullptr);
    ~TfProbe() override;

    const std::vector<FieldNumbers>& fields() const { return m_fields; }
    // The CSV file the specimen is kept in (empty until the user chose one).
    const QString& specimenFile() const { return m_file; }
    bool addOnSave() const;

    // "Add field": the open image's figures as a field; a field of the same file is replaced.
    void bAddFieldClick();
    // The image was saved under fileName: with "add on every save" its field is added.
    void ImageSaved();
    void bRemoveFieldClick();
    void bOpenClick();
    void bSaveAsClick();
    void bReportClick();

    // Adds (or replaces) a field and keeps the file.
    void addField(FieldNumbers field);
    // Reads a specimen file; false (with a message shown) when it cannot be read.
    bool openSpecimen(const QString& fileName);

private:
    void refresh();
    bool store();

    std::vector<FieldNumbers> m_fields;
    QString m_file;
    QTableWidget* m_table = nullptr;
    QLabel* m_summary = nullptr;
    QLabel* m_fileLabel = nullptr;
    QCheckBox* m_addOnSave = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_report = nullptr;
};

// The specimen window, or nullptr before the user first opened it.
TfProbe* fProbe();
// Opens the specimen window (created on first use) inside the main window.
TfProbe* ShowProbe();

// The open image's figures as a field: its file, the measurement's statistics, the
// calibration (when the dialog confirmed one) and its unit.
FieldNumbers CurrentField();

}  // namespace tesra
