#pragma once
// The Wave page in a stand-in main window titled "Lirveto", with recording doubles for every
// service it reaches: message boxes, cursor, status bar, file choosers and the wave output.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "controls/cool_button.h"
#include "controls/tv_slider.h"
#include "framework/page_services.h"
#include "framework/window.h"
#include "pages/wave_page.h"
#include "settings/settings_values.h"
#include "support/fake_wave_out.h"
#include "support/forwarding_devices.h"
#include "support/page_service_doubles.h"
#include "support/recording_message_box.h"
#include "support/scoped_settings.h"
#include "support/scripted_cursor.h"

namespace wavepagetest {

using namespace framework;

using testing_support::FakeFileDialogs;
using testing_support::RecordingFrame;
using testing_support::RecordingStatus;

using testing_support::ForwardingWaveOut;

class WavePageTest : public ::testing::Test {
  protected:
    WavePageTest() {
        settings::Volume = 50;
        settings::Pitch = 10;
        settings::Vibrato = 0;
        settings::Timbre = 0;
        settings::Stereo = false;
        settings::HighRate = false;
        settings::SixteenBit = false;
        settings::PlayOnStart = false;
        settings::MinimizeOnStart = false;
        frame.setWindowTitle(QStringLiteral("Lirveto"));
    }
    ~WavePageTest() override {
        page.reset();
        settings::PlayOnStart = playOnStart;
        settings::MinimizeOnStart = minimizeOnStart;
    }

    void makePage() {
        page = std::make_unique<pages::WavePage>(&frame, services);
        page->create();
        frame.resize(page->size());
        frame.show();
        pump();
    }

    static void pump() { QCoreApplication::processEvents(); }
    LRESULT send(UINT message) { return sendMessage(page.get(), message); }

    controls::CoolButton* button(int id) const {
        return static_cast<controls::CoolButton*>(page->item(id));
    }
    QString label(int id) const { return static_cast<QLabel*>(page->item(id))->text(); }
    QWidget* focused() const { return frame.focusWidget(); }

    ScopedToneSettings savedTone;
    bool playOnStart = settings::PlayOnStart;
    bool minimizeOnStart = settings::MinimizeOnStart;

    testing_support::RecordingMessageBox messages;
    testing_support::ScriptedCursor cursor{{500, 400}, {1000, 800}};
    RecordingStatus status;
    FakeFileDialogs dialogs;
    testing_support::FakeWaveOut out;
    std::function<std::unique_ptr<platform::WaveOutApi>()> makeWaveOut = [this] {
        return std::make_unique<ForwardingWaveOut>(out);
    };
    PageServices services{messages, messages, cursor,
                          status,   dialogs,  [this] { return makeWaveOut(); }};
    RecordingFrame frame;
    std::unique_ptr<pages::WavePage> page;
};

}  // namespace wavepagetest
