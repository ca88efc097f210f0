#pragma once
// libasound's error messages, which it prints to stderr itself unless a program hands it a
// handler. Ours says nothing when there is simply no sequencer (no /dev/snd/seq, or no driver
// behind it): that is a normal machine, where the MIDI ports are just absent. Every other message
// goes to stderr as one line marked as libasound's.
//
// Thread: any. The handler keeps no state and allocates nothing.

namespace platform {

// Hands libasound our handler; only the first call does anything. Call it before the first
// libasound call whose messages should be ours.
void routeAlsaMessages();

// While one lives, libasound's messages are dropped: trying a sound output that may well be
// missing says why in its own failure, not in lines of libasound's on stderr.
class QuietAlsaMessages {
  public:
    QuietAlsaMessages();
    ~QuietAlsaMessages();
    QuietAlsaMessages(const QuietAlsaMessages&) = delete;
    QuietAlsaMessages& operator=(const QuietAlsaMessages&) = delete;
};

}  // namespace platform
