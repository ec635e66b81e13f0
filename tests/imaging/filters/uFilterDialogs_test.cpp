// The four filter dialogs on the offscreen platform, driven with real key and mouse events:
// captions, slider ranges, labels and value texts, the live preview against the core's filter
// on the scaled image, superseded previews, and OK and Cancel.
#include "imaging/filters/uFilterDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "imaging/filters/filter_preview.h"
#include "imaging/filters/image_filter.h"

namespace tesra {
namespace {

// A grainy test image: a smooth gradient with a grid of dark boundaries.
TPixelGraphic grainImage(int width, int height)
{
    TPixelGraphic g(width, height, TPixelFormat::pf24Bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool boundary = x % 23 == 0 || y % 17 == 0;
            const int v = boundary ? 30 : 90 + (x * 120) / width;
            g.SetPixel(x, y, rgb(v, v + 10, 255 - v));
        }
    return g;
}

// Waits (letting the dialog's events run) until done() holds or the time is up.
template <typename Done>
bool waitFor(Done done, int milliseconds = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds)
            return false;
        QTest::qWait(5);
    }
    return true;
}

// What the preview must show: the core's filter on the core's scaled image.
QImage expectedPreview(const TPixelGraphic& source, TImageFilter& filter)
{
    const TPixelGraphic scaled = ScalePreview(source, kFilterPreviewSide, kFilterPreviewSide);
    TPixelGraphic out;
    ApplyFilter(scaled, out, filter);
    QImage image(out.Width(), out.Height(), QImage::Format_RGB32);
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x) {
            const std::uint32_t c = out.GetColor(x, y);
            image.setPixel(x, y, qRgb(redOf(c), greenOf(c), blueOf(c)));
        }
    return image;
}

