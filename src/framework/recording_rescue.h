#pragma once
// Ending on a signal (logout, kill): nothing may be asked, yet no recording may be lost. Every
// sound page with a recording takes part through RecordingRescue.

#include <QString>

namespace framework {

class RecordingRescue {
  public:
    virtual ~RecordingRescue() = default;
    // Stops playing. An open recording that was never named and holds sound is brought up to date
    // and moved into `folder` (which exists) as `stem` plus the page's own suffix, on a name no
    // file has yet, or, when it cannot be moved, left up to date where it is; its path is returned.
    // A named recording is brought up to date and closed where it is. Empty when there was no
    // unnamed recording to keep. GUI thread.
    virtual QString rescueRecording(const QString& folder, const QString& stem) = 0;
    // The program ends (Exit, window close or a signal): the page's newest play since start, when
    // the user did not keep it, is written into `folder` (which exists) as a performance file
    // named from `stem` and the page (in place of a file of that name when `replace`, else beside
    // it), and its path returned. Empty when there was none to keep or it could not be written
    // (then a line on stderr says why). GUI thread, the page stopped.
    virtual QString rescuePerformance(const QString& /*folder*/, const QString& /*stem*/,
                                      bool /*replace*/) {
        return {};
    }
};

// `folder/stem.suffix`, or `folder/stem-2.suffix`, `-3`... when taken. Any thread.
QString freeFileName(const QString& folder, const QString& stem, const QString& suffix);

}  // namespace framework
