#pragma once
// The help service: a help bundle of HTML pages with a viewer, and short text pop-ups explaining
// one control. The Qt layer provides the real one; tests record the calls.

#include <cstdint>
#include <string>

namespace platform {

// A text pop-up request: which text, where, and how it looks.
struct HelpPopup {
    std::uint32_t idString = 0;  // the help id of the text
    int x = 0;                   // screen position of the pop-up's top left corner
    int y = 0;
    std::int32_t textColor = -1;           // 0x00BBGGRR, -1 for the default text colour
    std::uint32_t backColor = 0x00D0FFFF;  // 0x00BBGGRR: pale yellow
    int marginLeft = 5;
    int marginTop = 5;
    int marginRight = 5;
    int marginBottom = 5;
};

class Help {
  public:
    virtual ~Help() = default;

    // Shows the page `topic` of the bundle whose contents page is `helpFile`, or its contents
    // page when `topic` is empty. False (and nothing shown) when the path is empty or missing.
    // Thread: GUI.
    virtual bool displayTopic(const std::string& helpFile, const std::string& topic) = 0;

    // Shows the page the bundle maps to the help context number. Thread: GUI.
    virtual bool helpContext(const std::string& helpFile, std::uint32_t context) = 0;

    // Shows the text numbered popup.idString from the pop-up text file. Thread: GUI.
    virtual bool displayTextPopup(const std::string& popupFile, const HelpPopup& popup) = 0;
};

}  // namespace platform
