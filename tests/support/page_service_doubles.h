#pragma once
// Recording stand-ins for what the application hands a sound page: the status bar, the file
// choosers, and a main window that keeps the messages posted to it.

#include <QStringList>
#include <utility>
#include <vector>

#include "framework/page_services.h"
#include "framework/window.h"

namespace testing_support {

using framework::FileDialogs;
using framework::MessageEvent;
using framework::StatusText;
using framework::TWindow;
using framework::UINT;
using framework::WPARAM;

struct RecordingStatus : StatusText {
    QStringList texts;
    void setStatusText(const QString& text) override { texts.push_back(text); }
};

// Answers each chooser from a list (an empty answer, or none left, is Cancel).
struct FakeFileDialogs : FileDialogs {
    struct Asked {
        QString title, filter, folder, suffix;
    };
    QStringList openAnswers;
    QStringList saveAnswers;
    std::vector<Asked> opens;
    std::vector<Asked> saves;

    QString openFileName(QWidget*, const QString& title, const QString& filter,
                         const QString& folder, const QString& suffix) override {
        opens.push_back({title, filter, folder, suffix});
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString saveFileName(QWidget*, const QString& title, const QString& filter,
                         const QString& folder, const QString& suffix) override {
        saves.push_back({title, filter, folder, suffix});
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
};

// The main window: keeps the window messages posted to it.
class RecordingFrame : public TWindow {
  public:
    std::vector<std::pair<UINT, WPARAM>> received;

  protected:
    bool dispatchMessage(MessageEvent& event) override {
        received.emplace_back(event.message, event.wParam);
        return true;
    }
};

}  // namespace testing_support
