#pragma once
// The cursor for engines that read it on the timer thread. Under X11 the pointer comes from the
// X server through a connection of our own (DesktopPointer): told as it moves where the server
// has XInput 2, so a read is an atomic load, else asked for. Where no program may read a global
// pointer (Wayland, the offscreen platform) it is the last position Lirveto's own windows saw
// (the play surface covers the whole screen): the GUI thread keeps it in an atomic from every
// pointer event and from each read it makes itself. A read never waits for the GUI thread.
//
// Positions and the size are in device pixels from the primary screen's corner (CursorSource).
// The screen's place and scale are taken when the source is made and again at each
// primaryScreenSize(), so the positions agree with the size the pages took.

#include <QObject>
#include <atomic>
#include <memory>
#include <thread>

#include "platform/backends/desktop_pointer.h"
#include "platform/cursor_source.h"
#include "platform/latest_position.h"

namespace platform {

class AnyThreadCursorSource final : public QObject, public platform::CursorSource {
  public:
    // GUI thread, after the application object exists. Watches the application's pointer events.
    AnyThreadCursorSource();
    // The same over the given X server's pointer, whatever the platform (tests).
    explicit AnyThreadCursorSource(std::unique_ptr<DesktopPointer> xPointer);
    ~AnyThreadCursorSource() override;

    // Any thread.
    platform::CursorPosition cursorPosition() override;
    // GUI thread. 0 x 0 when there is no screen.
    platform::ScreenSize primaryScreenSize() override;

    // Any thread. True when the position comes from the X server.
    bool readsXPointer() const { return pointer != nullptr; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void takeFrame(const platform::ScreenFrame& taken);
    platform::ScreenFrame frame() const;
    void remember(platform::CursorPosition position);

    std::unique_ptr<DesktopPointer> pointer;
    LatestPosition seen;
    // The primary screen's corner and scale; written on the GUI thread only.
    LatestPosition corner;
    std::atomic<double> scale{1.0};
    std::thread::id guiThread;
};

}  // namespace platform
