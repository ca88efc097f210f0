#pragma once
// A Standard MIDI File of format 1 with a fixed tempo track and one event track that grows while
// the user plays.
//
// After every open, bring up to date, save as and close the file on disk is a Standard MIDI File
// holding everything recorded so far: big-endian lengths and an end of track after the events.
// That end of track is not part of the recording's length: the next event is written over it,
// and until the next save the track declares only the events saved before, so a file left by a
// crash still reads. The chunk functions, which know only little-endian lengths, find the event
// track in a working layout (lengths little-endian, track 0 named "MTrr" so that the only
// "MTrk" chunk is the event track); open passes through it, and reads a file left in it too.
//
// Threads: as RiffFile. The MIDI engine writes from its timer thread under the lock that the
// page takes for its file commands.

#include "files/riff_file.h"

namespace files {

class MidiFile : public RiffFile {
  public:
    // owner: the page's token; the file never reads it.
    explicit MidiFile(void* owner);
    ~MidiFile() override;

    // Positions at the end of the recorded events, so that new ones follow them, and leaves the
    // standard layout on disk. Refuses a file that is in neither layout.
    bool open(const char* name) override;
    // Ends the track on disk after the events and writes the standard layout, then makes the
    // file durable; recording goes on at the end of the events.
    bool bringUpToDate() override;
    // Before the first event over an end of track on disk, the track length on disk drops to
    // the events before it.
    int32_t write(const void* bytes, int32_t count) override;
    // Header chunk and track 0, in the working layout.
    bool writeHeader() override;
    // Checks the layout and brings a finished file back into the working layout, without its
    // end of track.
    bool readHeader() override;
    // There is no form: descending into it goes back to the top of the file.
    bool descend(const char* chunkName, bool intoForm, bool rewind) override;
    std::string title() const override;
    // Ends the track and converts the file to the final layout. Never deletes a temporary file.
    bool close() override;

    void* owner() const { return ownerToken; }
    // Whether the last close wrote fewer than the 4 bytes of the end of track.
    bool endOfTrackWasShort() const { return shortEndOfTrack; }

  private:
    bool putBytes(int64_t offset, const void* bytes, int32_t count);
    // The big-endian lengths and the "MTrk" id of the standard layout, flushed to disk.
    bool writeStandardFields(int64_t trackLengthField, uint32_t trackLength);
    // The end of track (and a pad byte) after the events, and the standard length fields.
    bool writeStandardLayout();

    void* ownerToken;
    bool shortEndOfTrack = false;
    // An end of track that is not part of the recording follows the events on disk.
    bool endOfTrackOnDisk = false;
    platform::MMCKINFO headerInfo{};
};

}  // namespace files
