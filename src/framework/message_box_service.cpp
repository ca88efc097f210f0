#include "framework/message_box_service.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>

#include "framework/message_event.h"

namespace framework {

namespace {

QEvent::Type wakeType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// How soon a box held back by a handler, another box or a menu is tried again.
constexpr int retryMilliseconds = 100;

}  // namespace

MessageBoxService::MessageBoxService(platform::MessageBox& shower, QObject* parent)
    : QObject(parent), boxes(shower) {
    later.setSingleShot(true);
    later.setInterval(retryMilliseconds);
    connect(&later, &QTimer::timeout, this, [this] { showWaiting(); });
}

void MessageBoxService::request(platform::BoxRequest box) {
    if (requests.add(std::move(box))) {
        // postEvent is thread-safe; the event is dropped if the service is gone first.
        QCoreApplication::postEvent(this, new QEvent(wakeType()));
    }
}

void MessageBoxService::resetCause(const std::string& cause) {
    requests.resetCause(cause);
}

bool MessageBoxService::mayOpenBox() {
    return !HandlerScope::active() && QApplication::activeModalWidget() == nullptr &&
           QApplication::activePopupWidget() == nullptr;
}

void MessageBoxService::customEvent(QEvent* e) {
    if (e->type() == wakeType()) {
        showWaiting();
    }
}

void MessageBoxService::showWaiting() {
    if (showing) {
        return;  // the box on screen takes the next one when it closes
    }
    while (!requests.empty()) {
        if (!mayOpenBox()) {
            later.start();
            return;
        }
        const std::optional<platform::BoxRequest> next = requests.takeNext();
        if (!next) {
            return;
        }
        showing = true;
        boxes.show(next->text, next->caption, next->style);
        showing = false;
        requests.finished(*next);
    }
}

}  // namespace framework
