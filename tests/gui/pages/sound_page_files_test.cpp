// Every page's take through the file commands, run on each of the three: the title, the save
// check, Save on an unnamed take, Close while playing and the rescue on a signal.

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "files/performance_file.h"
#include "framework/window_title.h"
#include "page_kinds.h"
#include "settings/settings_values.h"
#include "support/file_size_limit.h"

namespace soundpagetest {
namespace {

namespace page = framework::page;
namespace answer = platform::MessageBoxResult;

template <class Kind>
using SoundPageFilesTest = SoundPageTest<Kind>;
TYPED_TEST_SUITE(SoundPageFilesTest, PageKinds, KindName);

TYPED_TEST(SoundPageFilesTest, TheTitleAndPlayCaptionFollowTheTake) {
    this->makePage();
    EXPECT_EQ(this->send(page::queryFileOpen), 0);
    EXPECT_EQ(this->send(page::queryNotEmpty), 0);
    EXPECT_EQ(this->playCaption(), QStringLiteral("&Play"));
    this->send(page::fileSaveAs);  // nothing to save: no chooser
    this->send(page::fileSave);
    this->send(page::fileClose);
    EXPECT_TRUE(this->kind.dialogs.saves.empty());
    EXPECT_TRUE(this->kind.messages.shown.empty());

    this->send(page::fileNew);
    EXPECT_EQ(this->title(), QString::fromUtf8(TypeParam::untitled));
    EXPECT_EQ(this->playCaption(), QStringLiteral("&Record"));
    EXPECT_EQ(this->send(page::queryFileOpen), 1);
    this->send(page::play);
    this->kind.playSome(*this->page);
    EXPECT_EQ(this->send(page::queryNotEmpty), 1);

    // Whatever the title held before, it is made anew from the take and the program's name.
    this->frame.setWindowTitle(QStringLiteral("old.wav Lirveto - old.mid Lirveto"));
    this->send(page::updateTitle);
    EXPECT_EQ(this->title(), QString::fromUtf8(TypeParam::untitled));
}

TYPED_TEST(SoundPageFilesTest, TheSaveCheckAnswersCancelNoAndYes) {
    this->makePage();
    const std::string first = this->recordSomething();

    this->kind.messages.answer = answer::IDCANCEL;
    this->send(page::fileNew);
    ASSERT_EQ(this->kind.messages.shown.size(), 1u);
    EXPECT_EQ(this->kind.messages.shown[0].text, "Do you want to save?");
    EXPECT_EQ(this->kind.messages.shown[0].caption, TypeParam::changedCaption);
    EXPECT_EQ(this->kind.messages.shown[0].style, platform::MessageBoxStyle::YesNoCancelQuestion);
    EXPECT_EQ(this->take().fileName(), first);
    EXPECT_FALSE(this->page->canClose());

    // Yes, then cancelling the chooser: the take stays, unnamed and changed.
    this->kind.messages.answer = answer::IDYES;
    EXPECT_FALSE(this->page->canClose());
    EXPECT_EQ(this->take().fileName(), first);
    EXPECT_TRUE(this->take().isModified());

    // Yes names it and closes it; the new take starts.
    this->kind.dialogs.saveAnswers << this->path(QStringLiteral("kept"));
    this->send(page::fileNew);
    ASSERT_EQ(this->kind.dialogs.saves.size(), 2u);
    const auto& asked = this->kind.dialogs.saves.back();
    EXPECT_TRUE(asked.filter.endsWith(QLatin1String("(*.") + TypeParam::suffix + ")"));
    EXPECT_EQ(asked.folder, QStringLiteral("."));
    EXPECT_EQ(asked.suffix, QLatin1String(TypeParam::suffix));
    EXPECT_TRUE(TypeParam::isFinished(this->path(QStringLiteral("kept"))));
    EXPECT_TRUE(this->take().isTemporary());
    EXPECT_NE(this->take().fileName(), first);

    // No deletes the unnamed take.
    const std::string second = this->recordSomething();
    this->kind.messages.answer = answer::IDNO;
    EXPECT_TRUE(this->page->canClose());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(second)));
    EXPECT_FALSE(this->take().isOpen());
}

