// Lirveto's entry: the command line, one instance per user, the main window, and the settings
// saved however the program is asked to end.

#include <QApplication>
#include <QLabel>  // qt_help.h keeps a QPointer<QLabel>
#include <QPointer>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/app.h"
#include "app/command_line.h"
#include "app/single_instance.h"
#include "app/sound_pages.h"
#include "framework/qt_file_dialogs.h"
#include "framework/qt_message_box.h"
#include "framework/resources.h"
#include "platform/audio_underruns.h"
#include "platform/backends/output_devices.h"
#include "platform/backends/qt/any_thread_cursor_source.h"
#include "platform/backends/qt/qt_cursor_source.h"
#include "platform/backends/qt/qt_help.h"
#include "platform/backends/qt/qt_shell.h"
#include "platform/backends/sdl_thread_priority.h"
#include "platform/backends/system_direct_sound.h"
#include "platform/backends/system_midi_out.h"
#include "platform/backends/system_wave_out.h"
#include "platform/close_signals.h"
#include "platform/mmtimer.h"
#include "platform/runtime_folder.h"
#include "settings/settings_store.h"
#include "settings/settings_values.h"

namespace {

// Message boxes centred over the main window once it exists.
class MainWindowMessageBox : public platform::MessageBox {
  public:
    void setOwner(QWidget* window) { owner = window; }
    int show(const std::string& text, const std::string& caption,
             platform::MessageBoxStyle style) override {
        return framework::QtMessageBox(owner).show(text, caption, style);
    }

  private:
    QPointer<QWidget> owner;
};

// SIGTERM, SIGINT and SIGHUP end the program through the event loop, asking nothing.
void closeOnSignals(QObject* owner, const std::function<void()>& close) {
    const int descriptor = platform::installCloseSignals();
    if (descriptor < 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [descriptor, close] {
        platform::acknowledgeCloseSignal(descriptor);
        close();
    });
}

// A full disk or closed pipe must not pass for a shown help or version text.
bool printed(const std::string& text) {
    return std::fputs(text.c_str(), stdout) != EOF && std::fflush(stdout) == 0;
}

// Long unattended runs ask for this to prove the output never starved.
void reportUnderrunsIfAsked() {
    const char* wanted = std::getenv("LIRVETO_REPORT_UNDERRUNS");
    if (wanted != nullptr && *wanted != '\0' && std::string_view(wanted) != "0") {
        (void)std::fprintf(stderr, "lirveto: audio underruns: %llu\n",
                           static_cast<unsigned long long>(platform::underrunCount()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const app::CommandLine line = app::parseCommandLine(argc, argv);
    switch (line.action) {
        case app::CommandLine::Action::help:
            return printed(app::usageText()) ? 0 : 1;
        case app::CommandLine::Action::version:
            return printed(app::versionText()) ? 0 : 1;
        case app::CommandLine::Action::run:
            break;
    }

    platform::installSdlTimerPriority();
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(app::App::name));
    QApplication::setOrganizationName(QStringLiteral("Quillhorn"));

    platform::QtShell shell;
    platform::QtHelp help(framework::loadIcon(1003));
    platform::AnyThreadCursorSource cursor;
    framework::QtFileDialogs fileDialogs;
    MainWindowMessageBox messages;
    // The SoundFont the settings name is read when the Midi page first needs its output.
    const auto makeMidiOut = [] { return platform::makeSystemMidiOut(settings::SoundFont.get()); };
    const app::AppServices services{shell,
                                    help,
                                    QApplication::applicationFilePath(),
                                    messages,
                                    cursor,
                                    fileDialogs,
                                    platform::makeSystemWaveOut,
                                    makeMidiOut,
                                    &platform::MultimediaTimer::shared(),
                                    platform::makeSystemDirectSound,
                                    platform::listOutputDevices};

    app::App application(services, app::makeSoundPages);
    app::startUpSwitch = line.startSwitch ? 1 : 0;

    std::string folderError;
    const auto runtime = platform::runtimeFolder(folderError);
    if (!runtime) {
        (void)std::fprintf(stderr, "lirveto: %s\n", folderError.c_str());
    }
    app::SingleInstance instance(runtime ? QString::fromStdString(*runtime) : QString());
    const auto start = instance.start([&application] {
        if (application.frame() != nullptr) {
            application.frame()->bringToFront();
        }
    });
    switch (start) {
        case app::SingleInstance::Start::asked:
            return 0;  // the running one comes to the front; nothing is saved here
        case app::SingleInstance::Start::silent:
            (void)std::fprintf(stderr, "lirveto: another Lirveto holds %s but does not answer\n",
                               instance.lockPath().toLocal8Bit().constData());
            return 1;
        case app::SingleInstance::Start::unguarded:
        case app::SingleInstance::Start::first:
            if (!instance.errorText().isEmpty()) {
                (void)std::fprintf(stderr, "lirveto: a later start cannot find this one: %s\n",
                                   instance.errorText().toLocal8Bit().constData());
            }
            break;
    }

    app::SDIDecFrame* frame = application.initMainWindow();
    messages.setOwner(frame);
    if (!platform::QtCursorSource::positionIsGlobal()) {
        application.setStatusText(
            QStringLiteral("Wayland: the pointer is heard only over Lirveto; F11 makes the screen "
                           "the instrument"));
    }
    closeOnSignals(&application, [&application] { application.endOnSignal(); });
    QObject::connect(&qt, &QGuiApplication::commitDataRequest, &application,
                     [&messages](QSessionManager&) { settings::saveSettings(nullptr, messages); });
    const int status = QApplication::exec();
    reportUnderrunsIfAsked();
    return status;
}
