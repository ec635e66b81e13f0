#pragma once
// The grey-value window: grey profile of a line, histogram of the image, segment lengths.
// The analyses, their plots, texts and read-outs are the core's (grey_analysis, grey_plot,
// grey_texts); this window shows them and puts the texts on the clipboard.
#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "app/document/measuring_document.h"
#include "analysis/grey_analysis.h"
#include "analysis/grey_plot.h"
#include "analysis/grey_texts.h"
#include "common/clipboard_text.h"
#include "common/number_format.h"

class QEvent;
class QFrame;
class QLabel;
class QResizeEvent;
class QProgressBar;
class QTableWidget;
class QToolButton;

namespace tesra {

class TfGrau : public QWidget {
    Q_OBJECT
    // The help context of what is shown: 3130 for the window, 3131 profile, 3132 histogram,
    // 3133 segment lengths. The help window opens the topic of the active window's number.
    Q_PROPERTY(int helpContext READ helpContext NOTIFY helpContextChanged)
public:
    // Shows the grey values of the document's image along its lines.
    explicit TfGrau(MeasuringDocument& document, QWidget* parent = nullptr);
    ~TfGrau() override;

    // "Analys": the grey profile of line lineNumber on the plot, its text on the clipboard.
    // A line outside the measurement changes only the caption; the old plot stays.
    void ShowProfile(int lineNumber);
    // "Histogram": counts the image's grey values (the window keeps repainting and shows
    // the progress meanwhile, user input waits) and shows the bars. Needs an image.
    void ShowHistogram();
    // "Interception lengths": the segment lengths of line lineNumber in the two grids. A
    // line outside the measurement or with fewer than two intercepts keeps the old content.
    void ShowSegments(int lineNumber);
    // Opening an image collapses the window and forgets its view (no view, no cursor).
    void Collapse();

    // The two Copy buttons.
    void bCopyHistClick();
    void bCopySegClick();
    // The mouse moved over the plot to column x: cursor line and read-out panel follow.
    void ImageMouseMove(int x);

    int helpContext() const { return m_helpContext; }
    // 0 nothing shown, 1 profile, 2 histogram (the segment view keeps the mode it found).
    int ViewMode() const { return m_readout.viewMode(); }
    int CursorX() const { return m_readout.cursorX(); }
    int LineNumber() const { return m_lineNumber; }
    int ProfileLine() const { return m_profileLine; }
    // The plot surface as shown (true colour, drawn 1:1).
    const QImage& plotImage() const { return m_plotImage; }

    // Where the texts' numbers, date and time come from. Without a locale set, the result
    // sheet's is used (or the system's when there is no sheet); without a date source the
    // current local time in the system locale's short date and long time form.
    void setNumberLocale(const NumberLocale& locale) { m_locale = locale; }
    void setDateTimeSource(std::function<std::string()> source) { m_dateTime = std::move(source); }
    // The image the analyses read; nullptr (the default) reads the image window's.
    void setImage(const TPixelGraphic* image) { m_image = image; }

signals:
    void helpContextChanged(int context);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class PlotView;
    friend class PlotView;

    void setHelpContext(int context);
    void setCaption(const std::string& caption);
    void setClientSize(int width, int height);
    void setOuterSize(int width, int height);
    void placeControls();
    void bringToFront();
    void showPlot(const GreyViewLayout& layout);
    void syncPlotColumn(int x);
    const TPixelGraphic* currentImage() const;
    NumberLocale numberLocale() const;
    GreyTextHeader textHeader() const;

    QFrame* m_tools = nullptr;
    QToolButton* bCopyHist = nullptr;
    QToolButton* bCopySeg = nullptr;
    QLabel* Panel = nullptr;
    PlotView* Image = nullptr;
    QProgressBar* Progress = nullptr;
    QTableWidget* tSeg = nullptr;
    QTableWidget* tSum = nullptr;

    GreyReadout m_readout;
    QImage m_plotImage;
    GreyHistogram m_histogram;
    int m_lineNumber = 0;
    int m_profileLine = 0;
    int m_helpContext = hcGreyWindow;
    bool m_counting = false;
    bool m_segmentView = false;

    MeasuringDocument& m_doc;
    std::optional<NumberLocale> m_locale;
    std::function<std::string()> m_dateTime;
    const TPixelGraphic* m_image = nullptr;
};

// The program's grey-value window, or nullptr when none exists.
TfGrau* fGrau();

}  // namespace tesra
