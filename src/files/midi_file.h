#pragma once
// A Standard MIDI File of format 1 with a fixed tempo track and one event track that grows while
// the user plays.
//
// While open the file keeps a working layout that the chunk functions can handle: the three
// length fields little-endian and track 0 named "MTrr", so that the only "MTrk" chunk is the
// event track. Closing converts it in place into the standard big-endian layout; opening a
// finished file brings it back into the working layout and continues after its last event.
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

    // Positions at the end of the recorded events, so that new ones follow them. Refuses a file
    // that is in neither layout.
    bool open(const char* name) override;
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

    void* ownerToken;
    bool shortEndOfTrack = false;
    platform::MMCKINFO headerInfo{};
};

}  // namespace files
