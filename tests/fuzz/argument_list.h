#pragma once
// Fuzz bytes as a command line: arguments separated by NUL bytes, as the kernel hands them over.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ArgumentList {
  public:
    ArgumentList(const uint8_t* data, size_t size) {
        std::string current;
        for (size_t i = 0; i < size; ++i) {
            if (data[i] == 0) {
                words.push_back(current);
                current.clear();
            } else {
                current += static_cast<char>(data[i]);
            }
        }
        if (!current.empty()) {
            words.push_back(current);
        }
        for (const std::string& word : words) {
            pointers.push_back(word.c_str());
        }
        pointers.push_back(nullptr);
    }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;

    int count() const { return static_cast<int>(words.size()); }
    const char* const* values() const { return pointers.data(); }
    const std::string& at(size_t index) const { return words[index]; }

  private:
    std::vector<std::string> words;
    std::vector<const char*> pointers;
};
