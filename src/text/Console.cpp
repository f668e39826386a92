#include "text/Console.h"

#include <cstdarg>
#include <cstdio>

namespace wobble {

namespace {

thread_local ConsoleTranscript* recording = nullptr;

constexpr int kFlushOut = 0;
constexpr int kOut = 1;
constexpr int kErr = 2;

std::FILE* StreamOf(int stream) {
    return stream == kOut ? stdout : stderr;
}

void Write(int stream, const char* format, va_list args) {
    if (recording == nullptr) {
        std::vfprintf(StreamOf(stream), format, args);
        return;
    }
    va_list again;
    va_copy(again, args);
    char shortText[256];
    const int length = std::vsnprintf(shortText, sizeof shortText, format, args);
    if (length < static_cast<int>(sizeof shortText)) {
        AddToTranscript(*recording, stream, shortText, length > 0 ? static_cast<size_t>(length) : 0);
    } else {
        std::string text(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, again);
        AddToTranscript(*recording, stream, text.data(), static_cast<size_t>(length));
    }
    va_end(again);
}

}  // namespace

void AddToTranscript(ConsoleTranscript& transcript, int stream, const char* text, size_t length) {
    std::vector<ConsoleTranscript::Entry>& entries = transcript.entries_;
    // Pieces written one after another to the same stream go out as one.
    if (stream != kFlushOut && !entries.empty() && entries.back().stream == stream) {
        entries.back().text.append(text, length);
    } else {
        entries.push_back({stream, std::string(text, length)});
    }
}

void ConsoleOut(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(kOut, format, args);
    va_end(args);
}

void ConsoleErr(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(kErr, format, args);
    va_end(args);
}

void ConsoleErrText(const char* text, size_t length) {
    if (recording == nullptr) {
        std::fwrite(text, 1, length, stderr);
    } else {
        AddToTranscript(*recording, kErr, text, length);
    }
}

void ConsoleFlushOut() {
    if (recording == nullptr) {
        std::fflush(stdout);
    } else {
        AddToTranscript(*recording, kFlushOut, "", 0);
    }
}

void ConsoleTranscript::Play() const {
    for (const Entry& entry : entries_) {
        if (entry.stream == kFlushOut) {
            std::fflush(stdout);
        } else {
            std::fwrite(entry.text.data(), 1, entry.text.size(), StreamOf(entry.stream));
        }
    }
}

ConsoleRecording::ConsoleRecording(ConsoleTranscript& transcript) : previous_(recording) {
    recording = &transcript;
}

ConsoleRecording::~ConsoleRecording() {
    recording = previous_;
}

}  // namespace wobble
