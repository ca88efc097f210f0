#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include "controls/tv_slider.h"
#include "support/qt_application.h"

namespace {

using controls::TVSlider;

struct Slider {
    QWidget page;
    TVSlider* slider = new TVSlider(&page, 110);
    Slider() {
        slider->setRange(0, 100);
        slider->setGeometry(10, 10, 24, 160);
        page.resize(50, 180);
    }
    // Rows of the slider holding the groove's highlight colour, counted from the top.
    std::vector<int> filledRows() const {
        const QImage image = slider->grab().toImage();
        const QColor fill = slider->palette().color(QPalette::Highlight);
        std::vector<int> rows;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor seen = image.pixelColor(x, y);
                // The style shades the fill, so its hue marks it.
                if (seen.saturation() > 80 && std::abs(seen.hue() - fill.hue()) < 20) {
                    rows.push_back(y);
                    break;
                }
            }
        }
        return rows;
    }
};

TEST(TVSlider, TheGrooveFillsBelowTheThumbSoTheBottomPositionLooksEmpty) {
    Slider s;
    s.slider->setPosition(100);  // Volume 0
    EXPECT_EQ(s.slider->value(), 0);
    EXPECT_TRUE(s.filledRows().empty());

    s.slider->setPosition(50);
    const std::vector<int> half = s.filledRows();
    ASSERT_FALSE(half.empty());
    EXPECT_GT(half.front(), s.slider->height() / 3);  // nothing above the thumb
    EXPECT_GT(half.back(), s.slider->height() * 3 / 4);

    s.slider->setPosition(0);  // Volume 100: filled from the thumb at the top down
    const std::vector<int> full = s.filledRows();
    ASSERT_FALSE(full.empty());
    EXPECT_LT(full.front(), s.slider->height() / 4);
}

TEST(TVSlider, KeysMoveTheThumbTheWayTheyPoint) {
    Slider s;
    s.slider->setPosition(50);
    QTest::keyClick(s.slider, Qt::Key_Up);
    EXPECT_EQ(s.slider->position(), 49);
    QTest::keyClick(s.slider, Qt::Key_Down);
    QTest::keyClick(s.slider, Qt::Key_Down);
    EXPECT_EQ(s.slider->position(), 51);
    QTest::keyClick(s.slider, Qt::Key_Home);
    EXPECT_EQ(s.slider->position(), 0);
    QTest::keyClick(s.slider, Qt::Key_End);
    EXPECT_EQ(s.slider->position(), 100);
}

}  // namespace
