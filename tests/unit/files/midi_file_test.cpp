// MIDI recordings: the working layout while open, the standard layout after close, and
// recording on into a finished file.

#include "files/midi_file.h"

#include "file_test_support.h"

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

TEST_F(MidiFileTest, ClosingConvertsThreeLengthFieldsAndOneLetter) {
    MidiFile file(&owner);
    ASSERT_TRUE(file.newFile(nullptr));
    EXPECT_EQ(file.title(), "[noname.MID]");
    ASSERT_EQ(put(file, {0x00, 0x90, 0x40, 0x50, 0x81, 0x00, 0x80, 0x40, 0x00}), 9);
    ASSERT_EQ(put(file, {0x00, 0xFF, 0x2F, 0x00}), 4);  // as close would write it
    ASSERT_TRUE(file.bringUpToDate());
    const std::string name = file.fileName();
    const Bytes working = readBytes(name);
    // A direct look at the working layout.
    EXPECT_EQ(le32At(working, 4), 6U);
    EXPECT_EQ(std::string(working.begin() + 14, working.begin() + 18), "MTrr");
    EXPECT_EQ(le32At(working, 18), 26U);
    EXPECT_EQ(le32At(working, 52), 13U);

    // Write the end of track again at the same place, then close.
    ASSERT_TRUE(file.seek(9));
    ASSERT_TRUE(file.close()) << "the file is kept: close never deletes a MIDI recording";
    const Bytes finished = readBytes(name);
    ASSERT_EQ(finished.size(), working.size());
    std::vector<size_t> changed;
    for (size_t i = 0; i < finished.size(); ++i) {
        if (finished[i] != working[i]) {
            changed.push_back(i);
        }
    }
    // 4..7, the letter at 17, 18..21, 52..55; a byte equal in both orders does not change.
    for (size_t i : changed) {
        EXPECT_TRUE((i >= 4 && i < 8) || i == 17 || (i >= 18 && i < 22) || (i >= 52 && i < 56))
            << "byte " << i << " changed";
    }
    EXPECT_EQ(finished[17], 'k');
    EXPECT_EQ(finished,
              finalLayout(withEnd({0x00, 0x90, 0x40, 0x50, 0x81, 0x00, 0x80, 0x40, 0x00})));
    std::filesystem::remove(name);
}

TEST_F(MidiFileTest, SaveAsKeepsTheWorkingLayoutUntilTheRecordingEnds) {
    MidiFile file(&owner);
    ASSERT_TRUE(file.newFile(nullptr));
    ASSERT_EQ(put(file, {0x00, 0xB0, 0x07, 0x64}), 4);
    const std::string name = pathOf("saved.mid");
    ASSERT_TRUE(file.saveAs(name.c_str()));
    EXPECT_EQ(file.title(), "saved.mid");
    EXPECT_EQ(le32At(readBytes(name), 4), 6U) << "still the working layout";
    ASSERT_EQ(put(file, {0x0A, 0x90, 0x3C, 0x40}), 4);
    ASSERT_TRUE(file.close());
    EXPECT_EQ(readBytes(name),
              finalLayout(withEnd({0x00, 0xB0, 0x07, 0x64, 0x0A, 0x90, 0x3C, 0x40})));
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"saved.mid"});
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
