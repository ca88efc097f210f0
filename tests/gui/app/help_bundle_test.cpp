#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTextBrowser>

#include "controls/help_tables.h"
#include "platform/backends/qt/qt_help.h"
#include "support/qt_application.h"

namespace {

QString readBundleFile(const char* name) {
    QFile file(QDir(QStringLiteral(LIRVETO_HELP_SOURCE)).filePath(QString::fromUtf8(name)));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(file.readAll());
}

TEST(HelpBundle, EveryHelpIdOfTheTablesHasAPopupText) {
    const auto texts = platform::parsePopupTexts(readBundleFile("CSLirveto.txt"));
    namespace t = controls::helptables;
    for (const controls::HelpPair* table :
         {t::wavePage, t::directSoundPage, t::midiPage, t::generalPrefs, t::wavePrefs, t::midiPrefs,
          t::playingPrefs, t::outputPrefs}) {
        for (const controls::HelpPair* pair = table; pair->controlId != 0; ++pair) {
            const std::uint32_t id = pair->helpId != 0 ? pair->helpId : pair->controlId;
            EXPECT_FALSE(texts.value(id).isEmpty()) << "no pop-up text " << id;
        }
    }
}

TEST(HelpBundle, EveryWindowsContextLeadsToAPage) {
    const auto pages = platform::parseContextMap(readBundleFile("contexts.txt"));
    for (const std::uint32_t context : {2u, 15u, 16u, 3u, 330u, 400u, 500u, 600u}) {
        ASSERT_TRUE(pages.contains(context)) << context;
        EXPECT_TRUE(
            QFile::exists(QDir(QStringLiteral(LIRVETO_HELP_SOURCE)).filePath(pages[context])));
    }
    EXPECT_TRUE(QFile::exists(QStringLiteral(LIRVETO_HELP_SOURCE "/Controls.html")));
}

// The driver list's first entry and the way back to the default SoundFont are not obvious.
TEST(HelpBundle, TheMidiDriverPageExplainsTheMapperAndClearingTheSoundFont) {
    const QString page = readBundleFile("mididriver.html");
    EXPECT_TRUE(page.contains(QStringLiteral("<b>MIDI Mapper</b>")));
    EXPECT_TRUE(page.contains(QStringLiteral("clear the field")));
    const auto texts = platform::parsePopupTexts(readBundleFile("CSLirveto.txt"));
    EXPECT_TRUE(texts.value(402).contains(QStringLiteral("MIDI Mapper")));
    EXPECT_TRUE(texts.value(406).contains(QStringLiteral("clear it")));
}

TEST(HelpBundle, PopupTextsParseOnePerTopic) {
    const auto texts = platform::parsePopupTexts(
        QStringLiteral("ignored\n.topic 7\nfirst line\nsecond\n\n.topic 8\n  only  \n.topic x\n"));
    EXPECT_EQ(texts.size(), 2);
    EXPECT_EQ(texts.value(7), QStringLiteral("first line\nsecond"));
    EXPECT_EQ(texts.value(8), QStringLiteral("only"));
}

TEST(QtHelp, APopupIsPaleYellowWithItsTextAtThePoint) {
    platform::QtHelp help;
    platform::HelpPopup popup;
    popup.idString = 110;
    popup.x = 100;
    popup.y = 120;
    EXPECT_FALSE(help.displayTextPopup("", popup));
    const std::string file = LIRVETO_HELP_SOURCE "/CSLirveto.txt";
    popup.idString = 4242;
    EXPECT_FALSE(help.displayTextPopup(file, popup));
    popup.idString = 110;
    ASSERT_TRUE(help.displayTextPopup(file, popup));
    QLabel* label = help.popup();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Volume")));
    EXPECT_EQ(label->pos(), QPoint(100, 120));
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 255, 208));
    EXPECT_EQ(label->contentsMargins(), QMargins(5, 5, 5, 5));
    QDir().mkpath(QStringLiteral(LIRVETO_SCREENSHOT_DIR));
    label->grab().save(QStringLiteral(LIRVETO_SCREENSHOT_DIR "/help_popup.png"));
}

// The pop-up holds the pointer and keyboard while it is up: whatever the user does next must
// close it, or nothing else reaches the program.
TEST(QtHelp, APopupClosesOnAnyKeyAndAnyClickInsideOrOutside) {
    platform::QtHelp help;
    platform::HelpPopup popup;
    popup.idString = 110;
    popup.x = 100;
    popup.y = 120;
    const std::string file = LIRVETO_HELP_SOURCE "/CSLirveto.txt";
    const auto showAgain = [&] {
        EXPECT_TRUE(help.displayTextPopup(file, popup));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(help.popup()));
        return help.popup();
    };
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Space, Qt::Key_A, Qt::Key_F1}) {
        QLabel* label = showAgain();
        QTest::keyClick(label, key);
        EXPECT_FALSE(label->isVisible()) << key;
    }
    QLabel* label = showAgain();
    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    EXPECT_FALSE(label->isVisible());
    label = showAgain();
    QTest::mouseClick(label, Qt::RightButton, {}, QPoint(-40, -40));  // outside, as grabbed
    EXPECT_FALSE(label->isVisible());
}

TEST(QtHelp, TheViewerShowsContentsTopicsAndContextsAndNothingWithoutABundle) {
    platform::QtHelp help;
    const std::string index = LIRVETO_HELP_SOURCE "/index.html";
    EXPECT_FALSE(help.displayTopic("", ""));
    EXPECT_FALSE(help.helpContext("", 2));
    ASSERT_TRUE(help.displayTopic(index, ""));
    EXPECT_TRUE(help.viewer()->source().path().endsWith(QStringLiteral("index.html")));
    ASSERT_TRUE(help.helpContext(index, 15));
    EXPECT_TRUE(help.viewer()->source().path().endsWith(QStringLiteral("midi.html")));
    EXPECT_FALSE(help.helpContext(index, 9999));
    ASSERT_TRUE(help.displayTopic(index, "Controls.html"));
    EXPECT_TRUE(help.viewer()->toPlainText().contains(QStringLiteral("F1")));
}

}  // namespace
