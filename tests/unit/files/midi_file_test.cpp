// MIDI recordings: the standard layout on disk after every open, save and close, and recording
// on into a finished file or one a crash left in the working layout.

#include "files/midi_file.h"

#include "file_test_support.h"
#include "support/file_size_limit.h"

namespace {

using namespace files;
using namespace files_test;

class MidiFileTest : public TempFolderTest {
  protected:
    int owner = 0;
};

const Bytes kTrack0 = {0x00, 0xFF, 0x7F, 0x03, 0x00, 0x00, 0x41, 0x00, 0xFF,
                       0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x51,
                       0x03, 0x00, 0x5D, 0xC0, 0x00, 0xFF, 0x2F, 0x00};

// The documented final layout around the given events (which end with the end of track).
Bytes finalLayout(const Bytes& events) {
    Bytes file;
    append(file, "MThd");
    appendBe32(file, 6);
    append(file, {0x00, 0x01, 0x00, 0x02, 0x00, 0x18});
    append(file, "MTrk");
    appendBe32(file, 26);
    append(file, kTrack0);
    append(file, "MTrk");
    appendBe32(file, static_cast<uint32_t>(events.size()));
    append(file, events);
    if (events.size() % 2 != 0) {
        file.push_back(0);
    }
    return file;
}

Bytes withEnd(Bytes events) {
    append(events, {0x00, 0xFF, 0x2F, 0x00});
    return events;
}

int32_t put(MidiFile& file, const Bytes& bytes) {
    return file.write(bytes.data(), static_cast<int32_t>(bytes.size()));
}

TEST_F(MidiFileTest, AFileCreatedAndClosedAtOnceHoldsOnlyTheEndOfTrack) {
    const std::string name = pathOf("empty.mid");
    MidiFile file(&owner);
    ASSERT_TRUE(file.open(name.c_str()));
    ASSERT_TRUE(file.close());
    EXPECT_EQ(readBytes(name), finalLayout(withEnd({})));
}

TEST_F(MidiFileTest, AnOddEventTrackIsPaddedAndTrack0IsAlwaysTheSame) {
    const Bytes events = {0x00, 0xC0, 0x49, 0x00, 0x90, 0x3C, 0x64, 0x05, 0x80, 0x3C, 0x00};
    const std::string name = pathOf("odd.mid");
    {
        MidiFile file(&owner);
        ASSERT_TRUE(file.open(name.c_str()));
        ASSERT_EQ(put(file, events), 11);
    }  // destroying an open file finishes it
    const Bytes bytes = readBytes(name);
    EXPECT_EQ(bytes, finalLayout(withEnd(events)));
    EXPECT_EQ(bytes.size() % 2, 0U);
    EXPECT_EQ(Bytes(bytes.begin() + 22, bytes.begin() + 48), kTrack0);
}

TEST_F(MidiFileTest, EverySaveLeavesAStandardFileAndTheNextEventGoesOverItsEnd) {
    MidiFile file(&owner);
    ASSERT_TRUE(file.newFile(nullptr));
    EXPECT_EQ(file.title(), "[noname.MID]");
    const std::string name = file.fileName();
    EXPECT_EQ(readBytes(name), finalLayout(withEnd({}))) << "a new recording";

    const Bytes first = {0x00, 0x90, 0x40, 0x50, 0x81, 0x00, 0x80, 0x40, 0x00};  // odd: padded
    ASSERT_EQ(put(file, first), 9);
    ASSERT_TRUE(file.bringUpToDate());
    EXPECT_FALSE(file.isModified());
    EXPECT_EQ(file.length(), 9U) << "the end of track is not part of the recording";
    EXPECT_EQ(readBytes(name), finalLayout(withEnd(first)));
    EXPECT_EQ(file.write(first.data(), 0), 0);
    EXPECT_EQ(readBytes(name), finalLayout(withEnd(first))) << "an empty write changes nothing";

    const Bytes second = {0x05, 0xB0, 0x07, 0x64};
    ASSERT_EQ(put(file, second), 4);
    // Unsaved: the track on disk declares the saved events only, not half of the new one.
    const Bytes unsaved = readBytes(name);
    const Bytes saved = finalLayout(first);
    ASSERT_GE(unsaved.size(), saved.size());
    EXPECT_EQ(Bytes(unsaved.begin(), unsaved.begin() + 65), Bytes(saved.begin(), saved.end() - 1));

    ASSERT_TRUE(file.bringUpToDate());
    Bytes both = first;
    append(both, second);
    const Bytes upToDate = readBytes(name);
    EXPECT_EQ(upToDate, finalLayout(withEnd(both)));
    ASSERT_TRUE(file.close()) << "the file is kept: close never deletes a MIDI recording";
    EXPECT_EQ(readBytes(name), upToDate) << "nothing left for close to convert";
    std::filesystem::remove(name);
}

TEST_F(MidiFileTest, SaveAsLeavesAStandardFileAndRecordingGoesOn) {
    MidiFile file(&owner);
    ASSERT_TRUE(file.newFile(nullptr));
    ASSERT_EQ(put(file, {0x00, 0xB0, 0x07, 0x64}), 4);
    const std::string name = pathOf("saved.mid");
    ASSERT_TRUE(file.saveAs(name.c_str()));
    EXPECT_EQ(file.title(), "saved.mid");
    EXPECT_EQ(readBytes(name), finalLayout(withEnd({0x00, 0xB0, 0x07, 0x64})));
    EXPECT_EQ(file.position(), 4U);
    ASSERT_EQ(put(file, {0x0A, 0x90, 0x3C, 0x40}), 4);
    ASSERT_TRUE(file.close());
    EXPECT_EQ(readBytes(name),
              finalLayout(withEnd({0x00, 0xB0, 0x07, 0x64, 0x0A, 0x90, 0x3C, 0x40})));
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"saved.mid"});
}

