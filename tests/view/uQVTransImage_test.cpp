// The shaped picture control on a window of its own.
#include "view/uQVTransImage.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace tesra {
namespace {

// 40 x 30 on black with a white square at (10..29, 5..24) and one red pixel at (35, 2).
QImage testPicture()
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.fillRect(10, 5, 20, 20, Qt::white);
    painter.end();
    image.setPixelColor(35, 2, Qt::red);
    return image;
}

// Two regions cover the same pixels, however their rectangles are cut.
bool sameArea(const QRegion& a, const QRegion& b) { return a.xored(b).isEmpty(); }

TEST(TQVTransImage, StartsWithItsDefaultsAndFillsItsParent)
{
    QWidget form;
    form.resize(200, 100);
    TQVTransImage image(&form);
    EXPECT_TRUE(image.AdjustFormSize());
    EXPECT_EQ(image.TransColor(), QColor(255, 255, 255));
    EXPECT_EQ(image.geometry(), QRect(0, 0, 200, 100));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.resize(150, 80);
    EXPECT_EQ(image.geometry(), QRect(0, 0, 150, 80));
}

TEST(TQVTransImage, ShapeCutsOutTheTransparentColourAndTakesThePicturesSize)
{
    QWidget form;
    form.resize(200, 100);
    auto* image = new TQVTransImage(&form);
    image->setPicture(testPicture());
    image->setTransColor(Qt::black);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    image->ApplyShape();
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form.isVisible());  // still shown after losing its frame
    EXPECT_EQ(form.size(), QSize(40, 30));
    const QRegion mask = form.mask();
    EXPECT_TRUE(sameArea(mask, QRegion(10, 5, 20, 20) + QRegion(35, 2, 1, 1)));
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(34, 2)));
    EXPECT_TRUE(mask.contains(QPoint(35, 2)));
    // The picture is drawn where the window shows.
    EXPECT_EQ(form.grab().toImage().pixelColor(15, 10), QColor(Qt::white));
}

TEST(TQVTransImage, WithoutAdjustFormSizeTheFormKeepsItsSize)
{
    QWidget form;
    form.resize(200, 100);
    auto* image = new TQVTransImage(&form);
    image->setPicture(testPicture());
    image->setTransColor(Qt::black);
    image->setAdjustFormSize(false);
    image->ApplyShape();
    EXPECT_EQ(form.size(), QSize(200, 100));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(sameArea(form.mask(), QRegion(10, 5, 20, 20) + QRegion(35, 2, 1, 1)));
}

TEST(TQVTransImage, WhiteIsCutOutByDefault)
{
    QWidget form;
    auto* image = new TQVTransImage(&form);
    image->setPicture(testPicture());
    image->ApplyShape();
    EXPECT_FALSE(form.mask().contains(QPoint(15, 10)));
    EXPECT_TRUE(form.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(form.mask().contains(QPoint(35, 2)));
}

TEST(TQVTransImage, AllTransparentPictureLeavesNothingToSeeOrClick)
{
    QWidget form;
    auto* image = new TQVTransImage(&form);
    QImage black(16, 16, QImage::Format_RGB32);
    black.fill(Qt::black);
    image->setPicture(black);
    image->setTransColor(Qt::black);
    image->ApplyShape();
    EXPECT_EQ(form.size(), QSize(16, 16));
    EXPECT_FALSE(form.mask().isEmpty());  // an empty mask would mean "no mask at all"
    EXPECT_TRUE((form.mask() & form.rect()).isEmpty());
}

TEST(TQVTransImage, WithoutPictureOnlyTheFrameGoes)
{
    QWidget form;
    form.resize(120, 90);
    auto* image = new TQVTransImage(&form);
    image->ApplyShape();
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.size(), QSize(120, 90));
    EXPECT_TRUE(form.mask().isEmpty());
    EXPECT_FALSE(TQVTransImage::BitmapToRegion(QImage(), Qt::black, 0).has_value());
}

TEST(TQVTransImage, ClickAndDoubleClickReachTheWindow)
{
    QWidget form;
    auto* image = new TQVTransImage(&form);
    image->setPicture(testPicture());
    image->setTransColor(Qt::black);
    image->ApplyShape();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QSignalSpy clicks(image, &TQVTransImage::clicked);
    QSignalSpy doubles(image, &TQVTransImage::doubleClicked);
    QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(15, 10));
    QTest::mouseDClick(image, Qt::LeftButton, {}, QPoint(15, 10));
    EXPECT_GE(clicks.count(), 1);
    EXPECT_EQ(doubles.count(), 1);
}

}  // namespace
}  // namespace tesra
