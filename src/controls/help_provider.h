#pragma once
// Where the windows' help goes: the application registers itself as the provider at start-up.

#include <cstdint>
#include <string>

namespace controls {

class HelpProvider {
  public:
    virtual ~HelpProvider() = default;

    // Shows pop-up text `helpId` with its top left at the screen point. GUI thread.
    virtual bool showHelpPopup(std::uint32_t helpId, int x, int y) = 0;
    // Shows the topic numbered `context` in the help file. GUI thread.
    virtual bool showHelpContext(std::uint32_t context) = 0;
    // Shows the named page of the help file. GUI thread.
    virtual bool showHelpTopic(const std::string& topic) = 0;

    // The provider in force, or null (help then does nothing). GUI thread.
    static HelpProvider* current();
    static void setCurrent(HelpProvider* provider);
};

}  // namespace controls
