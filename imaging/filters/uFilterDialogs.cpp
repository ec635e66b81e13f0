#include "imaging/filters/uFilterDialogs.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

#include "app/uDialogs.h"
#include "app/uLanguage.h"
#include "imaging/filters/filter_preview.h"
#include "imaging/filters/image_filter.h"
#include "app/uMain.h"
#include "widgets/uWindowSupport.h"

namespace tesra {
namespace {

// The program shows numbers in its document's format; without the program, as the system does.
NumberLocale programNumberLocale()
{
    if (TfMain* main = fMain())
        return main->document().numberLocale();
    return NumberLocaleOf(QLocale::system());
}

// A 24-bit buffer as an image for the screen.
QImage toQImage(const TPixelGraphic& g)
{
    QImage image(g.Width(), g.Height(), QImage::Format_BGR888);
    for (int y = 0; y < g.Height(); ++y)
        std::memcpy(image.scanLine(y), g.rowData(y), 3 * static_cast<std::size_t>(g.Width()));
    return image;
}

// Tells the progress bar how far the worker is, through the bar's own thread.
class BarProgress : public ProgressSink {
public:
    explicit BarProgress(QProgressBar* bar) : m_bar(bar) {}
    void step(int percent) override
    {
        QMetaObject::invokeMethod(m_bar, [bar = m_bar, percent] { bar->setValue(percent); }, Qt::QueuedConnection);
    }

private:
    QProgressBar* m_bar;
};

}  // namespace

void SetBCGDialogHandler(BCGDialogHandler handler) { TestHandler<BCGDialogHandler>() = std::move(handler); }
void SetConvDialogHandler(ConvDialogHandler handler) { TestHandler<ConvDialogHandler>() = std::move(handler); }

bool RunBCGDialog(QWidget* parent, const TPixelGraphic& previewSource, BCGParameters& parameters)
{
    if (TestHandler<BCGDialogHandler>())
        return TestHandler<BCGDialogHandler>()(parameters);
    TBCGFilterDialog dialog(parent, &previewSource, parameters);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    parameters = dialog.parameters();
    return true;
}

bool RunConvDialog(QWidget* parent, ConvFilterKind kind, const TPixelGraphic* previewSource,
                   ConvParameters& parameters)
{
    if (TestHandler<ConvDialogHandler>())
        return TestHandler<ConvDialogHandler>()(kind, parameters);
    TConvFilterDialog dialog(parent, kind, previewSource, parameters);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    parameters = dialog.parameters();
    return true;
}

// ---- The preview ----

TFilterPreviewDialog::TFilterPreviewDialog(QWidget* parent, const TPixelGraphic* source)
    : QDialog(parent), m_locale(programNumberLocale()), m_source(source)
{
    setModal(true);
    if (source && (source->Width() <= 0 || source->Height() <= 0))
        m_source = nullptr;
}

TFilterPreviewDialog::~TFilterPreviewDialog()
{
    // A preview still running is of no use any more; it stops at its next row.
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

void TFilterPreviewDialog::setNumberLocale(const NumberLocale& locale)
{
    m_locale = locale;
    showValues();
}

void TFilterPreviewDialog::finishLayout(QWidget* controls)
{
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("Preview"));
    m_preview->setFixedSize(kFilterPreviewSide, kFilterPreviewSide);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("PreviewProgress"));
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(kFilterPreviewSide);
    m_progress->setFixedHeight(8);
    // Keeps its place when hidden, so the dialog does not jump while previews come and go.
    QSizePolicy keep = m_progress->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(keep);
    m_progress->hide();

