#pragma once
// THotLink: a button drawn as an underlined web address that opens the address when clicked.

#include <QAbstractButton>
#include <functional>
#include <string>

#include "framework/window.h"

namespace app {

class THotLink : public framework::TWindowT<QAbstractButton> {
  public:
    using Opener = std::function<void(const std::string&)>;

    // `address` is both the text shown and the address opened, unchanged.
    THotLink(QWidget* parent, int id, std::string address, Opener opener);

    const std::string& address() const { return link; }
    // The dotted rectangle drawn around the text while the link has the focus.
    QRect focusRect() const;

    static constexpr unsigned linkColor = 0xC00000;  // 0x00BBGGRR: blue 192

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    int anchorY() const;

    std::string link;
    Opener open;
};

}  // namespace app
