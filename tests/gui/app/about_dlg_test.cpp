#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "app/about_dlg.h"
#include "app/version_hot_link.h"
#include "support/qt_application.h"

namespace {

using app::AboutDlg;

QString labelText(const AboutDlg& box, int id) {
    auto* label = qobject_cast<QLabel*>(box.item(id));
    return label != nullptr ? label->text() : QStringLiteral("<missing>");
}

TEST(AboutBox, ShowsNameVersionWithTwoBlanksAndTheLegalNotice) {
    std::vector<std::string> opened;
    AboutDlg box(nullptr, [&](const std::string& a) { opened.push_back(a); });
    box.create();
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Lirveto"));
    const QString bits = sizeof(void*) == 8 ? QStringLiteral("64") : QStringLiteral("32");
    EXPECT_EQ(labelText(box, AboutDlg::versionId),
              QStringLiteral("Lirveto Version  3.0 (%1bit)").arg(bits));
    EXPECT_TRUE(labelText(box, AboutDlg::copyrightId).startsWith(QStringLiteral("Copyright")));
    EXPECT_EQ(labelText(box, AboutDlg::copyrightId).count(QLatin1Char('\n')), 2);

    auto* link = static_cast<app::THotLink*>(box.item(AboutDlg::linkId));
    ASSERT_NE(link, nullptr);
    box.show();
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(opened, std::vector<std::string>{AboutDlg::makerSite()});
    EXPECT_EQ(AboutDlg::makerSite(), "https://" + app::makerHost());

    link->setFocus();
    QDir().mkpath(QStringLiteral(LIRVETO_SCREENSHOT_DIR));
    box.grab().save(QStringLiteral(LIRVETO_SCREENSHOT_DIR "/about_box.png"));
}

TEST(AboutBox, WithoutTheProductVersionTheTemplateTextsStay) {
    app::VersionBlock partial = app::programVersionBlock();
    partial.strings.erase("\\StringFileInfo\\040904e4\\ProductVersion");
    AboutDlg box(nullptr, {}, &partial);
    box.create();
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Lirveto"));
    EXPECT_EQ(labelText(box, AboutDlg::versionId), QStringLiteral("Version "));
    EXPECT_TRUE(labelText(box, AboutDlg::copyrightId).startsWith(QStringLiteral("Copyright ")));

    app::VersionBlock empty;
    AboutDlg bare(nullptr, {}, &empty);
    bare.create();
    EXPECT_EQ(labelText(bare, AboutDlg::copyrightId), QStringLiteral("Copyright"));
}

TEST(AboutBox, EnterClosesTheBox) {
    AboutDlg box(nullptr, {});
    QTimer::singleShot(0, &box, [&] { QTest::keyClick(&box, Qt::Key_Return); });
    QTimer::singleShot(2000, &box, [&] { box.done(99); });  // never hang the run
    EXPECT_NE(box.exec(), 99);
}

TEST(HotLink, TheFocusRectangleSurroundsTheTextByTwoPixels) {
    QWidget parent;
    app::THotLink link(&parent, 22006, "https://quillhorn.example", {});
    link.setGeometry(0, 0, 225, 20);
    const QFontMetrics metrics(link.font());
    const int w = metrics.horizontalAdvance(QStringLiteral("https://quillhorn.example"));
    const QRect focus = link.focusRect();
    EXPECT_EQ(focus.width(), w + 4);
    EXPECT_EQ(focus.height(), metrics.height() + 4);
    EXPECT_EQ(focus.left(), (225 - w) / 2 - 2);

    parent.show();
    const QImage unfocused = link.grab().toImage();
    link.setFocus();
    parent.activateWindow();
    QApplication::setActiveWindow(&parent);
    if (!link.hasFocus()) {
        GTEST_SKIP() << "no keyboard focus on this platform";
    }
    const QImage focused = link.grab().toImage();
    // Only the dotted rectangle differs, and it stays on its outline.
    for (int y = 0; y < focused.height(); ++y) {
        for (int x = 0; x < focused.width(); ++x) {
            if (focused.pixel(x, y) != unfocused.pixel(x, y)) {
                const bool onOutline = x == focus.left() || x == focus.right() ||
                                       y == focus.top() || y == focus.bottom();
                EXPECT_TRUE(onOutline) << x << "," << y;
            }
        }
    }
}

}  // namespace
