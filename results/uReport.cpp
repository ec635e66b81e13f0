#include "results/uReport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

#include "app/document/measuring_document.h"
#include "app/storage/measurement_file.h"
#include "imaging/formats/image_format.h"
#include "imaging/formats/safe_save.h"
#include "results/calibration_model.h"
#include "results/result_sheet.h"
#include "results/fields_texts.h"
#include "view/image_raster.h"
#include "view/overlay.h"
#include "view/uImage.h"
#include "view/uScaleBar.h"
#include "widgets/uWindowSupport.h"

namespace tesra {

namespace {

// The report's texts, in the catalogues under "Report".
struct ReportText {
    Q_DECLARE_TR_FUNCTIONS(Report)
};

// The photo is drawn at most this many pixels wide: plenty for a printed page, and a 6000-
// pixel micrograph does not bloat the file.
constexpr int kPhotoWidth = 1800;

// One field read back from its file as "Open image" reads it.
struct FieldPage {
    QImage photo;
    std::vector<std::vector<std::string>> sheetRows;  // titles first, then lines, then the sums
    std::string calibration;                         // the calibration panel's caption
    std::string problem;
};

FieldPage ReadFieldPage(const FieldNumbers& field, const NumberLocale& locale)
{
    FieldPage page;
    TPixelGraphic image;
    MeasuringDocument document(locale);
    EditState state;
    try {
        loadImage(field.name, image);
        document.resetForImage(image.Width(), image.Height());
        ReadTrailer(field.name, document, state);
    } catch (const std::exception& e) {
        page.problem = e.what();
        return page;
    }
    const Measurement& measurement = document.measurement();
    const CalibrationModel& calibration = document.calibrationTexts();
    ResultSheet sheet(locale);
    sheet.Recompute(measurement);
    page.calibration = calibration.kalCaption();
    if (!calibration.kalWarning())
        page.calibration += std::string(" ") + LengthUnitText(measurement.calibration.unit);

    QImage full(image.Width(), image.Height(), QImage::Format_RGB32);
    if (full.isNull()) {
        page.problem = "The image is too large for the report.";
        return page;
    }
    CopyScreenPixels(image, 0, 0, image.Width(), image.Height(), reinterpret_cast<std::uint32_t*>(full.bits()),
                     static_cast<std::size_t>(full.bytesPerLine() / 4));
    const int width = std::min(kPhotoWidth, image.Width());
    page.photo = width < image.Width() ? full.scaledToWidth(width, Qt::SmoothTransformation) : full;
    const double s = static_cast<double>(page.photo.width()) / image.Width();
    {
        QPainter painter(&page.photo);
        painter.scale(s, s);
        ReplayDisplayList(painter, BuildOverlay(measurement, 1, 0, true), QRect(0, 0, image.Width(), image.Height()));
    }
    if (!calibration.kalWarning()) {
        if (const auto bar = ChooseScaleBar(image.Width(), measurement.calibration.scale, measurement.calibration.unit)) {
            ScaleBar scaled = *bar;
            scaled.pixels = std::max(2, static_cast<int>(bar->pixels * s + 0.5));
            QPainter painter(&page.photo);
            PaintScaleBar(painter, scaled, page.photo.size());
        }
    }

    const std::vector<int> columns{2, 3, 4, 5, 6, 7, 8, 9, 10, 1};
    std::vector<std::string> titles;
    for (int c : columns)
        titles.push_back(sheet.cell(c, 0));
    page.sheetRows.push_back(titles);
    for (int r = 1; r <= measurement.lineCount(); ++r) {
        std::vector<std::string> row;
        for (int c : columns)
            row.push_back(sheet.cell(c, r));
        page.sheetRows.push_back(row);
    }
    // The sums stand under the same columns as the line values (as in the clipboard text).
    std::vector<std::string> sums{sheet.sumCell(0, 1)};
    for (int c = 1; c <= 8; ++c)
        sums.push_back(sheet.sumCell(c, 1));
    sums.push_back("");
    page.sheetRows.push_back(sums);
    return page;
}

// Lays text out on the pages, top to bottom, starting a new page when one is full.
class PageWriter {
public:
    PageWriter(QPdfWriter& writer, QPainter& painter) : m_writer(writer), m_painter(painter)
    {
        m_area = painter.viewport();
        m_y = 0;
    }