// Files that a crash left in the working layout: little-endian lengths, "MTrr", no end of track.
TEST_F(MidiFileTest, AFileLeftInTheWorkingLayoutOpensAsAStandardOne) {
    const Bytes events = {0x00, 0x90, 0x40, 0x50, 0x05, 0x80, 0x40, 0x00};
    Bytes working;
    append(working, "MThd");
    appendLe32(working, 6);
    append(working, {0x00, 0x01, 0x00, 0x02, 0x00, 0x18});
    append(working, "MTrr");
    appendLe32(working, 26);
    append(working, kTrack0);
    append(working, "MTrk");
    appendLe32(working, static_cast<uint32_t>(events.size()));
    append(working, events);
    const std::string name = pathOf("crashed.mid");
    writeBytes(name, working);

    MidiFile file(&owner);
    ASSERT_TRUE(file.open(name.c_str()));
    EXPECT_EQ(file.length(), 8U);
    EXPECT_EQ(readBytes(name), finalLayout(withEnd(events)));
}

// A save keeps room for the end of track; events recorded after it can take that room, and a
// disk full then (a file size limit here) leaves close short of it.
TEST_F(MidiFileTest, CloseOnAFullDiskAfterMoreEventsSaysTheEndOfTrackIsShort) {
    const std::string name = pathOf("full.mid");
    MidiFile file(&owner);
    ASSERT_TRUE(file.newFile(nullptr));
    ASSERT_EQ(put(file, {0x00, 0xC0, 0x49}), 3);
    ASSERT_TRUE(file.saveAs(name.c_str()));
    {
        const testing_support::FileSizeLimit fullDisk(readBytes(name).size());
        EXPECT_TRUE(file.close()) << "the saved end of track is in place";
    }
    EXPECT_FALSE(file.endOfTrackWasShort());

    ASSERT_TRUE(file.open(name.c_str()));
    ASSERT_EQ(put(file, {0x05, 0x90, 0x3C, 0x64, 0x05, 0x80, 0x3C, 0x00}), 8);
    {
        const testing_support::FileSizeLimit fullDisk(readBytes(name).size());
        EXPECT_FALSE(file.close());
    }
    EXPECT_TRUE(file.endOfTrackWasShort());
}

