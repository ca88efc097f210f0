#pragma once
// A message box double that behaves like a modal one: while it is "open" its own event loop runs
// for a moment, delivering whatever is queued, as a real box's loop would. It records where it
// was opened from.

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/message_event.h"
#include "platform/message_box.h"

namespace testing_support {

struct LoopingMessageBox : platform::MessageBox {
    std::vector<std::string> texts;  // "caption: text"
    int depth = 0;
    int deepest = 0;
    bool openedInHandler = false;
    bool openedOverAnotherBox = false;
    std::function<void()> whileOpen;  // runs each time a box opens, inside its loop
    int openMilliseconds = 30;

    int show(const std::string& text, const std::string& caption,
             platform::MessageBoxStyle /*style*/) override {
        texts.push_back(caption + ": " + text);
        deepest = std::max(deepest, ++depth);
        openedInHandler = openedInHandler || framework::HandlerScope::active();
        openedOverAnotherBox = openedOverAnotherBox || QApplication::activeModalWidget() != nullptr;
        QEventLoop loop;
        if (whileOpen) {
            QTimer::singleShot(0, &loop, whileOpen);
        }
        QTimer::singleShot(openMilliseconds, &loop, &QEventLoop::quit);
        loop.exec();
        --depth;
        return platform::MessageBoxResult::IDOK;
    }
};

}  // namespace testing_support