    int width() const { return m_area.width(); }
    int room() const { return m_area.height() - m_y; }
    void newPage()
    {
        m_writer.newPage();
        m_y = 0;
    }
    void need(int height)
    {
        if (m_y > 0 && height > room())
            newPage();
    }
    void heading(const QString& text, int points)
    {
        QFont font = m_painter.font();
        font.setPointSize(points);
        font.setBold(true);
        m_painter.setFont(font);
        const int h = m_painter.fontMetrics().height() * 3 / 2;
        need(h);
        m_painter.drawText(QRect(0, m_y, width(), h), Qt::AlignLeft | Qt::AlignVCenter, text);
        m_y += h;
        body();
    }
    void body()
    {
        QFont font = m_painter.font();
        font.setPointSize(8);
        font.setBold(false);
        m_painter.setFont(font);
    }
    void line(const QString& text)
    {
        const int h = m_painter.fontMetrics().height();
        need(h);
        m_painter.drawText(QRect(0, m_y, width(), h), Qt::AlignLeft | Qt::AlignVCenter, text);
        m_y += h;
    }
    void gap() { m_y += m_painter.fontMetrics().height() / 2; }
    // A table: first row bold titles; columns share the width by their widest text; the first
    // column left-aligned, the others right-aligned.
    void table(const std::vector<std::vector<std::string>>& rows)
    {
        if (rows.empty())
            return;
        const QFontMetrics metrics = m_painter.fontMetrics();
        const std::size_t columns = rows[0].size();
        std::vector<int> widths(columns, 0);
        for (const auto& row : rows)
            for (std::size_t c = 0; c < columns && c < row.size(); ++c)
                widths[c] = std::max(widths[c], metrics.horizontalAdvance(qs(row[c])) + metrics.averageCharWidth() * 2);
        int total = 0;
        for (int w : widths)
            total += w;
        const double stretch = total > 0 ? std::min(3.0, static_cast<double>(width()) / total) : 1.0;
        const int h = metrics.height() + 2;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (r > 0 && h > room()) {
                newPage();
                drawRow(rows[0], widths, stretch, h, true);
            }
            drawRow(rows[r], widths, stretch, h, r == 0);
        }
        gap();
    }
    void image(const QImage& picture, int maxHeight)
    {
        if (picture.isNull())
            return;
        QSize size = picture.size().scaled(width(), maxHeight, Qt::KeepAspectRatio);
        need(size.height());
        m_painter.drawImage(QRect(QPoint(0, m_y), size), picture);
        m_y += size.height();
        gap();
    }
    int pageHeight() const { return m_area.height(); }

private:
    void drawRow(const std::vector<std::string>& row, const std::vector<int>& widths, double stretch, int h, bool bold)
    {
        QFont font = m_painter.font();
        font.setBold(bold);
        m_painter.setFont(font);
        int x = 0;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            const int w = static_cast<int>(widths[c] * stretch);
            const Qt::Alignment align = (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
            if (c < row.size())
                m_painter.drawText(QRect(x, m_y, w - m_painter.fontMetrics().averageCharWidth(), h), align, qs(row[c]));
            x += w;
        }
        m_painter.setPen(QColor(200, 200, 200));
        m_painter.drawLine(0, m_y + h - 1, x, m_y + h - 1);
        m_painter.setPen(Qt::black);
        m_y += h;
        font.setBold(false);
        m_painter.setFont(font);
    }

    QPdfWriter& m_writer;
    QPainter& m_painter;
    QRect m_area;
    int m_y = 0;
};

}  // namespace

bool WriteSpecimenReport(const QString& pdfFile, const std::vector<FieldNumbers>& fields, const NumberLocale& locale,
                         QString* error)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(ReportText::tr("Tesra specimen report"));
        writer.setCreator(QStringLiteral("Tesra"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                         QPageLayout::Millimeter));
        QPainter painter(&writer);
        PageWriter page(writer, painter);

        // Summary page.
        const SpecimenSummary summary = SummariseSpecimen(fields);
        page.heading(ReportText::tr("Tesra specimen report"), 16);
        page.line(ReportText::tr("Date: %1").arg(QDateTime::currentDateTime().toString(Qt::ISODate)));
        page.gap();
        std::vector<std::vector<std::string>> table{{"#"}};
        for (const std::string& title : SpecimenColumnTitles(summary.unit))
            table[0].push_back(title);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::vector<std::string> row{std::to_string(i + 1)};
            for (std::string& cell : SpecimenRowTexts(fields[i], locale))
                row.push_back(std::move(cell));
            table.push_back(std::move(row));
        }
        page.table(table);
        std::vector<std::vector<std::string>> lines{{ReportText::tr("Specimen").toStdString(), ""}};
        for (const SummaryLine& line : SpecimenSummaryTexts(summary, locale))
            lines.push_back({line.title, line.value});
        page.table(lines);
        page.line(ReportText::tr("95 % CI = t(0.975, n − 1) · s / √n over the fields' ℓ̄; % RA = 100 · CI / mean; "
                     "G = −6.643856 · log10(ℓ̄ in mm) − 3.288."));
        page.gap();
        page.heading(ReportText::tr("Files"), 10);
        for (std::size_t i = 0; i < fields.size(); ++i)
            page.line(QString("%1  %2").arg(i + 1).arg(qtFileName(fields[i].name)));

        // A page per field.
        for (std::size_t i = 0; i < fields.size(); ++i) {
            page.newPage();
            const FieldNumbers& field = fields[i];
            page.heading(ReportText::tr("Field %1: %2")
                             .arg(i + 1)
                             .arg(QFileInfo(qtFileName(field.name)).fileName()),
                         12);
            const FieldPage fieldPage = ReadFieldPage(field, locale);
            if (!fieldPage.problem.empty()) {
                page.line(ReportText::tr("The field's image cannot be shown: %1").arg(qs(fieldPage.problem)));
                continue;
            }
            page.line(ReportText::tr("Calibration: %1").arg(qs(fieldPage.calibration)));
            const std::vector<std::string> cells = SpecimenRowTexts(field, locale);
            page.line(ReportText::tr("ℓ̄: %1 px, %2;  G: %3").arg(qs(cells[4]), qs(cells[5].empty() ? "–" : cells[5]),
                                                       qs(cells[6].empty() ? "–" : cells[6])));
            page.gap();
            page.image(fieldPage.photo, page.pageHeight() / 2);
            page.table(fieldPage.sheetRows);
        }
    }
    buffer.close();
    try {
        const QByteArray& bytes = buffer.data();
        safeSave(fsName(pdfFile),
                 [&bytes](std::ostream& out) { out.write(bytes.constData(), bytes.size()); });
    } catch (const std::exception& e) {
        if (error)
            *error = qs(e.what());
        return false;
    }
    return true;
}

}  // namespace tesra
