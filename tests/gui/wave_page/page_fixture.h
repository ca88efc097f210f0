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
#include "engine/wave/wave_page.h"
#include "framework/page_services.h"
#include "framework/window.h"
#include "settings/settings_values.h"
#include "support/fake_wave_out.h"
#include "support/page_service_doubles.h"
#include "support/recording_message_box.h"
#include "support/scoped_settings.h"
#include "support/scripted_cursor.h"

namespace wavepagetest {

using namespace framework;

using testing_support::FakeFileDialogs;
using testing_support::RecordingFrame;
using testing_support::RecordingStatus;

// Lets the test keep the fake output after the page that played through it is gone.
class ForwardingWaveOut final : public platform::WaveOutApi {
  public:
    explicit ForwardingWaveOut(platform::WaveOutApi& real) : to(real) {}
    platform::mm::MmResult getDevCaps(uint32_t id, platform::WaveOutCaps* caps) override {
        return to.getDevCaps(id, caps);
    }
    platform::mm::MmResult open(platform::HWAVEOUT* handle, uint32_t id,
                                const platform::WaveFormatPcm* format,
                                platform::WaveOutNotify* notify, uint32_t flags) override {
        return to.open(handle, id, format, notify, flags);
    }
    platform::mm::MmResult prepareHeader(platform::HWAVEOUT h, platform::WaveHeader* w) override {
        return to.prepareHeader(h, w);
    }
    platform::mm::MmResult unprepareHeader(platform::HWAVEOUT h, platform::WaveHeader* w) override {
        return to.unprepareHeader(h, w);
    }
    platform::mm::MmResult write(platform::HWAVEOUT h, platform::WaveHeader* w) override {
        return to.write(h, w);
    }
    platform::mm::MmResult breakLoop(platform::HWAVEOUT h) override { return to.breakLoop(h); }
    platform::mm::MmResult reset(platform::HWAVEOUT h) override { return to.reset(h); }
    platform::mm::MmResult close(platform::HWAVEOUT h) override { return to.close(h); }
    platform::mm::MmResult getVolume(platform::HWAVEOUT h, uint32_t* v) override {
        return to.getVolume(h, v);
    }
    platform::mm::MmResult setVolume(platform::HWAVEOUT h, uint32_t v) override {
        return to.setVolume(h, v);
    }
    std::string lastDeviceError() const override { return to.lastDeviceError(); }
    bool deviceLost(platform::HWAVEOUT h) const override { return to.deviceLost(h); }

  private:
    platform::WaveOutApi& to;
};

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
        page = std::make_unique<TAppDialog>(&frame, services);
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
    std::unique_ptr<TAppDialog> page;
};

}  // namespace wavepagetest
