#pragma once
// MessageBoxService: the one way engines and notification handlers ask for a message box. A
// request from any thread is queued; the GUI thread shows it later from its event loop: never
// inside another box (ours or anyone's), a menu, or a window-message handler, and one box at a
// time. A repeat of a cause already waiting or showing is dropped; a once-per-cause request is
// dropped until its cause is reset.
//
//   services.messageQueue.request({files::writeFailureText(file), "Lirveto",
//                                  MessageBoxStyle::OkExclamation, "wave recording write", true});
//   services.messageQueue.resetCause("wave recording write");  // a new recording may fail again

#include <QObject>
#include <QTimer>

#include "platform/box_requests.h"
#include "platform/message_box.h"

namespace framework {

class MessageBoxService final : public QObject, public platform::MessageBoxQueue {
  public:
    // `boxes` opens each box and waits for it (the real one: QtMessageBox). Made on the GUI
    // thread, which shows the boxes.
    explicit MessageBoxService(platform::MessageBox& boxes, QObject* parent = nullptr);

    // Any thread.
    void request(platform::BoxRequest box) override;
    void resetCause(const std::string& cause) override;

    // GUI thread. Whether a box could open now.
    static bool mayOpenBox();

  protected:
    void customEvent(QEvent* e) override;

  private:
    void showWaiting();

    platform::MessageBox& boxes;
    platform::BoxRequests requests;
    bool showing = false;
    QTimer later;
};

}  // namespace framework
