#pragma once
// A sound page stand-in: a dialog from a small template that records the messages it receives.

#include <vector>

#include "controls/context_help_win.h"
#include "framework/dialog.h"

namespace testpages {

using namespace framework;

inline const DialogItem pageItems[] = {
    {105, ItemKind::OwnerDrawButton, "&Play", 34, 79, 50, 15},
    {106, ItemKind::OwnerDrawButton, "&Stop", 85, 79, 50, 15},
    {124, ItemKind::StaticCentered, "&Volume", 33, 60, 29, 10},
    {102, ItemKind::Frame, "&Volume", 43, 20, 9, 32},
    {108, ItemKind::StaticCentered, "50", 37, 6, 18, 8},
    {109, ItemKind::StaticCentered, "10kHz", 75, 6, 20, 8},
    {107, ItemKind::Frame, "Pi&tch", 81, 20, 9, 32},
    {125, ItemKind::StaticCentered, "Pi&tch", 71, 60, 27, 10},
    {120, ItemKind::Frame, "&HPitch", 117, 20, 9, 32},
    {111, ItemKind::Frame, "", 135, 20, 9, 32},
};

inline const DialogTemplate waveTemplate{2, "Wave", 169, 105, 8, pageItems};
inline const DialogTemplate midiTemplate{15, "Midi", 150, 120, 8, pageItems};
inline const DialogTemplate dsoundTemplate{16, "DirectSound", 160, 100, 8, pageItems};

class FakePage : public TDialog, public controls::ContextHelpWin {
  public:
    // The template must outlive the page.
    explicit FakePage(const DialogTemplate& pageLayout, const controls::HelpPair* pairs = nullptr,
                      int topic = 0)
        : TDialog(nullptr, pageLayout), ContextHelpWin(this, pairs, topic) {}

    std::vector<UINT> received;
    bool allowClose = true;

    bool canClose() override { return allowClose; }
    int count(UINT message) const {
        int n = 0;
        for (UINT m : received) {
            n += m == message ? 1 : 0;
        }
        return n;
    }

  protected:
    bool dispatchMessage(MessageEvent& event) override {
        if (event.message >= WM_USER) {
            received.push_back(event.message);
        }
        return ContextHelpWin::dispatchMessage(event) || TDialog::dispatchMessage(event);
    }
};

}  // namespace testpages
