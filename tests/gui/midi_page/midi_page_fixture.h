#pragma once
// The Midi page in a stand-in main window titled "Lirveto", playing on a virtual MIDI device and
// a manual timer, with recording doubles for the other services it reaches.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "controls/cool_button.h"
#include "controls/tv_slider.h"
#include "pages/midi_page.h"
#include "platform/midiout.h"
#include "platform/midiout_virtual.h"
#include "platform/mmtimer_manual.h"
#include "settings/settings_values.h"
#include "support/page_service_doubles.h"
#include "support/recording_message_box.h"
#include "support/scripted_cursor.h"

namespace midipagetest {

using namespace framework;
using Message = std::array<int, 3>;  // status, data 1, data 2

// Puts back every setting the page reads or writes.
class ScopedMidiSettings {
  public:
    ~ScopedMidiSettings() {
        settings::MidiVolume = values[0];
        settings::MidiPitch = values[1];
        settings::MidiPitch2 = values[2];
        settings::PitchBend = values[3];
        settings::Instrument = values[4];
        settings::PatchOffset = values[5];
        settings::Volume = values[6];
        settings::PlayOnStart = flags[0];
        settings::MinimizeOnStart = flags[1];
        settings::MidiDriver.set(driver);
    }

  private:
    std::array<int32_t, 7> values{settings::MidiVolume, settings::MidiPitch,  settings::MidiPitch2,
                                  settings::PitchBend,  settings::Instrument, settings::PatchOffset,
                                  settings::Volume};
    std::array<bool, 2> flags{settings::PlayOnStart, settings::MinimizeOnStart};
    std::string driver = settings::MidiDriver.get();
};

class MidiPageTest : public ::testing::Test {
  protected:
    MidiPageTest() {
        settings::MidiVolume = 80;
        settings::MidiPitch = 40;
        settings::MidiPitch2 = 80;
        settings::PitchBend = 2;
        settings::Instrument = 79;
        settings::PatchOffset = 1;
        settings::PlayOnStart = false;
        settings::MinimizeOnStart = false;
        settings::MidiDriver.set("-1");
        frame.setWindowTitle(QStringLiteral("Lirveto"));
    }
    ~MidiPageTest() override { page.reset(); }

    void makePage() {
        page = std::make_unique<pages::MidiPage>(&frame, services);
        page->create();
        frame.resize(page->size());
        frame.show();
        pump();
    }

    static void pump() { QCoreApplication::processEvents(); }
    LRESULT send(UINT message) { return sendMessage(page.get(), message); }
    // One 5 ms tick with the cursor at (x, y).
    void tickAt(int x, int y) {
        cursor.position = {x, y};
        timer.advanceTo(timer.nowMs() + 5);
    }

    controls::CoolButton* button(int id) const {
        return static_cast<controls::CoolButton*>(page->item(id));
    }
    QString label(int id) const { return static_cast<QLabel*>(page->item(id))->text(); }
    QComboBox* instrumentBox() const { return static_cast<QComboBox*>(page->item(130)); }
    QLineEdit* bendBox() const { return static_cast<QLineEdit*>(page->item(101)); }
    controls::TVSlider* slider(int id) const { return page->slider(id); }

    // What the device was sent since it opened, unpacked.
    std::vector<Message> sent() const {
        std::vector<Message> out;
        for (const uint32_t word : port->messages()) {
            out.push_back({static_cast<int>(word & 0xFF), static_cast<int>((word >> 8) & 0xFF),
                           static_cast<int>((word >> 16) & 0xFF)});
        }
        return out;
    }

    ScopedMidiSettings savedSettings;
    testing_support::RecordingMessageBox messages;
    testing_support::ScriptedCursor cursor{{500, 400}, {1000, 800}};
    testing_support::RecordingStatus status;
    testing_support::FakeFileDialogs dialogs;
    std::shared_ptr<platform::VirtualMidiPort> port =
        std::make_shared<platform::VirtualMidiPort>("Virtual Synth");
    std::vector<std::shared_ptr<platform::MidiOutPort>> deviceList{port};
    platform::FixedMidiOutDevices devices{deviceList};
    platform::FixedMidiOutDevices noDevices{{}};
    // Where the page's MIDI output finds its devices; set before makePage.
    platform::MidiOutDevices* source = &devices;
    platform::ManualTimer timer;
    PageServices services{messages,
                          messages,
                          cursor,
                          status,
                          dialogs,
                          [] { return std::unique_ptr<platform::WaveOutApi>(); },
                          [this] { return std::make_unique<platform::MidiOut>(*source); },
                          &timer};
    testing_support::RecordingFrame frame;
    std::unique_ptr<pages::MidiPage> page;
};

}  // namespace midipagetest