// A MIDI take begins with what Play sends, so New and Open on the Midi page stop before they ask
// anything; on the sample pages a new take starts while playing goes on, and takes what follows.
TYPED_TEST(SoundPageFilesTest, NewAndOpenStopOnlyTheMidiPageAndBeforeTheyAsk) {
    this->makePage();
    const std::string first = this->recordSomething();
    const bool playsOn = !TypeParam::newTakeStops;
    this->send(page::play);
    this->kind.messages.answer = answer::IDCANCEL;
    for (const auto command : {page::fileNew, page::fileOpen}) {
        this->send(command);
        EXPECT_EQ(this->page->isPlaying(), playsOn);
        EXPECT_EQ(this->take().fileName(), first);
    }
    EXPECT_TRUE(this->kind.dialogs.opens.empty()) << "Cancel: no chooser";

    this->send(page::play);
    this->kind.messages.answer = answer::IDNO;
    this->send(page::fileNew);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(first)));
    EXPECT_TRUE(this->take().isTemporary());
    EXPECT_EQ(this->page->isPlaying(), playsOn);
    this->kind.playSome(*this->page);
    EXPECT_EQ(this->take().length() > 0, playsOn);
}

// No take was open: the play is kept all the same, and saved under the page's own name.
TYPED_TEST(SoundPageFilesTest, KeepLastPerformanceSavesThePlayWithoutATakeAndSaysWhenThereIsNone) {
    this->makePage();
    this->send(page::keepPerformance);
    ASSERT_EQ(this->kind.messages.shown.size(), 1u);
    EXPECT_EQ(this->kind.messages.shown[0].text,
              "There is no performance to keep yet: play this page first.");
    EXPECT_TRUE(this->kind.dialogs.saves.empty());

    this->send(page::play);
    this->kind.playSome(*this->page);
    this->send(page::stop);
    const QString kept = this->folder.filePath(QStringLiteral("kept.performance"));
    this->kind.dialogs.saveAnswers = {kept, this->folder.filePath(QStringLiteral("gone/x"))};
    EXPECT_EQ(this->send(page::keepPerformance), 1);
    ASSERT_EQ(this->kind.dialogs.saves.size(), 1u);
    EXPECT_TRUE(this->kind.dialogs.saves[0].folder.startsWith(QStringLiteral("performance-")));
    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("#lirveto-performance 1\npage=" +
                                QByteArray(this->performancePage()) + "\nscreen=1000x800\n"))
        << text.toStdString();
    // The first read, whenever it came on a busy machine.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\n\\d+ 0 \\d+ \\d+\n")).match(text).hasMatch())
        << text.toStdString();

    EXPECT_EQ(this->send(page::keepPerformance), 0);
    EXPECT_EQ(this->kind.messages.shown.back().text,
              "Can't keep the performance in " +
                  this->folder.filePath(QStringLiteral("gone/x")).toStdString() +
                  ": No such file or directory.");
}

// A kept play plays back with its own settings, which are given back when it ends; it is not
// kept again, and with a take open it does not start.
TYPED_TEST(SoundPageFilesTest, PlayBackUsesThePlaysSettingsUntilItEndsAndNeverRecords) {
    this->makePage();
    std::string error;
    const auto played = files::parsePerformance(
        std::string("#lirveto-performance 1\npage=") + this->performancePage() +
            "\nscreen=1000x800\nVolume=77\nreads=400\n0 0 900 100\n",
        error);
    ASSERT_TRUE(played) << error;
    settings::Volume = 50;
    ASSERT_TRUE(this->page->playBack(*played));
    EXPECT_TRUE(this->page->isPlaying());
    EXPECT_EQ(settings::Volume.load(), 77);
    this->kind.playSome(*this->page);
    this->send(page::stop);
    EXPECT_FALSE(this->page->isPlaying());
    EXPECT_FALSE(this->page->playingBack());
    EXPECT_EQ(settings::Volume.load(), 50);
    EXPECT_EQ(this->send(page::keepPerformance), 0);  // nothing was kept

    this->send(page::fileNew);
    EXPECT_FALSE(this->page->playBack(*played));
    EXPECT_FALSE(this->page->isPlaying());
    soundpagetest::pump();  // the box is queued
    ASSERT_FALSE(this->kind.messages.shown.empty());
    EXPECT_EQ(this->kind.messages.shown.back().text,
              "Close the recording before playing a performance back: what plays back is not "
              "recorded.");
}