bool samePixels(const QImage& a, const QImage& b)
{
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// A click on the radio button's circle.
void clickRadio(QRadioButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

QStringList labelTexts(const QWidget& w)
{
    QStringList texts;
    for (const QLabel* l : w.findChildren<QLabel*>())
        texts << l->text();
    return texts;
}

QString valueText(const QWidget& w, const char* name)
{
    const auto* label = w.findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<none>");
}

QPushButton* dialogButton(QWidget& w, QDialogButtonBox::StandardButton which)
{
    auto* box = w.findChild<QDialogButtonBox*>();
    return box ? box->button(which) : nullptr;
}

TEST(BCGFilterDialog, CaptionSlidersLabelsAndValues)
{
    const TPixelGraphic image = grainImage(120, 80);
    TBCGFilterDialog dialog(nullptr, &image, BCGParameters{});
    dialog.setNumberLocale(NumberLocale::German());
    EXPECT_EQ(dialog.windowTitle(), "Brightness, Contrast, Gamma Filter");
    for (const char* name : {"Brightness", "Contrast", "Gamma"}) {
        auto* slider = dialog.findChild<QSlider*>(QLatin1String(name));
        ASSERT_NE(slider, nullptr) << name;
        EXPECT_EQ(slider->minimum(), -100);
        EXPECT_EQ(slider->maximum(), 100);
        EXPECT_EQ(slider->value(), 0);
    }
    const QStringList labels = labelTexts(dialog);
    for (const QString& text : {QStringLiteral("-100%"), QString::fromUtf8("\u00b10%"), QStringLiteral("+100%"),
                                QStringLiteral("0.20"), QStringLiteral("1.00"), QStringLiteral("5.00")})
        EXPECT_TRUE(labels.contains(text)) << text.toStdString();
    EXPECT_EQ(valueText(dialog, "BrightnessValue"), "0%");
    EXPECT_EQ(valueText(dialog, "ContrastValue"), "1,00");
    EXPECT_EQ(valueText(dialog, "GammaValue"), "1,00");
    auto* rgbButton = dialog.findChild<QRadioButton*>();
    ASSERT_NE(rgbButton, nullptr);
    EXPECT_EQ(rgbButton->text(), "RGB");
    EXPECT_TRUE(rgbButton->isChecked());
}

TEST(BCGFilterDialog, KeysMoveTheSlidersAndThePreviewFollows)
{
    const TPixelGraphic image = grainImage(640, 400);
    TBCGFilterDialog dialog(nullptr, &image, BCGParameters{});
    dialog.setNumberLocale(NumberLocale::German());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(waitFor([&] { return dialog.previewsShown() >= 1 && !dialog.previewBusy(); }));
    TBCGFilter identity = MakeBCGFilter(BCGParameters{});
    EXPECT_TRUE(samePixels(dialog.previewImage(), expectedPreview(image, identity)));
    EXPECT_EQ(dialog.previewImage().size(), QSize(320, 200));

    auto* contrast = dialog.findChild<QSlider*>(QStringLiteral("Contrast"));
    auto* brightness = dialog.findChild<QSlider*>(QStringLiteral("Brightness"));
    contrast->setFocus();
    QTest::keyClick(contrast, Qt::Key_End);
    EXPECT_EQ(valueText(dialog, "ContrastValue"), "5,00");
    EXPECT_NEAR(static_cast<double>(dialog.parameters().Contrast), 5.0, 1e-12);
    QTest::keyClick(contrast, Qt::Key_Home);
    EXPECT_EQ(valueText(dialog, "ContrastValue"), "0,20");
    for (int k = 0; k < 43; ++k)
        QTest::keyClick(contrast, Qt::Key_Right);  // 5^(−57/100) = 0.3998
    EXPECT_EQ(valueText(dialog, "ContrastValue"), "0,40");
    brightness->setFocus();
    for (int k = 0; k < 3; ++k)
        QTest::keyClick(brightness, Qt::Key_Left);
    EXPECT_EQ(valueText(dialog, "BrightnessValue"), "-3%");
    EXPECT_EQ(dialog.parameters().Brightness, -3);

    const int before = dialog.previewsShown();
    ASSERT_TRUE(waitFor([&] { return dialog.previewsShown() > before && !dialog.previewBusy(); }));
    TBCGFilter now = dialog.filter();
    EXPECT_TRUE(samePixels(dialog.previewImage(), expectedPreview(image, now)));
    EXPECT_FALSE(dialog.findChild<QProgressBar*>(QStringLiteral("PreviewProgress"))->isVisible());
}

TEST(BCGFilterDialog, CancelRestoresTheParametersAndOkTakesThem)
{
    const TPixelGraphic image = grainImage(60, 40);
    BCGParameters parameters;
    parameters.Contrast = 1.3L;  // not on the slider's grid: kept exactly unless moved
    parameters.Brightness = 12;

    // Cancel with the Escape key after moving two sliders.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TBCGFilterDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        auto* gamma = dialog->findChild<QSlider*>(QStringLiteral("Gamma"));
        gamma->setFocus();
        QTest::keyClick(gamma, Qt::Key_PageUp);
        auto* y = dialog->findChildren<QRadioButton*>().at(1);
        clickRadio(y);
        EXPECT_TRUE(dialog->parameters().UseY);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(RunBCGDialog(nullptr, image, parameters));
    EXPECT_EQ(parameters.Brightness, 12);
    EXPECT_EQ(parameters.Contrast, 1.3L);
    EXPECT_EQ(parameters.Gamma, 1.0L);
    EXPECT_FALSE(parameters.UseY);

    // OK after moving the brightness slider.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TBCGFilterDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        auto* brightness = dialog->findChild<QSlider*>(QStringLiteral("Brightness"));
        brightness->setFocus();
        QTest::keyClick(brightness, Qt::Key_Right);
        QTest::mouseClick(dialogButton(*dialog, QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(RunBCGDialog(nullptr, image, parameters));
    EXPECT_EQ(parameters.Brightness, 13);
    EXPECT_EQ(parameters.Contrast, 1.3L);

    // The dialog object itself also goes back on Cancel.
    TBCGFilterDialog dialog(nullptr, &image, parameters);
    dialog.show();
    auto* gamma = dialog.findChild<QSlider*>(QStringLiteral("Gamma"));
    gamma->setFocus();
    QTest::keyClick(gamma, Qt::Key_End);
    EXPECT_EQ(dialog.parameters().Gamma, 5.0L);
    QTest::mouseClick(dialogButton(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
    EXPECT_EQ(dialog.parameters().Gamma, 1.0L);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(ConvFilterDialogs, CaptionsRangesAndDefaults)
{
    const TPixelGraphic image = grainImage(60, 40);
    struct Case {
        ConvFilterKind kind;
        const char* caption;
        int percentMin, percentMax, percent;
        const char* deviationText;
        const char* percentMaxLabel;
        bool background;
    };
    for (const Case& c : {Case{ConvFilterKind::Sharpen, "Sharpen", 10, 100, 50, "0,75", "100%", false},
                          Case{ConvFilterKind::Detail, "Detail", 10, 100, 75, "0,75", "100%", false},
                          Case{ConvFilterKind::Contour, "Contour", 100, 1000, 100, "1,00", "1000%", true}}) {
        TConvFilterDialog dialog(nullptr, c.kind, &image, DefaultConvParameters(c.kind));
        dialog.setNumberLocale(NumberLocale::German());
        EXPECT_EQ(dialog.windowTitle(), c.caption);
        auto* deviation = dialog.findChild<QSlider*>(QStringLiteral("StdDeviation"));
        auto* percent = dialog.findChild<QSlider*>(QStringLiteral("Percent"));
        ASSERT_TRUE(deviation && percent);
        EXPECT_EQ(deviation->minimum(), 40);
        EXPECT_EQ(deviation->maximum(), 130);
        EXPECT_EQ(percent->minimum(), c.percentMin);
        EXPECT_EQ(percent->maximum(), c.percentMax);
        EXPECT_EQ(percent->value(), c.percent);
        EXPECT_EQ(valueText(dialog, "StdDeviationValue"), c.deviationText);
        EXPECT_EQ(valueText(dialog, "PercentValue"), QString::number(c.percent) + "%");
        const QStringList labels = labelTexts(dialog);
        for (const char* text : {"Std. deviation", "Strength", "0.40", "1.30", c.percentMaxLabel})
            EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << c.caption << " " << text;
        const auto radios = dialog.findChildren<QRadioButton*>();
        EXPECT_EQ(radios.size(), c.background ? 2 : 0) << c.caption;
        if (c.background) {
            EXPECT_EQ(radios[0]->text(), "White");
            EXPECT_TRUE(radios[0]->isChecked());
            EXPECT_EQ(radios[1]->text(), "Black");
        }
    }
}

TEST(ConvFilterDialogs, ContourPreviewAndOk)
{
    const TPixelGraphic image = grainImage(200, 150);
    ConvParameters parameters = DefaultConvParameters(ConvFilterKind::Contour);
    QTimer::singleShot(0, [&image] {
        auto* dialog = qobject_cast<TConvFilterDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        auto* percent = dialog->findChild<QSlider*>(QStringLiteral("Percent"));
        percent->setFocus();
        QTest::keyClick(percent, Qt::Key_PageUp);  // one tenth of the range
        EXPECT_EQ(valueText(*dialog, "PercentValue"), "190%");
        clickRadio(dialog->findChildren<QRadioButton*>().at(1));  // black
        EXPECT_TRUE(waitFor([&] { return dialog->previewsShown() >= 1 && !dialog->previewBusy(); }));
        TConvFilter now = dialog->filter();
        EXPECT_TRUE(samePixels(dialog->previewImage(), expectedPreview(image, now)));
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    EXPECT_TRUE(RunConvDialog(nullptr, ConvFilterKind::Contour, &image, parameters));
    EXPECT_EQ(parameters.Percent, 190);
    EXPECT_TRUE(parameters.BlackBk);
    EXPECT_EQ(parameters.StdDeviation, 1.0L);
}

TEST(ConvFilterDialogs, NewSettingsSupersedeTheRunningPreview)
{
    // Large enough that the previews overlap the key presses.
    const TPixelGraphic image = grainImage(1600, 1200);
    TConvFilterDialog dialog(nullptr, ConvFilterKind::Sharpen, &image, DefaultConvParameters(ConvFilterKind::Sharpen));
    dialog.show();
    auto* deviation = dialog.findChild<QSlider*>(QStringLiteral("StdDeviation"));
    deviation->setFocus();
    for (int k = 0; k < 30; ++k) {
        QTest::keyClick(deviation, Qt::Key_Right);
        // The dialog answers every key at once, whatever the worker is doing.
        ASSERT_EQ(dialog.parameters().StdDeviation, StdDeviationOfSlider(75 + k + 1));
    }
    ASSERT_TRUE(waitFor([&] { return !dialog.previewBusy() && dialog.previewsShown() >= 1; }));
    EXPECT_LT(dialog.previewsShown(), 30);  // stale settings were never shown
    TConvFilter last = dialog.filter();
    EXPECT_TRUE(samePixels(dialog.previewImage(), expectedPreview(image, last)));
}

TEST(ConvFilterDialogs, WithoutAnImageTheDialogStillWorks)
{
    ConvParameters parameters = DefaultConvParameters(ConvFilterKind::Detail);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TConvFilterDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        EXPECT_FALSE(dialog->previewBusy());
        auto* deviation = dialog->findChild<QSlider*>(QStringLiteral("StdDeviation"));
        deviation->setFocus();
        QTest::keyClick(deviation, Qt::Key_Home);
        QTest::mouseClick(dialogButton(*dialog, QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(RunConvDialog(nullptr, ConvFilterKind::Detail, nullptr, parameters));
    EXPECT_EQ(parameters.StdDeviation, 0.40L);
    EXPECT_EQ(parameters.Percent, 75);
}

TEST(FilterDialogHandlers, TestsAnswerInsteadOfTheDialogs)
{
    SetBCGDialogHandler([](BCGParameters& p) {
        p.Brightness = 40;
        return true;
    });
    BCGParameters b;
    EXPECT_TRUE(RunBCGDialog(nullptr, TPixelGraphic(), b));
    EXPECT_EQ(b.Brightness, 40);
    SetBCGDialogHandler({});
    SetConvDialogHandler([](ConvFilterKind kind, ConvParameters&) { return kind == ConvFilterKind::Detail; });
    ConvParameters c;
    EXPECT_FALSE(RunConvDialog(nullptr, ConvFilterKind::Sharpen, nullptr, c));
    EXPECT_TRUE(RunConvDialog(nullptr, ConvFilterKind::Detail, nullptr, c));
    SetConvDialogHandler({});
}

}  // namespace
}  // namespace tesra
