#pragma once
// TWindow: a Qt widget that answers window messages through its class's response table.

#include <QWidget>
#include <memory>

#include "framework/message_event.h"
#include "framework/response_table.h"

namespace framework {

// What every message window offers, whatever Qt widget it is built on.
class MessageWindow {
  public:
    MessageWindow() = default;
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;
    virtual ~MessageWindow() = default;

    // Creates the window's children once (a dialog from its template); GUI thread.
    virtual void create() {}
    // Asked before the program closes; false keeps it open. GUI thread.
    virtual bool canClose() { return true; }
    // Handles one message; true when a handler took it.
    virtual bool dispatchMessage(MessageEvent& event);
};

template <class Base>
class TWindowT : public Base, public MessageWindow {
  public:
    using Base::Base;
    ~TWindowT() override { port->close(); }

    // For threads that post to this window and may outlive it. Any thread.
    std::shared_ptr<MessagePort> messagePort() const { return port; }

  protected:
    bool event(QEvent* e) override {
        if (e->type() == MessageEvent::eventType()) {
            auto* message = static_cast<MessageEvent*>(e);
            const HandlerScope inHandler;
            message->handled = dispatchMessage(*message);
            return true;
        }
        return Base::event(e);
    }

  private:
    std::shared_ptr<MessagePort> port = std::make_shared<MessagePort>(this);
};

using TWindow = TWindowT<QWidget>;

// Control ids of dialog children (GetDlgCtrlID / GetDlgItem); 0 for a widget without one.
void setDialogControlId(QWidget* control, int id);
int dialogControlId(const QWidget* control);
QWidget* dialogItem(const QWidget* dialog, int id);

}  // namespace framework
