// Grabs the controls as a user sees them into PNG files under the build folder.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/cool_button.h"
#include "controls/tv_slider.h"
#include "controls/win95_tab_window.h"
#include "fake_page.h"
#include "support/qt_application.h"

namespace {

using controls::CoolButton;
using controls::TVSlider;

// A page dressed as a sound page: Play held, Stop normal, three sliders over their frames.
class DemoPage : public testpages::FakePage {
  public:
    explicit DemoPage(const framework::DialogTemplate& pageLayout) : FakePage(pageLayout) {}

  protected:
    QWidget* createItem(const framework::DialogItem& item) override {
        if (item.kind == framework::ItemKind::OwnerDrawButton) {
            auto* button = new CoolButton(this, item.id, 105, 106);
            button->setText(QString::fromUtf8(item.text));
            return button;
        }
        return FakePage::createItem(item);
    }
    void setupWindow() override {
        auto* play = static_cast<CoolButton*>(item(105));
        auto* stop = static_cast<CoolButton*>(item(106));
        play->setBitmap(5000, 0);
        play->setBitmap(5001, 1);
        stop->setBitmap(5002, 0);
        stop->setBitmap(5003, 1);
        stop->setState(CoolButton::held, true);
        play->setState(CoolButton::held, true);
        item(111)->hide();
        const int sliders[][2] = {{110, 102}, {111, 107}, {121, 120}};
        int position = 20;
        for (const auto& [id, frameId] : sliders) {
            QWidget* frame = item(frameId);
            frame->hide();
            auto* slider = new TVSlider(this, id);
            slider->setRange(0, 100);
            slider->setPosition(position);
            position += 30;
            const QRect f = frame->geometry();
            slider->setGeometry(f.left() + f.width() / 2 - 12, f.top() - 10, 24, f.height() + 20);
            slider->show();
        }
    }
};

QString save(QWidget& widget, const char* name) {
    QDir().mkpath(QStringLiteral(LIRVETO_SCREENSHOT_DIR));
    const QString path = QStringLiteral(LIRVETO_SCREENSHOT_DIR "/%1").arg(QString::fromUtf8(name));
    widget.grab().save(path);
    return path;
}

void shoot(const char* name) {
    QWidget frame;
    frame.setWindowTitle(QStringLiteral("Lirveto"));
    auto* layout = new QVBoxLayout(&frame);
    layout->setContentsMargins(0, 0, 0, 0);
    DemoPage wave(testpages::waveTemplate);
    DemoPage midi(testpages::midiTemplate);
    QWidget* list[] = {&wave, &midi, nullptr};
    auto* tabs = new controls::TWin95TabWindow(&frame, list);
    layout->addWidget(tabs, 1);
    auto* status = new QLabel(QStringLiteral(" 440.0 Hz   69   A4   50%"), &frame);
    status->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(status);
    frame.show();
    QCoreApplication::processEvents();
    wave.item(105)->setFocus();
    QCoreApplication::processEvents();
    const QString path = save(frame, name);
    const QImage image(path);
    ASSERT_FALSE(image.isNull()) << path.toStdString();
    EXPECT_GT(image.width(), 200);
    // The held Play button shows its bright green bitmap somewhere in the picture.
    bool green = false;
    for (int y = 0; y < image.height() && !green; ++y) {
        for (int x = 0; x < image.width() && !green; ++x) {
            green = image.pixelColor(x, y) == QColor(40, 220, 40);
        }
    }
    EXPECT_TRUE(green);
    std::cout << "screenshot: " << path.toStdString() << "\n";
}

TEST(Screenshot, ControlsInTheStylesLook) {
    CoolButton::setThemesEnabled(true);
    shoot("controls_themed.png");
}

TEST(Screenshot, ControlsInThePlainLook) {
    CoolButton::setThemesEnabled(false);
    shoot("controls_plain.png");
    CoolButton::setThemesEnabled(true);
}

}  // namespace
