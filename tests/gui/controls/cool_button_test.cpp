#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTest>

#include "controls/cool_button.h"
#include "support/qt_application.h"

namespace {

using controls::CoolButton;

struct Group {
    QWidget page;
    CoolButton* play = new CoolButton(&page, 105, 105, 106);
    CoolButton* stop = new CoolButton(&page, 106, 105, 106);
    Group() {
        play->setText(QStringLiteral("&Play"));
        stop->setText(QStringLiteral("&Stop"));
        play->setGeometry(10, 10, 75, 24);
        stop->setGeometry(90, 10, 75, 24);
    }
};

TEST(CoolButton, HoldingPlayReleasesStopAndTheReverse) {
    Group group;
    EXPECT_EQ(group.play->state(), CoolButton::initial);
    group.stop->setState(CoolButton::held, true);
    EXPECT_EQ(group.stop->state(), CoolButton::held);
    EXPECT_EQ(group.play->state(), CoolButton::normal);

    group.play->setState(CoolButton::held, true);  // after Play
    EXPECT_EQ(group.play->state(), CoolButton::held);
    EXPECT_EQ(group.stop->state(), CoolButton::normal);

    group.stop->setState(CoolButton::held, true);  // after Stop
    EXPECT_EQ(group.stop->state(), CoolButton::held);
    EXPECT_EQ(group.play->state(), CoolButton::normal);
}

TEST(CoolButton, SelectingByGroupMessageHoldsOnlyTheSender) {
    Group group;
    group.play->setState(CoolButton::selected, true);
    EXPECT_EQ(group.play->state(), CoolButton::selected);
    EXPECT_EQ(group.stop->state(), CoolButton::normal);
    // A button outside the group's id range ignores the message.
    CoolButton other(&group.page, 200, 200, 201);
    other.setState(CoolButton::held, false);
    group.stop->setState(CoolButton::held, true);
    EXPECT_EQ(other.state(), CoolButton::held);
}

TEST(CoolButton, AMousePressHoldsTheButtonReleasesTheOtherAndReleasingReturnsToNormal) {
    Group group;
    group.page.show();
    group.stop->setState(CoolButton::held, true);
    QTest::mousePress(group.play, Qt::LeftButton);
    EXPECT_EQ(group.play->state(), CoolButton::held);
    EXPECT_EQ(group.stop->state(), CoolButton::normal);
    QTest::mouseRelease(group.play, Qt::LeftButton);
    EXPECT_EQ(group.play->state(), CoolButton::normal);
}

TEST(CoolButton, APageSettingTheStateOnClickHasTheLastWord) {
    Group group;
    group.page.show();
    QObject::connect(group.play, &QAbstractButton::clicked,
                     [&] { group.play->setState(CoolButton::held, true); });
    QTest::mouseClick(group.play, Qt::LeftButton);
    EXPECT_EQ(group.play->state(), CoolButton::held);
    EXPECT_EQ(group.stop->state(), CoolButton::normal);
}

QImage grabPlain(const QString& caption) {
    QWidget page;
    auto* button = new CoolButton(&page, 105);
    button->setText(caption);
    button->setGeometry(0, 0, 90, 30);
    button->setState(CoolButton::normal, false);
    return button->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(CoolButton, PlainLookDrawsTheCaptionWithItsMnemonicUnderlined) {
    CoolButton::setThemesEnabled(false);
    const QImage marked = grabPlain(QStringLiteral("&Play"));
    const QImage plain = grabPlain(QStringLiteral("Play"));
    CoolButton::setThemesEnabled(true);
    ASSERT_EQ(marked.size(), plain.size());

    // The same "Play" is drawn in both; the only difference is one underline under the "P".
    int top = -1;
    int bottom = -1;
    int left = marked.width();
    int right = -1;
    for (int y = 0; y < marked.height(); ++y) {
        for (int x = 0; x < marked.width(); ++x) {
            if (marked.pixel(x, y) != plain.pixel(x, y)) {
                top = top < 0 ? y : top;
                bottom = y;
                left = std::min(left, x);
                right = std::max(right, x);
                EXPECT_EQ(QColor(marked.pixel(x, y)), QColor(Qt::black).toRgb()) << x << "," << y;
            }
        }
    }
    ASSERT_GE(top, 0) << "no underline drawn";
    EXPECT_EQ(top, bottom) << "the underline is one line";
    QFont font;
    const QFontMetrics metrics(font);
    const int textLeft = 45 - metrics.horizontalAdvance(QStringLiteral("Play")) / 2;
    EXPECT_EQ(left, textLeft);
    EXPECT_EQ(right - left + 1, metrics.horizontalAdvance(QStringLiteral("P")));
    // Text pixels exist in the plain look (the caption is drawn, not just the frame).
    int dark = 0;
    for (int x = textLeft; x < textLeft + 20; ++x) {
        for (int y = 5; y < 25; ++y) {
            dark += qGray(plain.pixel(x, y)) < 80 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 10);
}

TEST(CoolButton, LightGreyInTheBitmapIsTransparent) {
    CoolButton::setThemesEnabled(false);
    QWidget page;
    auto* button = new CoolButton(&page, 105);
    button->setGeometry(0, 0, 40, 30);
    button->setCaptionOff(true);
    QPixmap bitmap(16, 16);
    bitmap.fill(QColor(192, 192, 192));
    QPainter painter(&bitmap);
    painter.fillRect(6, 6, 4, 4, Qt::red);
    painter.end();
    button->setBitmap(bitmap, 0);
    button->setColors(Qt::white, Qt::white, Qt::black, Qt::black);
    const QImage image = button->grab().toImage();
    CoolButton::setThemesEnabled(true);
    // Centred without a caption: the bitmap's corner shows the background, its middle is red.
    const int x0 = (40 - 16) / 2;
    const int y0 = (30 - 16) / 2;
    EXPECT_EQ(QColor(image.pixel(x0 + 1, y0 + 1)), QColor(Qt::white));
    EXPECT_EQ(QColor(image.pixel(x0 + 7, y0 + 7)), QColor(Qt::red));
}

TEST(CoolButton, TheThemedLookPaintsThroughTheStyleAndTracksTheMouse) {
    QWidget page;
    auto* button = new CoolButton(&page, 105);
    button->setText(QStringLiteral("&Play"));
    button->setGeometry(0, 0, 80, 26);
    page.show();
    EXPECT_TRUE(button->isThemed());
    EXPECT_FALSE(button->grab().isNull());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(button, &enter);
    EXPECT_TRUE(button->isHot());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    EXPECT_FALSE(button->isHot());
}

}  // namespace
