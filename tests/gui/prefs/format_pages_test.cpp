// The Wave, MIDI and Output pages of the Options sheet: their controls follow the settings both
// ways, Stereo is offered only by a device with a volume control, the driver list follows the
// devices with the prefix rule, and a stored output choice the lists lack is kept.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/midiout.h"
#include "platform/midiout_virtual.h"
#include "prefs/set_midi.h"
#include "prefs/set_output.h"
#include "prefs/set_wave.h"
#include "settings/settings_values.h"
#include "support/fake_wave_out.h"
#include "support/page_service_doubles.h"
#include "support/qt_application.h"
#include "support/scoped_settings.h"

namespace {

QRadioButton* radio(const TSetWave& page, int id) {
    return qobject_cast<QRadioButton*>(page.item(id));
}

class WaveFormatPage : public ::testing::Test {
  protected:
    std::unique_ptr<TSetWave> shownPage() {
        auto page = std::make_unique<TSetWave>(&waveOut);
        page->create();
        return page;
    }
    ScopedToneSettings savedSettings;
    testing_support::FakeWaveOut waveOut;
};

TEST_F(WaveFormatPage, EveryFormatGoesInAndComesBackOut) {
    for (const bool stereo : {false, true}) {
        for (const bool high : {false, true}) {
            for (const bool sixteen : {false, true}) {
                settings::Stereo = stereo;
                settings::HighRate = high;
                settings::SixteenBit = sixteen;
                auto page = shownPage();
                EXPECT_EQ(radio(*page, TSetWave::stereoButton)->isChecked(), stereo);
                EXPECT_EQ(radio(*page, TSetWave::monoButton)->isChecked(), !stereo);
                EXPECT_EQ(radio(*page, TSetWave::rate44Button)->isChecked(), high);
                EXPECT_EQ(radio(*page, TSetWave::bits16Button)->isChecked(), sixteen);
                // Each pair is its own group: choosing in one leaves the others as they are.
                radio(*page, stereo ? TSetWave::monoButton : TSetWave::stereoButton)->click();
                EXPECT_EQ(radio(*page, TSetWave::rate44Button)->isChecked(), high);
                EXPECT_EQ(radio(*page, TSetWave::bits16Button)->isChecked(), sixteen);
                page->apply();
                EXPECT_EQ(settings::Stereo.load(), !stereo);
                EXPECT_EQ(settings::HighRate.load(), high);
                EXPECT_EQ(settings::SixteenBit.load(), sixteen);
            }
        }
    }
}

TEST_F(WaveFormatPage, ADeviceWithoutVolumeControlOffersMonoOnly) {
    settings::Stereo = true;
    waveOut.capsSupport = 0;
    auto page = shownPage();
    EXPECT_FALSE(radio(*page, TSetWave::stereoButton)->isEnabled());
    EXPECT_TRUE(radio(*page, TSetWave::monoButton)->isChecked());
    page->apply();
    EXPECT_FALSE(settings::Stereo);

    // With a volume control (our own output scales the samples itself) Stereo stays on offer.
    waveOut.capsSupport = platform::mm::WAVECAPS_VOLUME;
    settings::Stereo = true;
    page = shownPage();
    EXPECT_TRUE(radio(*page, TSetWave::stereoButton)->isEnabled());
    EXPECT_TRUE(radio(*page, TSetWave::stereoButton)->isChecked());
}

class MidiDriverPage : public ::testing::Test {
  protected:
    MidiDriverPage()
        : savedDriver(settings::MidiDriver.get()),
          savedFont(settings::SoundFont.get()),
          savedOffset(settings::PatchOffset) {}
    ~MidiDriverPage() override {
        settings::MidiDriver.set(savedDriver);
        settings::SoundFont.set(savedFont);
        settings::PatchOffset = savedOffset;
    }
    std::unique_ptr<TSetMidi> shownPage(const std::vector<std::string>& names) {
        std::vector<std::shared_ptr<platform::MidiOutPort>> ports;
        for (const std::string& name : names) {
            ports.push_back(std::make_shared<platform::VirtualMidiPort>(name));
        }
        devices = std::make_unique<platform::FixedMidiOutDevices>(ports);
        midiOut = std::make_unique<platform::MidiOut>(*devices);
        auto page = std::make_unique<TSetMidi>(midiOut.get(), dialogs);
        page->create();
        return page;
    }
    static QStringList entries(const TSetMidi& page) {
        QStringList list;
        for (int i = 0; i < page.driverBox()->count(); ++i) {
            list << page.driverBox()->itemText(i);
        }
        return list;
    }

