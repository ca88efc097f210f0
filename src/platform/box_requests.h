#pragma once
// The bookkeeping behind a MessageBoxQueue: which requests wait, which causes are waiting or
// showing, and which once-per-cause causes have had their box. The GUI layer adds the showing.

#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "platform/message_box.h"

namespace platform {

class BoxRequests {
  public:
    // Any thread. False when the request is dropped as a repeat of its cause.
    bool add(BoxRequest box);
    // GUI thread. The oldest waiting request; its cause counts as showing until finished().
    std::optional<BoxRequest> takeNext();
    // GUI thread. The box taken last has been closed.
    void finished(const BoxRequest& box);
    // Any thread.
    void resetCause(const std::string& cause);
    // Any thread.
    bool empty() const;

  private:
    mutable std::mutex lock;
    std::deque<BoxRequest> waiting;
    std::set<std::string> active;   // causes waiting or showing
    std::set<std::string> latched;  // once-per-cause causes already asked for
};

}  // namespace platform
