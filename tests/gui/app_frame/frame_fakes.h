#pragma once
// An App over recording services and fake pages, in a private settings folder.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "gui/app/fakes.h"
#include "gui/controls/fake_page.h"
#include "settings/settings_values.h"
#include "support/recording_message_box.h"
#include "support/scoped_environment_variable.h"
#include "support/scoped_settings.h"
#include "support/scripted_cursor.h"

namespace testframe {

using namespace framework;

// A page that answers the frame's two queries as a test sets them.
class AnsweringPage : public testpages::FakePage {
  public:
    explicit AnsweringPage(const DialogTemplate& layout) : FakePage(layout) {}
    int notEmpty = 0;
    int fileOpen = 0;

  protected:
    bool dispatchMessage(MessageEvent& event) override {
        if (event.message == page::queryNotEmpty || event.message == page::queryFileOpen) {
            event.result = event.message == page::queryNotEmpty ? notEmpty : fileOpen;
            return true;
        }
        return FakePage::dispatchMessage(event);
    }
};

// Answers each file dialog with the next prepared name ("" = cancelled) and records the calls.
struct FakeFileDialogs : FileDialogs {
    struct Call {
        bool save;
        QString title, filter, folder, suffix;
    };
    QStringList answers;
    std::vector<Call> calls;

    QString next(bool save, const QString& title, const QString& filter, const QString& folder,
                 const QString& suffix) {
        calls.push_back({save, title, filter, folder, suffix});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QString openFileName(QWidget*, const QString& title, const QString& filter,
                         const QString& folder, const QString& suffix) override {
        return next(false, title, filter, folder, suffix);
    }
    QString saveFileName(QWidget*, const QString& title, const QString& filter,
                         const QString& folder, const QString& suffix) override {
        return next(true, title, filter, folder, suffix);
    }
};

class AppFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        previousConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
        // The user's own recovery note is neither shown nor touched by a test.
        dataHome.set(folder.filePath(QStringLiteral("data")).toStdString());
        settings::ViewNoteMid = 1;
        settings::ViewNoteName = 1;
        makeApp();
    }
    void makeApp() { makeApp(services); }
    void makeApp(const app::AppServices& with) {
        app = std::make_unique<app::App>(with, [this](PageServices&) {
            std::vector<std::unique_ptr<QWidget>> list;
            auto wave = std::make_unique<AnsweringPage>(testpages::waveTemplate);
            wavePage = wave.get();
            list.push_back(std::move(wave));
            auto midi = std::make_unique<AnsweringPage>(testpages::midiTemplate);
            midiPage = midi.get();
            list.push_back(std::move(midi));
            return list;
        });
    }
    void TearDown() override {
        app.reset();
        qputenv("XDG_CONFIG_HOME", previousConfig);
    }

    app::SDIDecFrame* start(int showCommand = app::show::normal) {
        app::SDIDecFrame* frame = app->initMainWindow(showCommand);
        QCoreApplication::processEvents();
        wavePage->received.clear();
        midiPage->received.clear();
        return frame;
    }

    std::filesystem::path registryFile() const {
        return std::filesystem::path(folder.path().toStdString()) / "Quillhorn" / "Lirveto.reg";
    }

    ScopedToneSettings savedSettings;
    QTemporaryDir folder;
    QByteArray previousConfig;
    testing_support::ScopedEnvironmentVariable dataHome{"XDG_DATA_HOME"};
    testapp::RecordingShell shell;
    testapp::RecordingHelp help;
    testing_support::RecordingMessageBox messages;
    testing_support::ScriptedCursor cursor;
    FakeFileDialogs dialogs;
    app::AppServices services{
        shell, help, QStringLiteral("/nonexistent/lirveto"), messages, cursor, dialogs, [] {
            return std::unique_ptr<platform::WaveOutApi>();
        }};
    std::unique_ptr<app::App> app;
    AnsweringPage* wavePage = nullptr;
    AnsweringPage* midiPage = nullptr;
};

}  // namespace testframe
