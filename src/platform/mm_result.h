#pragma once
// Result codes of the multimedia functions (wave output, MIDI output, timers), numbered as the
// multimedia library numbers them: codes are shown to the user as "%d".

#include <cstdint>

namespace platform::mm {

using MmResult = uint32_t;

constexpr MmResult MMSYSERR_NOERROR = 0;
constexpr MmResult MMSYSERR_ERROR = 1;
constexpr MmResult MMSYSERR_BADDEVICEID = 2;
constexpr MmResult MMSYSERR_ALLOCATED = 4;
constexpr MmResult MMSYSERR_INVALHANDLE = 5;
constexpr MmResult MMSYSERR_NODRIVER = 6;
constexpr MmResult MMSYSERR_NOMEM = 7;
constexpr MmResult MMSYSERR_NOTSUPPORTED = 8;
constexpr MmResult MMSYSERR_INVALFLAG = 10;
constexpr MmResult MMSYSERR_INVALPARAM = 11;

}  // namespace platform::mm