    std::string savedDriver, savedFont;
    int32_t savedOffset;
    testing_support::FakeFileDialogs dialogs;
    std::unique_ptr<platform::FixedMidiOutDevices> devices;
    std::unique_ptr<platform::MidiOut> midiOut;
};

TEST_F(MidiDriverPage, TheListStartsWithTheMapperAndTheStoredNameSelectsByItsBeginningInAnyCase) {
    const std::vector<std::string> names = {"Lirveto Synth", "Midi Through:0", "Lirveto Port"};
    for (const auto& [stored, shown] : std::vector<std::pair<std::string, QString>>{
             {"-1", "MIDI Mapper"},
             {"lirv", "Lirveto Synth"},  // the first of two that begin alike
             {"MIDI THROUGH", "Midi Through:0"},
             {"Lirveto Port", "Lirveto Port"},
         }) {
        settings::MidiDriver.set(stored);
        auto page = shownPage(names);
        EXPECT_EQ(entries(*page),
                  QStringList({"MIDI Mapper", "Lirveto Synth", "Midi Through:0", "Lirveto Port"}));
        EXPECT_EQ(page->driverBox()->currentText(), shown) << stored;
        page->apply();
        EXPECT_EQ(settings::MidiDriver.get(), shown.toStdString());
    }
}

TEST_F(MidiDriverPage, ATypedNameIsStoredAsTypedAndShownAgainNextTime) {
    settings::MidiDriver.set("-1");
    auto page = shownPage({"Lirveto Synth"});
    page->driverBox()->setEditText("My Hardware Synth");
    page->apply();
    EXPECT_EQ(settings::MidiDriver.get(), "My Hardware Synth");
    page = shownPage({"Lirveto Synth"});
    EXPECT_EQ(page->driverBox()->currentText(), "My Hardware Synth");
    EXPECT_EQ(page->driverBox()->count(), 2) << "a typed name is not added to the list";
    page->driverBox()->setEditText(QString(300, QLatin1Char('x')));
    page->apply();
    EXPECT_EQ(settings::MidiDriver.get().size(), settings::midiDriverMaxLength);
}

// A device name too long for its capabilities is listed, stored and looked for as the whole
// characters that fit: a broken last one would never match the device again.
TEST_F(MidiDriverPage, ALongNonAsciiNameIsListedAndStoredAsTheWholeCharactersThatFit) {
    const auto repeated = [](const std::string& character, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += character;
        }
        return text;
    };
    const std::string e = "\xC3\xA9";  // é
    settings::MidiDriver.set("-1");
    auto page = shownPage({repeated(e, 60)});
    page->driverBox()->setCurrentIndex(1);
    page->apply();
    platform::MidiOutCaps caps;
    ASSERT_EQ(midiOut->getDevCaps(0, &caps), platform::mm::MMSYSERR_NOERROR);
    EXPECT_EQ(std::string(caps.productName), repeated(e, 47)) << "95 bytes hold 47";
    EXPECT_EQ(settings::MidiDriver.get(), caps.productName);

    page->driverBox()->setEditText(QString(100, QChar(0xE9)));
    page->apply();
    EXPECT_EQ(settings::MidiDriver.get(), repeated(e, 79)) << "159 bytes hold 79";
}

TEST_F(MidiDriverPage, WithoutDevicesTheListHoldsAtMostTheMapper) {
    auto page = shownPage({});
    EXPECT_LE(page->driverBox()->count(), 1);
    auto none = std::make_unique<TSetMidi>(nullptr, dialogs);
    none->create();
    EXPECT_EQ(none->driverBox()->count(), 0);
}