    auto* left = new QVBoxLayout;
    left->addWidget(m_preview);
    left->addWidget(m_progress);
    left->addStretch();
    auto* row = new QHBoxLayout;
    row->addLayout(left);
    row->addWidget(controls, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* all = new QVBoxLayout(this);
    all->addLayout(row);
    all->addWidget(buttons);
    if (!m_source)
        m_preview->setText(tr("No image"));
}

QSlider* TFilterPreviewDialog::addSliderRow(QWidget* controls, const FilterSliderData& data, int position,
                                            QLabel*& valueLabel)
{
    auto* grid = static_cast<QGridLayout*>(controls->layout());
    const int row = grid->rowCount();
    auto* caption = new QLabel(CoreText(data.caption), controls);
    auto* slider = new QSlider(Qt::Horizontal, controls);
    slider->setRange(data.minimum, data.maximum);
    slider->setPageStep(std::max(1, (data.maximum - data.minimum) / 10));
    slider->setValue(std::clamp(position, data.minimum, data.maximum));
    slider->setMinimumWidth(200);
    valueLabel = new QLabel(controls);
    valueLabel->setMinimumWidth(48);
    valueLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    caption->setBuddy(slider);

    auto* ends = new QWidget(controls);
    auto* endsLayout = new QHBoxLayout(ends);
    endsLayout->setContentsMargins(0, 0, 0, 0);
    auto* minimum = new QLabel(QString::fromUtf8(data.minimumLabel), ends);
    auto* middle = new QLabel(QString::fromUtf8(data.middleLabel), ends);
    auto* maximum = new QLabel(QString::fromUtf8(data.maximumLabel), ends);
    middle->setAlignment(Qt::AlignCenter);
    maximum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    endsLayout->addWidget(minimum, 1);
    endsLayout->addWidget(middle, 1);
    endsLayout->addWidget(maximum, 1);

    grid->addWidget(caption, row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(valueLabel, row, 2);
    grid->addWidget(ends, row + 1, 1);
    return slider;
}

void TFilterPreviewDialog::requestPreview()
{
    ++m_generation;
    if (!m_source || !m_preview)
        return;
    if (m_busy) {
        // The running preview is for an older setting: stop it; the newest follows.
        m_cancel = true;
        m_pending = true;
        return;
    }
    launch();
}

void TFilterPreviewDialog::launch()
{
    std::shared_ptr<TImageFilter> filter;
    try {
        filter = makeFilter();
    } catch (const EPixelGraphic&) {
        m_progress->hide();  // a setting that gives no filter has no preview
        return;
    }
    m_cancel = false;
    m_busy = true;
    m_progress->setValue(0);
    m_progress->show();
    const int generation = m_generation;
    std::shared_ptr<const TPixelGraphic> scaled = m_scaled;
    const TPixelGraphic* source = m_source;
    QProgressBar* bar = m_progress;
    m_worker = std::thread([this, filter, scaled, source, bar, generation] {
        BarProgress progress(bar);
        CancellableProgress cancellable(m_cancel, &progress);
        std::shared_ptr<const TPixelGraphic> input = scaled;
        std::shared_ptr<TPixelGraphic> result;
        try {
            // The scaled image is made once and kept: every later setting reuses it.
            if (!input)
                input = std::make_shared<const TPixelGraphic>(ScalePreview(*source, kFilterPreviewSide,
                                                                           kFilterPreviewSide, &progress));
            auto out = std::make_shared<TPixelGraphic>();
            ApplyFilter(*input, *out, *filter, &cancellable);
            result = std::move(out);
        } catch (const PreviewCancelled&) {
        } catch (const std::exception&) {
        }
        QMetaObject::invokeMethod(
            this, [this, generation, input, result] { previewReady(generation, input, result); }, Qt::QueuedConnection);
    });
}

void TFilterPreviewDialog::previewReady(int generation, std::shared_ptr<const TPixelGraphic> scaled,
                                        std::shared_ptr<TPixelGraphic> result)
{
    if (m_worker.joinable())
        m_worker.join();
    m_busy = false;
    if (!m_scaled && scaled)
        m_scaled = std::move(scaled);
    if (result && generation == m_generation) {
        m_previewImage = toQImage(*result);
        m_preview->setPixmap(QPixmap::fromImage(m_previewImage));
        ++m_shown;
    }
    if (m_pending) {
        m_pending = false;
        launch();
        return;
    }
    m_progress->hide();
}

// ---- Brightness, contrast, gamma ----

TBCGFilterDialog::TBCGFilterDialog(QWidget* parent, const TPixelGraphic* source, const BCGParameters& parameters)
    : TFilterPreviewDialog(parent, source), m_parameters(parameters), m_opened(parameters)
{
    const BCGDialogData& data = BCGFilterDialogData();
    setWindowTitle(CoreText(data.caption));
    auto* controls = new QWidget(this);
    new QGridLayout(controls);

    QSlider* brightness = addSliderRow(controls, data.brightness, BCGBrightnessLimited(parameters.Brightness),
                                       m_brightnessValue);
    brightness->setObjectName(QStringLiteral("Brightness"));
    QSlider* contrast = addSliderRow(controls, data.contrast, BCGSliderPosition(parameters.Contrast), m_contrastValue);
    contrast->setObjectName(QStringLiteral("Contrast"));
    QSlider* gamma = addSliderRow(controls, data.gamma, BCGSliderPosition(parameters.Gamma), m_gammaValue);
    gamma->setObjectName(QStringLiteral("Gamma"));
    m_brightnessValue->setObjectName(QStringLiteral("BrightnessValue"));
    m_contrastValue->setObjectName(QStringLiteral("ContrastValue"));
    m_gammaValue->setObjectName(QStringLiteral("GammaValue"));

    auto* applyOn = new QGroupBox(CoreText(data.applyOn.caption), controls);
    auto* rgbButton = new QRadioButton(QString::fromUtf8(data.applyOn.first), applyOn);
    auto* yButton = new QRadioButton(QString::fromUtf8(data.applyOn.second), applyOn);
    auto* applyLayout = new QHBoxLayout(applyOn);
    applyLayout->addWidget(rgbButton);
    applyLayout->addWidget(yButton);
    m_applyOn = new QButtonGroup(this);
    m_applyOn->addButton(rgbButton, 0);
    m_applyOn->addButton(yButton, 1);
    (parameters.UseY ? yButton : rgbButton)->setChecked(true);
    auto* grid = static_cast<QGridLayout*>(controls->layout());
    grid->addWidget(applyOn, grid->rowCount(), 0, 1, 3);
    grid->setRowStretch(grid->rowCount(), 1);

    // The values the dialog opened with stay exact until their slider is moved.
    connect(brightness, &QSlider::valueChanged, this, [this](int p) {
        m_parameters.Brightness = BCGBrightnessLimited(p);
        showValues();
        requestPreview();
    });
    connect(contrast, &QSlider::valueChanged, this, [this](int p) {
        m_parameters.Contrast = BCGSliderValue(p);
        showValues();
        requestPreview();
    });
    connect(gamma, &QSlider::valueChanged, this, [this](int p) {
        m_parameters.Gamma = BCGSliderValue(p);
        showValues();
        requestPreview();
    });
    connect(m_applyOn, &QButtonGroup::idClicked, this, [this](int id) {
        m_parameters.UseY = id == 1;
        requestPreview();
    });

    finishLayout(controls);
    showValues();
    requestPreview();
}

void TBCGFilterDialog::reject()
{
    m_parameters = m_opened;
    TFilterPreviewDialog::reject();
}

std::shared_ptr<TImageFilter> TBCGFilterDialog::makeFilter() const
{
    return std::make_shared<TBCGFilter>(MakeBCGFilter(m_parameters));
}

void TBCGFilterDialog::showValues()
{
    m_brightnessValue->setText(qs(BCGBrightnessText(BCGBrightnessLimited(m_parameters.Brightness))));
    m_contrastValue->setText(qs(BCGValueText(m_parameters.Contrast, m_locale)));
    m_gammaValue->setText(qs(BCGValueText(m_parameters.Gamma, m_locale)));
}

// ---- Sharpen, detail, contour ----

TConvFilterDialog::TConvFilterDialog(QWidget* parent, ConvFilterKind kind, const TPixelGraphic* source,
                                     const ConvParameters& parameters)
    : TFilterPreviewDialog(parent, source), m_kind(kind), m_parameters(parameters), m_opened(parameters)
{
    const ConvDialogData& data = ConvFilterDialogData(kind);
    setWindowTitle(CoreText(data.caption));
    auto* controls = new QWidget(this);
    new QGridLayout(controls);

    QSlider* deviation = addSliderRow(controls, data.stdDeviation,
                                      StdDeviationSliderPosition(parameters.StdDeviation, kind), m_deviationValue);
    deviation->setObjectName(QStringLiteral("StdDeviation"));
    QSlider* percent = addSliderRow(controls, data.percent, parameters.Percent, m_percentValue);
    percent->setObjectName(QStringLiteral("Percent"));
    m_deviationValue->setObjectName(QStringLiteral("StdDeviationValue"));
    m_percentValue->setObjectName(QStringLiteral("PercentValue"));

    auto* grid = static_cast<QGridLayout*>(controls->layout());
    if (data.hasBackground) {
        auto* background = new QGroupBox(CoreText(data.background.caption), controls);
        auto* white = new QRadioButton(CoreText(data.background.first), background);
        auto* black = new QRadioButton(CoreText(data.background.second), background);
        auto* layout = new QHBoxLayout(background);
        layout->addWidget(white);
        layout->addWidget(black);
        auto* group = new QButtonGroup(this);
        group->addButton(white, 0);
        group->addButton(black, 1);
        (parameters.BlackBk ? black : white)->setChecked(true);
        grid->addWidget(background, grid->rowCount(), 0, 1, 3);
        connect(group, &QButtonGroup::idClicked, this, [this](int id) {
            m_parameters.BlackBk = id == 1;
            requestPreview();
        });
    }
    grid->setRowStretch(grid->rowCount(), 1);

    connect(deviation, &QSlider::valueChanged, this, [this](int p) {
        m_parameters.StdDeviation = StdDeviationOfSlider(p);
        showValues();
        requestPreview();
    });
    connect(percent, &QSlider::valueChanged, this, [this](int p) {
        m_parameters.Percent = p;
        showValues();
        requestPreview();
    });

    finishLayout(controls);
    showValues();
    requestPreview();
}

void TConvFilterDialog::reject()
{
    m_parameters = m_opened;
    TFilterPreviewDialog::reject();
}

std::shared_ptr<TImageFilter> TConvFilterDialog::makeFilter() const
{
    return std::make_shared<TConvFilter>(MakeConvFilter(m_kind, m_parameters));
}

void TConvFilterDialog::showValues()
{
    m_deviationValue->setText(qs(StdDeviationText(m_parameters.StdDeviation, m_locale)));
    m_percentValue->setText(qs(PercentText(m_parameters.Percent)));
}

}  // namespace tesra
