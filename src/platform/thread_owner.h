#pragma once
// The debug-build guard of a thread tag: an object that belongs to one thread keeps a
// ThreadOwner, which remembers the thread that created it, and calls check() at the top of each
// operation that only its owner may run. A call from any other thread aborts with the operation's
// name. Release builds (NDEBUG) keep nothing and check nothing.
//
// Thread: any thread.

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace platform {

class ThreadOwner {
  public:
    // True on the owning thread (always, in a release build).
    bool isOwner() const noexcept {
#ifndef NDEBUG
        return std::this_thread::get_id() == owner;
#else
        return true;
#endif
    }

    // Aborts when called off the owning thread; `operation` names the caller in the message.
    void check(const char* operation) const noexcept {
        require(isOwner(), operation);
    }

    // The same check for an owner kept elsewhere (a Qt object's thread): aborts unless
    // `onOwningThread`.
    static void require([[maybe_unused]] bool onOwningThread,
                        [[maybe_unused]] const char* operation) noexcept {
#ifndef NDEBUG
        if (!onOwningThread) {
            (void)std::fprintf(stderr, "lirveto: %s called off its owning thread\n", operation);
            std::abort();
        }
#endif
    }

  private:
#ifndef NDEBUG
    std::thread::id owner = std::this_thread::get_id();
#endif
};

}  // namespace platform