TEST_F(MidiFileTest, SaveAsThenQuittingLeavesTheFinalLayout) {
    const std::string name = pathOf("quit.mid");
    {
        MidiFile file(&owner);
        ASSERT_TRUE(file.newFile(nullptr));
        ASSERT_TRUE(file.saveAs(name.c_str()));
    }
    EXPECT_EQ(readBytes(name), finalLayout(withEnd({})));
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"quit.mid"});
}

TEST_F(MidiFileTest, AFinishedFileTakesNewEventsAfterTheOldOnes) {
    const std::string name = pathOf("again.mid");
    const Bytes first = {0x00, 0x90, 0x40, 0x50};
    const Bytes second = {0x05, 0x80, 0x40, 0x00, 0x00, 0xC0};  // odd total on purpose
    {
        MidiFile file(&owner);
        ASSERT_TRUE(file.open(name.c_str()));
        ASSERT_EQ(put(file, first), 4);
    }
    MidiFile file(&owner);
    ASSERT_TRUE(file.open(name.c_str()));
    EXPECT_EQ(file.length(), 4U) << "the old end of track is taken off";
    EXPECT_EQ(file.position(), 4U);
    ASSERT_EQ(put(file, second), 6);
    ASSERT_TRUE(file.close());
    Bytes both = first;
    append(both, second);
    EXPECT_EQ(readBytes(name), finalLayout(withEnd(both)));

    // Opened and closed again without recording: the file comes back unchanged.
    const Bytes before = readBytes(name);
    ASSERT_TRUE(file.open(name.c_str()));
    ASSERT_TRUE(file.close());
    EXPECT_EQ(readBytes(name), before);
}

TEST_F(MidiFileTest, FilesInNeitherLayoutAreRefusedAndLeftAlone) {
    const Bytes good = finalLayout(withEnd({0x00, 0x90, 0x40, 0x50}));
    std::vector<std::pair<const char*, Bytes>> cases;
    cases.emplace_back("empty", Bytes{});
    cases.emplace_back("header only", Bytes(good.begin(), good.begin() + 14));
    Bytes format0 = good;
    format0[9] = 0;
    cases.emplace_back("another format", format0);
    Bytes otherTrack0 = good;
    otherTrack0[28] = 0x59;
    cases.emplace_back("another tempo track", otherTrack0);
    Bytes mixed = good;
    mixed[17] = 'r';
    cases.emplace_back("half converted", mixed);
    Bytes tooLong = good;
    tooLong[52] = 0x01;
    cases.emplace_back("track length beyond the file", tooLong);
    Bytes followed = good;
    append(followed, "MTrk");
    appendBe32(followed, 0);
    cases.emplace_back("a third track", followed);
    Bytes unended = finalLayout({0x00, 0x90, 0x40, 0x50});
    append(unended, "MTrk");
    appendBe32(unended, 0);
    cases.emplace_back("a third track after one without its end", unended);
    Bytes cut(good.begin(), good.end() - 3);
    cases.emplace_back("truncated", cut);

    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        const std::string name = pathOf("bad.mid");
        writeBytes(name, bytes);
        MidiFile file(&owner);
        EXPECT_FALSE(file.open(name.c_str()));
        EXPECT_FALSE(file.isOpen());
        EXPECT_EQ(readBytes(name), bytes);
    }
}

TEST_F(MidiFileTest, DiscardDeletesTheTemporaryRecording) {
    MidiFile file(&owner);
    ASSERT_TRUE(file.newFile(nullptr));
    ASSERT_EQ(put(file, {0x00, 0x90, 0x40, 0x50}), 4);
    EXPECT_TRUE(file.discard());
    EXPECT_TRUE(filesInFolder().empty());
    EXPECT_EQ(file.owner(), &owner);
}

}  // namespace
