#include "app/first_start_hint.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/registry.h"

namespace app {

namespace {

constexpr const char* kHowToPlay =
    "<b>How to play:</b> press <b>Space</b>, then move the mouse: across for the pitch, up and "
    "down for the loudness; Space again stops. <b>F11</b> plays on the whole screen with the "
    "notes shown. The Play button sounds where the pointer is, on the button itself, so start "
    "with Space. The Semitones layout gives every note the same width (A2 to A6 across the "
    "screen).";

}  // namespace

FirstStartHint::FirstStartHint(QWidget* parent, std::function<void()> chooseSemitones)
    : QFrame(parent),
      label(new QLabel(QString::fromUtf8(kHowToPlay), this)),
      semitones(new QPushButton(QStringLiteral("Semitones layout"), this)),
      close(new QPushButton(QStringLiteral("Close"), this)) {
    setObjectName(QStringLiteral("firstStartHint"));
    setFrameShape(QFrame::StyledPanel);
    label->setWordWrap(true);
    label->setTextFormat(Qt::RichText);
    // Space must keep toggling the play, not press a button that has the focus.
    semitones->setFocusPolicy(Qt::NoFocus);
    close->setFocusPolicy(Qt::NoFocus);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(semitones);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(label);
    layout->addLayout(buttons);
    connect(semitones, &QPushButton::clicked, this, [this, choose = std::move(chooseSemitones)] {
        if (choose) {
            choose();
        }
        semitones->setText(QStringLiteral("Semitones on"));
        semitones->setEnabled(false);
    });
    connect(close, &QPushButton::clicked, this, &QObject::deleteLater);
    // Esc puts it away from the keyboard, as Close does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QObject::deleteLater);
}

bool FirstStartHint::isFirstStart() {
    const auto path = platform::registryFilePath();
    std::error_code error;
    return path && !std::filesystem::exists(*path, error) && !error;
}

QString FirstStartHint::text() const {
    return label->text();
}

}  // namespace app
