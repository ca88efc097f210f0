#pragma once
// Sets an environment variable for one test and puts back what was there before, set or not.

#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>

namespace testing_support {

class ScopedEnvironmentVariable {
  public:
    explicit ScopedEnvironmentVariable(std::string variable) : name(std::move(variable)) {}
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;
    ~ScopedEnvironmentVariable() { restore(); }

    void set(const std::string& value) {
        remember();
        ::setenv(name.c_str(), value.c_str(), 1);
    }

    void unset() {
        remember();
        ::unsetenv(name.c_str());
    }

    void restore() {
        if (!changed) {
            return;
        }
        if (saved) {
            ::setenv(name.c_str(), saved->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
        changed = false;
    }

  private:
    void remember() {
        if (!changed) {
            const char* old = ::getenv(name.c_str());
            saved = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
            changed = true;
        }
    }

    std::string name;
    std::optional<std::string> saved;
    bool changed = false;
};

}  // namespace testing_support
