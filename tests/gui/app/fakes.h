#pragma once
// Recording stand-ins for the shell and the help service.

#include <set>
#include <string>
#include <vector>

#include "platform/help.h"
#include "platform/shell.h"

namespace testapp {

struct RecordingShell : platform::Shell {
    std::vector<std::string> opened;
    std::set<std::string> installed;
    std::vector<std::string> started;  // program and arguments joined by blanks
    bool browserStarts = true;
    bool browserFound = true;
    std::set<std::string> failsToStart;
    bool browserAvailable() override { return browserFound; }
    bool openUrl(const std::string& address) override {
        opened.push_back(address);
        return browserStarts;
    }
    bool isInstalled(const std::string& program) override { return installed.count(program) != 0; }
    bool startDetached(const std::string& program, const std::vector<std::string>& args) override {
        std::string line = program;
        for (const std::string& arg : args) {
            line += " " + arg;
        }
        started.push_back(line);
        return failsToStart.count(program) == 0;
    }
};

struct RecordingHelp : platform::Help {
    std::vector<std::string> calls;
    bool displayTopic(const std::string& file, const std::string& topic) override {
        calls.push_back("topic " + file + " " + topic);
        return !file.empty();
    }
    bool helpContext(const std::string& file, std::uint32_t context) override {
        calls.push_back("context " + file + " " + std::to_string(context));
        return !file.empty();
    }
    bool displayTextPopup(const std::string& file, const platform::HelpPopup& popup) override {
        calls.push_back("popup " + file + " " + std::to_string(popup.idString));
        return !file.empty();
    }
};

}  // namespace testapp
