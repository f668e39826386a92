#include "app/Replay.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "input/Gamepad.h"
#include "input/KeyTable.h"
#include "text/LineReader.h"

namespace wobble {

namespace {

struct KeyName {
    const char* name;
    int code;
};

constexpr KeyName kKeyNames[] = {
    {"Up", vk::kUp},         {"Down", vk::kDown}, {"Left", vk::kLeft},   {"Right", vk::kRight},
    {"Escape", vk::kEscape}, {"F1", vk::kF1},     {"F5", vk::kF5},       {"F11", vk::kF11},
    {"F12", vk::kF12},       {"F9", vk::kF9},     {"KP2", vk::kNumpad2}, {"Tab", vk::kTab},
};

constexpr KeyName kButtonNames[] = {
    {"left", kLeftButton}, {"middle", kMiddleButton}, {"right", kRightButton}};

// A whole-number field: digits only, with an optional leading minus sign when allowed.
bool ParseWhole(const std::string& text, bool allowNegative, long long& value) {
    if (text.empty())
        return false;
    size_t start = (allowNegative && text[0] == '-') ? 1 : 0;
    if (start == text.size())
        return false;
    for (size_t k = start; k < text.size(); ++k) {
        if (text[k] < '0' || text[k] > '9')
            return false;
    }
    errno = 0;
    value = std::strtoll(text.c_str(), nullptr, 10);
    return errno == 0;
}

// A stick's deflection: a decimal number from -1 to 1.
bool ParseDeflection(const std::string& text, float& value) {
    if (text.empty() || text.find_first_not_of("+-.0123456789eE") != std::string::npos)
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtof(text.c_str(), &end);
    return errno == 0 && *end == '\0' && value >= -1.0f && value <= 1.0f;
}

// "pad button NAME down|up" or "pad axis NAME VALUE", from the third word on.
std::string ParsePadEvent(const std::vector<std::string>& words, InputEvent& event) {
    const bool button = words.size() > 2 && words[2] == "button";
    const bool axis = words.size() > 2 && words[2] == "axis";
    if ((!button && !axis) || words.size() != 5)
        return "pad takes button NAME down|up, or axis NAME VALUE";
    if (button) {
        event.control = PadButtonFromName(words[3]);
        if (event.control < 0)
            return "unknown pad button '" + words[3] + "' (a b x y back start leftshoulder ...)";
        if (words[4] != "down" && words[4] != "up")
            return "pad button takes down or up after its name";
        event.type = words[4] == "down" ? EventType::PadButtonDown : EventType::PadButtonUp;
        return "";
    }
    event.control = PadAxisFromName(words[3]);
    if (event.control < 0)
        return "unknown pad axis '" + words[3] + "' (leftx lefty rightx righty ...)";
    if (!ParseDeflection(words[4], event.value))
        return "pad axis takes a value from -1 to 1";
    event.type = EventType::PadAxisMoved;
    return "";
}

}  // namespace

int KeyCodeFromName(const std::string& name) {
    for (const KeyName& k : kKeyNames) {
        if (name == k.name)
            return k.code;
    }
    if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z')
        return name[0];
    if (name.size() == 4 && name[0] == '0' && name[1] == 'x') {
        int code = 0;
        for (size_t k = 2; k < 4; ++k) {
            const char c = name[k];
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return -1;
            code = code * 16 + digit;
        }
        return code;
    }
    return -1;
}

Status Replay::Load(const std::string& path) {
    events_.clear();
    next_ = 0;
    // Events go here first and become the replay's only when the whole file
    // is good: a refused file leaves no events behind.
    std::vector<ReplayEvent> events;
    LineReader in(path);
    if (!in.IsOpen()) {
        return MakeInputError(path, 0, "cannot read the replay file: %s", in.error().c_str());
    }
    // Whole physical lines: a replay line has no reason to be long, so a piece
    // that does not end its line is refused rather than split.
    while (in.Next()) {
        const int line = in.lineNumber();
        std::string text = in.text();
        if (!in.EndsLine() && !in.AtEnd()) {
            return MakeInputError(path, line, "line is longer than %d characters",
                                  LineReader::kBufferSize - 1);
        }
        if (text.size() != in.length()) {
            return MakeInputError(path, line, "line holds a NUL byte: this is not a text file");
        }
        const size_t hash = text.find('#');
        if (hash != std::string::npos)
            text.erase(hash);
        std::istringstream fields(text);
        std::vector<std::string> words;
        for (std::string w; fields >> w;)
            words.push_back(w);
        if (words.empty())
            continue;

        auto refuse = [&](const std::string& why) -> Status {
            return MakeInputError(path, line, "%s", why.c_str());
        };
        ReplayEvent e;
        if (!ParseWhole(words[0], false, e.frame) || e.frame < 1) {
            return refuse("'" + words[0] + "' is not a frame number (1 or more)");
        }
        if (words.size() < 2)
            return refuse(
                "an event needs a kind: down, up, mouse, cursor, button, pad, close or drop");
        const std::string& kind = words[1];
        if (kind == "down" || kind == "up") {
            if (words.size() != 3)
                return refuse(kind + " takes one key");
            const int code = KeyCodeFromName(words[2]);
            if (code < 0)
                return refuse("unknown key '" + words[2] + "'");
            e.event.type = kind == "down" ? EventType::KeyDown : EventType::KeyUp;
            e.event.virtualKey = code;
        } else if (kind == "mouse") {
            long long dx = 0, dy = 0;
            if (words.size() != 4 || !ParseWhole(words[2], true, dx) ||
                !ParseWhole(words[3], true, dy)) {
                return refuse("mouse takes two whole numbers of counts");
            }
            if (dx < INT_MIN / 2 || dx > INT_MAX / 2 || dy < INT_MIN / 2 || dy > INT_MAX / 2) {
                return refuse("mouse counts are out of range");
            }
            e.event.type = EventType::MouseCounts;
            e.event.dx = static_cast<int>(dx);
            e.event.dy = static_cast<int>(dy);
        } else if (kind == "cursor") {
            long long x = 0, y = 0;
            if (words.size() != 4 || !ParseWhole(words[2], true, x) ||
                !ParseWhole(words[3], true, y)) {
                return refuse("cursor takes two whole numbers of pixels");
            }
            if (x < INT_MIN / 2 || x > INT_MAX / 2 || y < INT_MIN / 2 || y > INT_MAX / 2)
                return refuse("cursor pixels are out of range");
            e.event.type = EventType::CursorMoved;
            e.event.x = static_cast<int>(x);
            e.event.y = static_cast<int>(y);
        } else if (kind == "button") {
            const KeyName* button = nullptr;
            for (const KeyName& b : kButtonNames) {
                if (words.size() > 2 && words[2] == b.name)
                    button = &b;
            }
            if (words.size() != 4 || button == nullptr || (words[3] != "down" && words[3] != "up"))
                return refuse("button takes left, middle or right, then down or up");
            e.event.type = words[3] == "down" ? EventType::ButtonDown : EventType::ButtonUp;
            e.event.button = button->code;
        } else if (kind == "drop") {
            // The path is the rest of the line, spaces and all.
            const size_t kindAt = text.find("drop");
            size_t from = text.find_first_not_of(" \t", kindAt + 4);
            size_t to = text.find_last_not_of(" \t\r\n");
            if (words.size() < 3 || from == std::string::npos)
                return refuse("drop takes the path of a model file or a scene folder");
            std::string dropped = text.substr(from, to + 1 - from);
            if (dropped[0] != '/') {
                const size_t slash = path.rfind('/');
                if (slash != std::string::npos)
                    dropped = path.substr(0, slash + 1) + dropped;
            }
            e.event.type = EventType::Drop;
            e.event.path = dropped;
        } else if (kind == "pad") {
            const std::string why = ParsePadEvent(words, e.event);
            if (!why.empty())
                return refuse(why);
        } else if (kind == "close") {
            if (words.size() != 2)
                return refuse("close takes nothing more");
            e.event.type = EventType::CloseRequest;
        } else {
            return refuse("unknown event '" + kind +
                          "' (down, up, mouse, cursor, button, pad, close or drop)");
        }
        events.push_back(e);
    }
    // Events of one frame keep their file order.
    std::stable_sort(events.begin(), events.end(),
                     [](const ReplayEvent& a, const ReplayEvent& b) { return a.frame < b.frame; });
    events_ = std::move(events);
    return Done{};
}

}  // namespace wobble
