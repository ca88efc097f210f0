#pragma once
// The DirectSound page in a stand-in main window titled "Lirveto", over a fake DirectSound, a
// timer that moves only when told and the real message-box queue; the other services are the
// Wave page's doubles.

#include <gtest/gtest.h>

#include "../wave_page/page_fixture.h"
#include "framework/message_box_service.h"
#include "pages/dsound_page.h"
#include "platform/mmtimer_manual.h"
#include "support/fake_direct_sound.h"

namespace dsoundpagetest {

using namespace framework;
using wavepagetest::FakeFileDialogs;
using wavepagetest::ForwardingWaveOut;
using wavepagetest::RecordingFrame;
using wavepagetest::RecordingStatus;

using testing_support::ForwardingDirectSound;

class DirectSoundPageTest : public ::testing::Test {
  protected:
    DirectSoundPageTest() {
        settings::Volume = 50;
        settings::Pitch = 10;
        settings::Vibrato = 2;
        settings::Timbre = 0;
        settings::Stereo = false;
        settings::HighRate = false;
        settings::SixteenBit = false;
        settings::PlayOnStart = false;
        settings::MinimizeOnStart = false;
        services.timer = &timer;
        services.makeDirectSound = [this] {
            return std::make_unique<ForwardingDirectSound>(library);
        };
        frame.setWindowTitle(QStringLiteral("Lirveto"));
    }
    ~DirectSoundPageTest() override {
        page.reset();
        settings::PlayOnStart = playOnStart;
        settings::MinimizeOnStart = minimizeOnStart;
    }

    void makePage() {
        page = std::make_unique<pages::DirectSoundPage>(&frame, services);
        page->create();
        frame.resize(page->size());
        frame.show();
        pump();
    }

    // Runs `ms` steps with the device reading one step's worth of the buffer before each.
    void runSteps(int ms, uint32_t bytesPerMs = 22) {
        for (int i = 0; i < ms; ++i) {
            auto& buffer = library.buffer();
            buffer.writeCursor = (buffer.writeCursor + bytesPerMs) % buffer.size();
            timer.advanceTo(timer.nowMs() + 1);
        }
    }

    static void pump() { QCoreApplication::processEvents(); }
    LRESULT send(UINT message) { return sendMessage(page.get(), message); }

    controls::CoolButton* button(int id) const {
        return static_cast<controls::CoolButton*>(page->item(id));
    }
    QString label(int id) const { return static_cast<QLabel*>(page->item(id))->text(); }
    QWidget* focused() const { return frame.focusWidget(); }
    int shownCount(const std::string& text) const {
        return static_cast<int>(std::count_if(messages.shown.begin(), messages.shown.end(),
                                              [&](const auto& box) { return box.text == text; }));
    }

    ScopedToneSettings savedTone;
    bool playOnStart = settings::PlayOnStart;
    bool minimizeOnStart = settings::MinimizeOnStart;

    testing_support::RecordingMessageBox messages;
    MessageBoxService queue{messages};
    testing_support::ScriptedCursor cursor{{500, 100}, {1000, 800}};
    RecordingStatus status;
    FakeFileDialogs dialogs;
    testing_support::FakeWaveOut out;
    testing_support::FakeDirectSoundLibrary library;
    platform::ManualTimer timer;
    PageServices services{messages, queue,
                          cursor,   status,
                          dialogs,  [this] {
                              return std::make_unique<ForwardingWaveOut>(out); }};
    RecordingFrame frame;
    std::unique_ptr<pages::DirectSoundPage> page;
};

}  // namespace dsoundpagetest
