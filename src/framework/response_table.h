#pragma once
// Per-class static response tables: each window class lists {message, handler[, command id]} and
// its dispatchMessage walks its own table before its bases'.

#include <span>

#include "framework/message_event.h"

namespace framework {

inline constexpr int anyId = -1;

template <class T>
struct Response {
    UINT message = 0;
    LRESULT (T::*handler)(WPARAM, LPARAM) = nullptr;
    int id = anyId;  // WM_COMMAND/WM_NOTIFY: only this control or command id (low word of wParam)
};

template <class T>
bool respond(T* self, std::span<const Response<T>> table, MessageEvent& event) {
    for (const Response<T>& entry : table) {
        if (entry.message != event.message) {
            continue;
        }
        if (entry.id != anyId && static_cast<int>(loWord(event.wParam)) != entry.id) {
            continue;
        }
        event.result = (self->*entry.handler)(event.wParam, event.lParam);
        event.handled = true;
        return true;
    }
    return false;
}

}  // namespace framework

// Declares the class's table and chains it before the named bases' dispatch. The table itself is
// defined in the class's source file:
//   std::span<const Response<TFoo>> TFoo::responseTable() { static constexpr Response<TFoo> t[] =
//   {...}; return t; }
#define LIRVETO_RESPONSE_TABLE(Self, Base)                                                         \
  protected:                                                                                       \
    bool dispatchMessage(::framework::MessageEvent& event) override {                              \
        return ::framework::respond(this, responseTable(), event) || Base::dispatchMessage(event); \
    }                                                                                              \
                                                                                                   \
  private:                                                                                         \
    static std::span<const ::framework::Response<Self>> responseTable()

#define LIRVETO_RESPONSE_TABLE2(Self, Base1, Base2)                            \
  protected:                                                                   \
    bool dispatchMessage(::framework::MessageEvent& event) override {          \
        return ::framework::respond(this, responseTable(), event) ||           \
               Base1::dispatchMessage(event) || Base2::dispatchMessage(event); \
    }                                                                          \
                                                                               \
  private:                                                                     \
    static std::span<const ::framework::Response<Self>> responseTable()
