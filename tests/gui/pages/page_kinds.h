#pragma once
// The three sound pages as one typed suite sees them: each kind makes its page over doubles of
// every service, plays it a little so that its take grows, and tells its own file names.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <type_traits>

#include "files/wave_file.h"
#include "framework/message_box_service.h"
#include "framework/page_services.h"
#include "pages/dsound_page.h"
#include "pages/midi_page.h"
#include "pages/wave_page.h"
#include "platform/midiout.h"
#include "platform/midiout_virtual.h"
#include "platform/mmtimer_manual.h"
#include "settings/settings_values.h"
#include "support/fake_direct_sound.h"
#include "support/fake_wave_out.h"
#include "support/forwarding_devices.h"
#include "support/page_service_doubles.h"
#include "support/recording_message_box.h"
#include "support/scripted_cursor.h"

namespace soundpagetest {

inline void pump() {
    QCoreApplication::processEvents();
}

// What every kind has: boxes that answer as told, a cursor, the status bar and the choosers.
struct Doubles {
    testing_support::RecordingMessageBox messages;
    framework::MessageBoxService queue{messages};
    testing_support::ScriptedCursor cursor{{500, 400}, {1000, 800}};
    testing_support::RecordingStatus status;
    testing_support::FakeFileDialogs dialogs;
    testing_support::FakeWaveOut waveOut;
    platform::ManualTimer timer;
    framework::PageServices services{
        messages, queue,
        cursor,   status,
        dialogs,  [this] {
                                         return std::make_unique<testing_support::ForwardingWaveOut>(
                                             waveOut); }};
    Doubles() { services.timer = &timer; }
};

struct WaveKind : Doubles {
    using Page = pages::WavePage;
    static constexpr const char* suffix = "wav";
    static constexpr const char* untitled = "[noname.WAV] Lirveto";
    static constexpr const char* changedCaption = "Sound file has changed";
    static constexpr bool writesOffTheGuiThread = false;
    static constexpr bool newTakeStops = false;

    // One returned buffer: the engine queues the next and appends it to the take.
    void playSome(Page& /*page*/) {
        waveOut.finishNext();
        pump();
    }
    int opens() const { return waveOut.opens; }
    bool outputOpen() const { return waveOut.isOpen; }
    static bool isFinished(const QString& path) {
        files::WaveFile back(nullptr, nullptr, platform::MMIO_READ);
        return back.open(path.toStdString().c_str()) && back.length() > 0;
    }
    void loseOutput() { waveOut.lost = true; }
    void findOutputAgain() { waveOut.lost = false; }
};

struct DirectSoundKind : Doubles {
    using Page = pages::DirectSoundPage;
    static constexpr const char* suffix = "wav";
    static constexpr const char* untitled = "[noname.WAV] Lirveto";
    static constexpr const char* changedCaption = "Sound file has changed";
    static constexpr bool writesOffTheGuiThread = true;
    static constexpr bool newTakeStops = false;

    testing_support::FakeDirectSoundLibrary library;
    DirectSoundKind() {
        services.makeDirectSound = [this] {
            return std::make_unique<testing_support::ForwardingDirectSound>(library);
        };
    }
    // Ten steps, the device reading one step's worth of the buffer before each.
    void playSome(Page& /*page*/) {
        for (int i = 0; i < 10; ++i) {
            auto& buffer = library.buffer();
            buffer.writeCursor = (buffer.writeCursor + 22) % buffer.size();
            timer.advanceTo(timer.nowMs() + 1);
        }
    }
    int opens() const { return static_cast<int>(library.devices.size()); }
    bool outputOpen() { return !library.buffer().released || !library.device().released; }
    static bool isFinished(const QString& path) { return WaveKind::isFinished(path); }
    void loseOutput() { library.buffer().lost = true; }
    void findOutputAgain() {}
};

struct MidiKind : Doubles {
    using Page = pages::MidiPage;
    static constexpr const char* suffix = "mid";
    static constexpr const char* untitled = "[noname.MID] Lirveto";
    static constexpr const char* changedCaption = "MIDI file has changed";
    static constexpr bool writesOffTheGuiThread = true;
    static constexpr bool newTakeStops = true;

