#pragma once
// Window messages carried as Qt events: posted (queued) or sent (delivered at once).

#include <QEvent>
#include <QObject>
#include <memory>
#include <mutex>

#include "framework/messages.h"
#include "platform/thread_owner.h"

namespace framework {

class MessageEvent : public QEvent {
  public:
    MessageEvent(UINT msg, WPARAM first, LPARAM second);
    static QEvent::Type eventType();

    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool handled = false;
};

// Queues the message for the target's thread and returns at once. Thread: any thread, while the
// target is alive; from a thread that cannot know that, post through a MessagePort.
// Returns false when there is no target.
bool postMessage(QObject* target, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Delivers the message at once and returns the handler's result (0 when unhandled or no target).
// Thread: GUI (the target's own; checked in debug builds).
LRESULT sendMessage(QObject* target, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Marks a window-message handler running on the GUI thread, so that what must not happen inside
// one (opening a modal box) can wait for the event loop. GUI thread.
class HandlerScope {
  public:
    HandlerScope();
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;
    // Whether a handler is running on this thread now.
    static bool active();
};

// A postbox for a window that other threads (timer steps, notifier threads) keep: posting after
// the window is gone is dropped instead of touching freed memory. The post locks and allocates,
// so no audio callback may call it.
class MessagePort {
  public:
    explicit MessagePort(QObject* window) : target(window) {}
    MessagePort(const MessagePort&) = delete;
    MessagePort& operator=(const MessagePort&) = delete;

    // Thread: any thread but audio. False once the window has closed the port.
    bool post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Thread: GUI (the port's creator; checked in debug builds), from the window's destructor:
    // no post reaches the window after this returns.
    void close();

  private:
    platform::ThreadOwner owner;
    std::mutex mutex;
    QObject* target;
};

}  // namespace framework