TEST_F(MidiDriverPage, PatchOffsetAndTheSoundFontGoBothWays) {
    settings::PatchOffset = 1;
    settings::SoundFont.set("");
    auto page = shownPage({"Lirveto Synth"});
    auto* offset = qobject_cast<QCheckBox*>(page->item(TSetMidi::patchOffsetBox));
    EXPECT_TRUE(offset->isChecked());
    EXPECT_TRUE(page->soundFontField()->text().isEmpty());

    dialogs.openAnswers = QStringList{"/home/me/fonts/Big GM.sf2", ""};
    qobject_cast<QAbstractButton*>(page->item(TSetMidi::soundFontBrowse))->click();
    EXPECT_EQ(page->soundFontField()->text(), "/home/me/fonts/Big GM.sf2");
    ASSERT_EQ(dialogs.opens.size(), 1u);
    EXPECT_TRUE(dialogs.opens[0].filter.contains("*.sf2"));
    qobject_cast<QAbstractButton*>(page->item(TSetMidi::soundFontBrowse))->click();
    EXPECT_EQ(page->soundFontField()->text(), "/home/me/fonts/Big GM.sf2") << "cancel keeps it";
    EXPECT_EQ(dialogs.opens[1].folder, "/home/me/fonts");

    offset->setChecked(false);
    page->apply();
    EXPECT_EQ(settings::PatchOffset.load(), 0);
    EXPECT_EQ(settings::SoundFont.get(), "/home/me/fonts/Big GM.sf2");
}

class OutputPage : public ::testing::Test {
  protected:
    OutputPage()
        : savedDevice(settings::OutputDevice.get()), savedLatency(settings::OutputLatency) {}
    ~OutputPage() override {
        settings::OutputDevice.set(savedDevice);
        settings::OutputLatency = savedLatency;
    }
    static std::unique_ptr<TSetOutput> shownPage() {
        auto page = std::make_unique<TSetOutput>([] {
            return std::vector<platform::OutputDevice>{
                {"alsa_output.pci-0000_00_1f.3.analog-stereo", "Built-in Audio Analog Stereo"},
                {"bluez_output.00_1B_66_A1_B2_C3.1", "Headphones"}};
        });
        page->create();
        return page;
    }
    static QStringList entries(const QComboBox& box) {
        QStringList list;
        for (int i = 0; i < box.count(); ++i) {
            list << box.itemText(i);
        }
        return list;
    }

    std::string savedDevice;
    int32_t savedLatency;
};

// Shown by description, stored by the server's name; what the lists lack is shown, not lost.
TEST_F(OutputPage, TheChoicesAreShownInTheUsersWordsAndStoredAsTheServerNamesThem) {
    for (const auto& [device, latency, shownDevice, shownLatency] :
         std::vector<std::tuple<std::string, int, QString, QString>>{
             {"", 0, "System default", "Auto"},
             {"bluez_output.00_1B_66_A1_B2_C3.1", 75, "Headphones", "75 ms"},
             {"usb_dac_unplugged", 37, "usb_dac_unplugged", "37 ms"},
         }) {
        settings::OutputDevice.set(device);
        settings::OutputLatency = latency;
        auto page = shownPage();
        EXPECT_EQ(page->deviceBox()->currentText(), shownDevice);
        EXPECT_EQ(page->latencyBox()->currentText(), shownLatency);
        settings::OutputDevice.set("changed");
        settings::OutputLatency = 50;
        page->apply();
        EXPECT_EQ(settings::OutputDevice.get(), device) << "OK keeps " << device;
        EXPECT_EQ(settings::OutputLatency.load(), latency);
    }
    settings::OutputDevice.set("");
    settings::OutputLatency = 0;
    auto page = shownPage();
    EXPECT_EQ(entries(*page->deviceBox()),
              QStringList({"System default", "Built-in Audio Analog Stereo", "Headphones"}));
    EXPECT_EQ(page->latencyBox()->itemText(0), "Auto");
    EXPECT_EQ(page->latencyBox()->count(), 11);

    settings::OutputLatency = 37;
    page = shownPage();
    EXPECT_EQ(page->latencyBox()->itemText(7), "37 ms") << "in order, between 30 and 40";
    page->deviceBox()->setCurrentIndex(1);
    page->latencyBox()->setCurrentIndex(2);
    page->apply();
    EXPECT_EQ(settings::OutputDevice.get(), "alsa_output.pci-0000_00_1f.3.analog-stereo");
    EXPECT_EQ(settings::OutputLatency.load(), 10);
}

}  // namespace