TYPED_TEST(SoundPageFilesTest, ANewTakeThatCannotBeMadeNamesTheFolderAndTheReason) {
    this->makePage();
    const std::string missing = this->folder.filePath(QStringLiteral("gone")).toStdString();
    qputenv("TMPDIR", QByteArray::fromStdString(missing));
    this->send(page::fileNew);
    ASSERT_EQ(this->kind.messages.shown.size(), 1u);
    EXPECT_EQ(this->kind.messages.shown[0].text,
              "Can't create a temporary file for the recording in " + missing +
                  "/: No such file or directory.");
    EXPECT_EQ(this->kind.messages.shown[0].caption, "Lirveto");
}

// Bringing an unnamed take up to date would clear its changed mark, and the next New, Exit or
// signal would then drop it without asking.
TYPED_TEST(SoundPageFilesTest, SaveOnAnUnnamedTakeAsksForANameAndCancelKeepsTheTakeChanged) {
    this->makePage();
    const std::string temporary = this->recordSomething();
    this->send(page::fileSave);
    ASSERT_EQ(this->kind.dialogs.saves.size(), 1u);
    EXPECT_TRUE(this->take().isTemporary());
    EXPECT_TRUE(this->take().isModified());
    this->kind.messages.answer = answer::IDCANCEL;
    EXPECT_FALSE(this->page->canClose()) << "the take is still asked about";
    EXPECT_EQ(this->shownCount("Do you want to save?"), 1);

    const QString kept = this->page->rescueRecording(this->folder.path(), QStringLiteral("kept"));
    EXPECT_EQ(kept, this->path(QStringLiteral("kept")));

    this->recordSomething();
    this->kind.dialogs.saveAnswers << this->path(QStringLiteral("named"));
    this->send(page::fileSave);
    EXPECT_FALSE(this->take().isTemporary());
    EXPECT_EQ(this->title(),
              QLatin1String("named.") + QLatin1String(TypeParam::suffix) + " Lirveto");
    this->send(page::fileSave);  // named now: brought up to date without asking
    EXPECT_EQ(this->kind.dialogs.saves.size(), 2u);
}

// The page stops before its file is finished, so the engine ends the sound (a MIDI take gets
// its note-off) before the file is closed; a named take is then finished where it is.
TYPED_TEST(SoundPageFilesTest, CloseWhilePlayingStopsThePageFirst) {
    this->makePage();
    this->send(page::fileNew);
    this->kind.dialogs.saveAnswers << this->path(QStringLiteral("take"));
    this->send(page::fileSaveAs);
    this->send(page::play);
    this->kind.playSome(*this->page);
    this->send(page::fileClose);
    EXPECT_FALSE(this->page->isPlaying());
    EXPECT_FALSE(this->take().isOpen());
    EXPECT_EQ(this->playCaption(), QStringLiteral("&Play"));
    EXPECT_EQ(this->button(106)->state(), controls::CoolButton::held);
    EXPECT_TRUE(this->kind.messages.shown.empty());
}

TYPED_TEST(SoundPageFilesTest, EndingOnASignalKeepsAnUnnamedTakeWhilePlaying) {
    this->makePage();
    this->send(page::fileNew);
    this->send(page::play);
    this->kind.playSome(*this->page);
    const std::string temporary = this->take().fileName();
    QFile taken(this->path(QStringLiteral("take")));  // the first free name is the next one
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();
    const QString kept = this->page->rescueRecording(this->folder.path(), QStringLiteral("take"));
    EXPECT_FALSE(this->page->isPlaying());
    EXPECT_EQ(kept, this->path(QStringLiteral("take-2")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(temporary)));
    EXPECT_FALSE(this->take().isOpen());
    EXPECT_TRUE(TypeParam::isFinished(kept));

    // Nothing recorded: nothing kept, nothing left behind.
    this->send(page::fileNew);
    const std::string empty = this->take().fileName();
    EXPECT_TRUE(
        this->page->rescueRecording(this->folder.path(), QStringLiteral("again")).isEmpty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(empty)));
}

// A full disk stops the take for the play it failed in; the next Play tries again.
TYPED_TEST(SoundPageFilesTest, AFailedWriteStopsTheTakeOnlyUntilTheNextPlay) {
    this->makePage();
    this->send(page::fileNew);
    const QString name = QString::fromStdString(this->take().fileName());
    {
        const testing_support::FileSizeLimit full(static_cast<rlim_t>(QFileInfo(name).size()));
        this->send(page::play);
        this->kind.playSome(*this->page);
        this->send(page::stop);
    }
    const uint32_t cut = this->take().length();
    this->send(page::play);
    this->kind.playSome(*this->page);
    this->send(page::stop);
    EXPECT_GT(this->take().length(), cut);
}

}  // namespace
}  // namespace soundpagetest
