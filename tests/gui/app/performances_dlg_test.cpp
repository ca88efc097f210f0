#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <string>

#include "app/performances_dlg.h"
#include "support/page_service_doubles.h"
#include "support/recording_message_box.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"

namespace {

using files::Performance;

Performance play(const char* page, const char* start, int lengthMs) {
    const std::string text =
        std::string("#lirveto-performance 1\npage=") + page + "\nscreen=1920x1080\nstart=" + start +
        "\n0 0 400 300\n300 60 1500 200\n" + std::to_string(lengthMs) + " 200 1500 200\n";
    std::string error;
    auto parsed = files::parsePerformance(text, error);
    EXPECT_TRUE(parsed) << error;
    return *parsed;
}

struct PerformancesDlgTest : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(folder.create("performances"));
        history.keep(play("wave", "2026-12-09T07:30:00Z", 1500));
        history.keep(play("midi", "2026-12-09T07:31:10Z", 65300));
    }
    QString path(const char* name) const {
        return QString::fromStdString((folder.path() / name).string());
    }
    QStringList leftInFolder() const {
        return QDir(QString::fromStdString(folder.path().string()))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    testing_support::TemporaryFolder folder;
    files::PerformanceHistory history;
    testing_support::FakeFileDialogs dialogs;
    testing_support::RecordingMessageBox boxes;
};

TEST_F(PerformancesDlgTest, ListsThePlaysNewestFirstAndKeepSavesTheChosenOne) {
    app::PerformancesDlg dlg(nullptr, history, dialogs, boxes, boxes);
    QTreeWidget& list = *dlg.list();
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.topLevelItem(0)->text(0), QStringLiteral("Midi"));
    EXPECT_EQ(list.topLevelItem(0)->text(2), QStringLiteral("1:05.3"));
    EXPECT_TRUE(list.topLevelItem(0)->text(1).endsWith(QStringLiteral(":31:10")));
    EXPECT_EQ(list.topLevelItem(1)->text(0), QStringLiteral("Wave"));
    EXPECT_EQ(list.topLevelItem(1)->text(2), QStringLiteral("0:01.5"));
    EXPECT_TRUE(list.topLevelItem(1)->text(1).startsWith(QStringLiteral("2026-12-0")));

    list.setCurrentItem(list.topLevelItem(1));
    dialogs.saveAnswers = {path("kept.performance")};
    QPushButton* keep = nullptr;
    for (auto* button : dlg.findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("&Keep...")) {
            keep = button;
        }
    }
    ASSERT_NE(keep, nullptr);
    dlg.show();
    QTest::mouseClick(keep, Qt::LeftButton);
    ASSERT_EQ(dialogs.saves.size(), 1u);
    QFile kept(path("kept.performance"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    std::string error;
    EXPECT_EQ(files::parsePerformance(kept.readAll().toStdString(), error),
              *history.newestFirst()[1]);
    EXPECT_TRUE(boxes.shown.empty());
}

// The real renderer, run as the dialog runs it.
TEST_F(PerformancesDlgTest, ExportsThroughTheRendererAndACancelLeavesNothing) {
    app::PerformancesDlg dlg(nullptr, history, dialogs, boxes, boxes);
    dlg.list()->setCurrentItem(dlg.list()->topLevelItem(1));  // the Wave play
    const auto render = [&](const QString& out, const Performance& performance) {
        bool finished = false;
        bool succeeded = false;
        EXPECT_TRUE(dlg.exporter().start(
            performance, dlg.exportRequest(out), [&](bool ok) { finished = true, succeeded = ok; },
            QStringLiteral(LIRVETO_RENDER_PATH)))
            << dlg.exporter().failure().toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished; }, 60000));
        return succeeded;
    };
    const Performance& wave = *history.newestFirst()[1];
    ASSERT_TRUE(render(path("take.wav"), wave)) << dlg.exporter().failure().toStdString();
    ASSERT_TRUE(render(path("take.mid"), wave)) << dlg.exporter().failure().toStdString();
    QFile wav(path("take.wav"));
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
    const QByteArray sound = wav.readAll();
    EXPECT_TRUE(sound.startsWith("RIFF") && sound.mid(8, 4) == "WAVE");
    EXPECT_GT(sound.size(), 44 + 44100);  // stereo 16-bit at 44100 Hz for 1.5 s
    QFile midi(path("take.mid"));
    ASSERT_TRUE(midi.open(QIODevice::ReadOnly));
    const QByteArray notes = midi.readAll();
    EXPECT_TRUE(notes.startsWith("MThd"));
    EXPECT_GT(notes.size(), 14 + 8);  // more than the header and an empty track

    // A failure names the file and gives the renderer's reason.
    dlg.rateChoice()->setCurrentIndex(3);  // 96000 Hz, which mp3 does not have
    EXPECT_FALSE(render(path("take.mp3"), wave));
    EXPECT_TRUE(dlg.exporter().failure().startsWith(
        QStringLiteral("Can't export the performance to ") + path("take.mp3") + ": "))
        << dlg.exporter().failure().toStdString();
    EXPECT_FALSE(QFile::exists(path("take.mp3")));

    // A long render cancelled at once: no output, no temporary beside it or in TMPDIR.
    QDir(QString::fromStdString(folder.path().string())).mkdir(QStringLiteral("tmp"));
    testing_support::ScopedEnvironmentVariable tmp("TMPDIR");
    tmp.set((folder.path() / "tmp").string());
    QFile::remove(path("take.wav"));
    QFile::remove(path("take.mid"));
    dlg.rateChoice()->setCurrentIndex(3);
    bool called = false;
    ASSERT_TRUE(dlg.exporter().start(
        play("dsound", "2026-12-09T07:40:00Z", 600000), dlg.exportRequest(path("long.flac")),
        [&](bool) { called = true; }, QStringLiteral(LIRVETO_RENDER_PATH)));
    QTest::qWait(300);
    ASSERT_TRUE(dlg.exporter().running());
    dlg.exporter().cancel();
    EXPECT_FALSE(dlg.exporter().running());
    QTest::qWait(50);
    EXPECT_FALSE(called);
    EXPECT_EQ(leftInFolder(), QStringList{QStringLiteral("tmp")});
    EXPECT_TRUE(QDir(QString::fromStdString((folder.path() / "tmp").string()))
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
}

}  // namespace
