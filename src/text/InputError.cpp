#include "text/InputError.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "text/Console.h"

namespace wobble {

namespace {

// Error lines quote the input (a key name, a token, a file name), and a
// hostile file may hold control characters: an escape sequence would move the
// terminal's cursor or recolour it, a carriage return would hide the line.
// Each control character is written as \xNN instead; other bytes, UTF-8
// names included, go out as they are.
void AppendEscaped(std::string& line, const std::string& text) {
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            line += escaped;
        } else {
            line += ch;
        }
    }
}

}  // namespace

InputError MakeInputError(std::string file, int line, const char* format, ...) {
    InputError error;
    error.file = std::move(file);
    error.line = line;
    char shortText[512];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(shortText, sizeof shortText, format, args);
    va_end(args);
    if (length >= static_cast<int>(sizeof shortText)) {
        std::vector<char> longText(static_cast<size_t>(length) + 1);
        std::vsnprintf(longText.data(), longText.size(), format, again);
        error.message.assign(longText.data(), static_cast<size_t>(length));
    } else if (length > 0) {
        error.message.assign(shortText, static_cast<size_t>(length));
    }
    va_end(again);
    return error;
}

std::string InputErrorLine(const InputError& error) {
    if (!error.Explained())
        return "";
    std::string line;
    AppendEscaped(line, error.file);
    line += error.line > 0 ? ":" + std::to_string(error.line) + ": " : std::string(": ");
    AppendEscaped(line, error.message);
    return line + "\n";
}

void PrintInputError(const InputError& error) {
    if (!error.Explained())
        return;
    ConsoleFlushOut();
    const std::string line = InputErrorLine(error);
    ConsoleErrText(line.data(), line.size());
}

}  // namespace wobble
