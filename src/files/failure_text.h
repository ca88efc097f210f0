#pragma once
// What the user is told when a recording file fails: the file's name and the reason, in one
// sentence.
//
// Threads: whichever uses the file, under its lock.

#include <string>

#include "files/riff_file.h"

namespace files {

// `what` ("Can't open /a/take.wav.") completed by the file's last reason:
// "Can't open /a/take.wav: Permission denied."
std::string failureText(std::string what, const RiffFile& file);

// An append to the recording failed: "Can't write to the recording /tmp/RIF1A2B.TMP: No space
// left on device. The recording keeps what it holds so far."
std::string writeFailureText(const RiffFile& file);

}  // namespace files
