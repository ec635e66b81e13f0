#pragma once
// The four filter dialogs (brightness/contrast/gamma, sharpen, detail, contour): modal, with
// sliders bound to the core's dialog data and a live preview.
#include <QDialog>
#include <QImage>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "imaging/filters/filter_dialogs.h"
#include "imaging/pixel_graphic.h"

class QButtonGroup;
class QLabel;
class QProgressBar;
class QSlider;
class QWidget;

namespace tesra {

// Runs the brightness/contrast/gamma dialog with previewSource as its preview. parameters
// holds the start values and, on OK, the chosen ones (Cancel leaves them as they were).
bool RunBCGDialog(QWidget* parent, const TPixelGraphic& previewSource, BCGParameters& parameters);
// Runs the sharpen, detail or contour dialog, likewise.
bool RunConvDialog(QWidget* parent, ConvFilterKind kind, const TPixelGraphic* previewSource,
                   ConvParameters& parameters);

// Tests answer the filter dialogs through these instead of showing them; an empty function
// restores the real dialogs.
using BCGDialogHandler = std::function<bool(BCGParameters&)>;
using ConvDialogHandler = std::function<bool(ConvFilterKind, ConvParameters&)>;
void SetBCGDialogHandler(BCGDialogHandler handler);
void SetConvDialogHandler(ConvDialogHandler handler);

// What the dialogs share: the preview of the image scaled down, filtered on a worker thread
// with a progress bar below it, and OK and Cancel. A new setting while a preview is being
// computed stops that computation and starts one for the newest setting.
class TFilterPreviewDialog : public QDialog {
    Q_OBJECT
public:
    // source (may be null: no preview) must outlive the dialog.
    TFilterPreviewDialog(QWidget* parent, const TPixelGraphic* source);
    ~TFilterPreviewDialog() override;

    // The preview as last shown (null until the first one is ready), and whether one is
    // being computed.
    const QImage& previewImage() const { return m_previewImage; }
    bool previewBusy() const { return m_busy; }
    // How many previews were shown; tests wait for it to grow.
    int previewsShown() const { return m_shown; }

    // The numbers beside the sliders use this locale (by default the result sheet's).
    void setNumberLocale(const NumberLocale& locale);

protected:
    // The filter for the current setting, copied for the worker.
    virtual std::shared_ptr<TImageFilter> makeFilter() const = 0;
    // Shows the value texts beside the sliders.
    virtual void showValues() = 0;
    // A setting changed: a new preview is wanted.
    void requestPreview();
    // Adds the preview and the OK/Cancel row around the dialog's own controls.
    void finishLayout(QWidget* controls);
    // A slider row: caption, slider with range and position, value text, end labels.
    QSlider* addSliderRow(QWidget* controls, const FilterSliderData& data, int position, QLabel*& valueLabel);

    NumberLocale m_locale;

private:
    void launch();
    void previewReady(int generation, std::shared_ptr<const TPixelGraphic> scaled, std::shared_ptr<TPixelGraphic> result);

    const TPixelGraphic* m_source;
    std::shared_ptr<const TPixelGraphic> m_scaled;
    QLabel* m_preview = nullptr;
    QProgressBar* m_progress = nullptr;
    QImage m_previewImage;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    int m_generation = 0;
    bool m_busy = false;
    bool m_pending = false;
    int m_shown = 0;
};

// "Brightness, Contrast, Gamma Filter".
class TBCGFilterDialog : public TFilterPreviewDialog {
    Q_OBJECT
public:
    TBCGFilterDialog(QWidget* parent, const TPixelGraphic* source, const BCGParameters& parameters);

    // The setting as it stands; after Cancel the one the dialog opened with.
    const BCGParameters& parameters() const { return m_parameters; }
    // The filter configured from the setting.
    TBCGFilter filter() const { return MakeBCGFilter(m_parameters); }

    void reject() override;

protected:
    std::shared_ptr<TImageFilter> makeFilter() const override;
    void showValues() override;

private:
    BCGParameters m_parameters;
    BCGParameters m_opened;
    QLabel* m_brightnessValue = nullptr;
    QLabel* m_contrastValue = nullptr;
    QLabel* m_gammaValue = nullptr;
    QButtonGroup* m_applyOn = nullptr;
};

// "Sharpen", "Detail" or "Contour".
class TConvFilterDialog : public TFilterPreviewDialog {
    Q_OBJECT
public:
    TConvFilterDialog(QWidget* parent, ConvFilterKind kind, const TPixelGraphic* source,
                      const ConvParameters& parameters);

    ConvFilterKind kind() const { return m_kind; }
    const ConvParameters& parameters() const { return m_parameters; }
    TConvFilter filter() const { return MakeConvFilter(m_kind, m_parameters); }

    void reject() override;

protected:
    std::shared_ptr<TImageFilter> makeFilter() const override;
    void showValues() override;

private:
    ConvFilterKind m_kind;
    ConvParameters m_parameters;
    ConvParameters m_opened;
    QLabel* m_deviationValue = nullptr;
    QLabel* m_percentValue = nullptr;
};

class TSharpenFilterDialog : public TConvFilterDialog {
    Q_OBJECT
public:
    TSharpenFilterDialog(QWidget* parent, const TPixelGraphic* source, const ConvParameters& parameters)
        : TConvFilterDialog(parent, ConvFilterKind::Sharpen, source, parameters)
    {
    }
};

class TDetailFilterDialog : public TConvFilterDialog {
    Q_OBJECT
public:
    TDetailFilterDialog(QWidget* parent, const TPixelGraphic* source, const ConvParameters& parameters)
        : TConvFilterDialog(parent, ConvFilterKind::Detail, source, parameters)
    {
    }
};

class TContourFilterDialog : public TConvFilterDialog {
    Q_OBJECT
public:
    TContourFilterDialog(QWidget* parent, const TPixelGraphic* source, const ConvParameters& parameters)
        : TConvFilterDialog(parent, ConvFilterKind::Contour, source, parameters)
    {
    }
};

}  // namespace tesra
