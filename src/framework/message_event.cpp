#include "framework/message_event.h"

#include <QCoreApplication>
#include <QThread>

namespace framework {

MessageEvent::MessageEvent(UINT msg, WPARAM first, LPARAM second)
    : QEvent(eventType()), message(msg), wParam(first), lParam(second) {}

QEvent::Type MessageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

namespace {
thread_local int handlersRunning = 0;
}  // namespace

HandlerScope::HandlerScope() {
    ++handlersRunning;
}

HandlerScope::~HandlerScope() {
    --handlersRunning;
}

bool HandlerScope::active() {
    return handlersRunning > 0;
}

bool postMessage(QObject* target, UINT message, WPARAM wParam, LPARAM lParam) {
    if (target == nullptr) {
        return false;
    }
    // postEvent is thread-safe and drops events still queued when the receiver is deleted.
    QCoreApplication::postEvent(target, new MessageEvent(message, wParam, lParam));
    return true;
}

LRESULT sendMessage(QObject* target, UINT message, WPARAM wParam, LPARAM lParam) {
    if (target == nullptr) {
        return 0;
    }
    platform::ThreadOwner::require(QThread::currentThread() == target->thread(), "sendMessage");
    MessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(target, &event);
    return event.result;
}

bool MessagePort::post(UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(mutex);
    return postMessage(target, message, wParam, lParam);
}

void MessagePort::close() {
    owner.check("MessagePort::close");
    std::lock_guard lock(mutex);
    target = nullptr;
}

}  // namespace framework