    std::shared_ptr<platform::VirtualMidiPort> port =
        std::make_shared<platform::VirtualMidiPort>("Virtual Synth");
    std::vector<std::shared_ptr<platform::MidiOutPort>> deviceList{port};
    platform::FixedMidiOutDevices devices{deviceList};
    MidiKind() {
        settings::MidiDriver.set("-1");
        services.makeMidiOut = [this] { return std::make_unique<platform::MidiOut>(devices); };
    }
    // A few ticks with the cursor moving: notes, bends and volumes.
    void playSome(Page& /*page*/) {
        for (const auto& [x, y] : {std::pair{100, 100}, std::pair{900, 300}, {400, 700}}) {
            cursor.position = {x, y};
            timer.advanceTo(timer.nowMs() + 5);
        }
    }
    int opens() const { return port->opens(); }
    bool outputOpen() const { return port->isOpen(); }
    // The standard layout other programs read, ended.
    static bool isFinished(const QString& path) {
        QFile in(path);
        const QByteArray bytes = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
        return bytes.startsWith(QByteArray("MThd\0\0\0\x06", 8)) && bytes.mid(14, 4) == "MTrk" &&
               bytes.endsWith(QByteArray("\xFF\x2F\0", 3));
    }
    void loseOutput() { port->loseOutput(); }
    void findOutputAgain() {
        port = std::make_shared<platform::VirtualMidiPort>("Virtual Synth");
        deviceList[0] = port;
    }
};

using PageKinds = ::testing::Types<WaveKind, DirectSoundKind, MidiKind>;

// Names the cases of the typed suites by page.
struct KindName {
    template <class Kind>
    static std::string GetName(int /*index*/) {
        if constexpr (std::is_same_v<Kind, WaveKind>) {
            return "Wave";
        } else if constexpr (std::is_same_v<Kind, DirectSoundKind>) {
            return "DirectSound";
        } else {
            return "Midi";
        }
    }
};

// A page of the kind in a stand-in main window titled "Lirveto".
template <class Kind>
class SoundPageTest : public ::testing::Test {
  protected:
    using Page = typename Kind::Page;

    SoundPageTest() {
        settings::PlayOnStart = false;
        settings::MinimizeOnStart = false;
        settings::Stereo = false;
        settings::HighRate = false;
        settings::SixteenBit = false;
        qputenv("TMPDIR", folder.path().toUtf8());
        frame.setWindowTitle(QStringLiteral("Lirveto"));
    }
    ~SoundPageTest() override {
        if (page != nullptr) {
            kind.messages.answer = platform::MessageBoxResult::IDNO;
            page->canClose();  // leaves no temporary take behind
        }
        page.reset();
        qunsetenv("TMPDIR");
        settings::PlayOnStart = playOnStart;
        settings::MinimizeOnStart = minimizeOnStart;
        settings::MidiDriver.set(driver);
    }

    void makePage(bool onTop = true) {
        page = std::make_unique<Page>(&frame, kind.services);
        page->create();
        page->setVisible(onTop);  // else the tab window shows another page

        frame.resize(page->size());
        frame.show();
        pump();
    }

    framework::LRESULT send(framework::UINT message) {
        return framework::sendMessage(page.get(), message);
    }
    controls::CoolButton* button(int id) const {
        return static_cast<controls::CoolButton*>(page->item(id));
    }
    QString title() const { return frame.windowTitle(); }
    QString playCaption() const { return button(105)->text(); }
    QString path(const QString& stem) const {
        return folder.filePath(stem + QLatin1Char('.') + QLatin1String(Kind::suffix));
    }
    const files::RiffFile& take() const { return page->recordingFile(); }
    const char* performancePage() const {
        return std::is_same_v<Page, pages::WavePage>   ? "wave"
               : std::is_same_v<Page, pages::MidiPage> ? "midi"
                                                       : "dsound";
    }
    int shownCount(const std::string& text) const {
        return static_cast<int>(std::count_if(kind.messages.shown.begin(),
                                              kind.messages.shown.end(),
                                              [&](const auto& box) { return box.text == text; }));
    }

    // New, then some sound played: a changed, unnamed take; the page stopped again.
    std::string recordSomething() {
        send(framework::page::fileNew);
        send(framework::page::play);
        kind.playSome(*page);
        send(framework::page::stop);
        EXPECT_TRUE(take().isModified());
        return take().fileName();
    }

    bool playOnStart = settings::PlayOnStart;
    bool minimizeOnStart = settings::MinimizeOnStart;
    std::string driver = settings::MidiDriver.get();
    QTemporaryDir folder;
    Kind kind;
    testing_support::RecordingFrame frame;
    std::unique_ptr<Page> page;
};

}  // namespace soundpagetest
