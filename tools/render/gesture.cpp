#include "gesture.h"

#include <algorithm>
#include <charconv>

#include "message_text.h"

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Reads the next blank-separated integer; false when there is none or it is not a whole number
// that fits, `tooBig` naming the field that does not fit.
template <typename Integer>
bool readInteger(std::string_view& rest, Integer& value, std::string_view& tooBig) {
    rest = trimmed(rest);
    const auto end = rest.find_first_of(" \t");
    const std::string_view field = rest.substr(0, end);
    if (field.empty()) {
        return false;
    }
    const auto [stop, failure] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (failure == std::errc::result_out_of_range) {
        tooBig = field;
        return false;
    }
    if (failure != std::errc() || stop != field.data() + field.size()) {
        return false;
    }
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
    return true;
}

}  // namespace

std::optional<Gesture> Gesture::parse(std::string_view text, std::string& error) {
    std::vector<GesturePoint> points;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);

        line = trimmed(line.substr(0, line.find('#')));
        if (line.empty()) {
            continue;
        }
        GesturePoint point;
        std::string_view rest = line;
        std::string_view tooBig;
        if (!readInteger(rest, point.timeMs, tooBig) ||
            !readInteger(rest, point.position.x, tooBig) ||
            !readInteger(rest, point.position.y, tooBig) || !trimmed(rest).empty()) {
            error = "gesture line " + std::to_string(lineNumber) +
                    (tooBig.empty()
                         ? ": expected three integers 't_ms x y', found " + quotedForMessage(line)
                         : ": the number " + quotedForMessage(tooBig) + " is too big");
            return std::nullopt;
        }
        if (point.timeMs < 0) {
            error = "gesture line " + std::to_string(lineNumber) + ": time " +
                    std::to_string(point.timeMs) + " ms is negative";
            return std::nullopt;
        }
        if (!points.empty() && point.timeMs < points.back().timeMs) {
            error = "gesture line " + std::to_string(lineNumber) + ": time " +
                    std::to_string(point.timeMs) + " ms comes before the previous line's " +
                    std::to_string(points.back().timeMs) + " ms";
            return std::nullopt;
        }
        points.push_back(point);
    }
    if (points.empty()) {
        error = "gesture holds no 't_ms x y' lines";
        return std::nullopt;
    }
    return Gesture(std::move(points));
}

Gesture Gesture::fromPoints(std::vector<GesturePoint> taken, int64_t lastMs,
                            std::shared_ptr<platform::CursorSource> replay) {
    Gesture gesture(std::move(taken));
    gesture.lastMs = lastMs;
    gesture.replay = std::move(replay);
    return gesture;
}

Gesture Gesture::replayingEveryRead(std::vector<GesturePoint> taken, int64_t lastMs,
                                    std::shared_ptr<files::ReadReplay> replay) {
    Gesture gesture = fromPoints(std::move(taken), lastMs, replay);
    gesture.wholeReplay = std::move(replay);
    return gesture;
}

platform::CursorPosition Gesture::cursorAt(int64_t timeMs) const {
    const auto after =
        std::upper_bound(points.begin(), points.end(), timeMs,
                         [](int64_t t, const GesturePoint& p) { return t < p.timeMs; });
    return after == points.begin() ? points.front().position : std::prev(after)->position;
}
