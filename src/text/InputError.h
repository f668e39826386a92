#pragma once
// How a file reader says no: it returns an error value naming the file, the
// line and the problem, and the caller decides where and whether to print
// it. Printed, it is one line on standard error:
//
//   body.tet:12: corner index 57 is outside 0..49
//
// A reader that fails in a way its file format keeps silent about (a header
// that does not match, a specified console message already printed) returns
// an error with no message: the caller then adds the line of its own that
// says what the failure means for it.

#include <string>
#include <utility>
#include <variant>

namespace wobble {

struct InputError {
    std::string file;
    int line = 0;         // 1-based; 0 when the problem belongs to no one line
    std::string message;  // empty: the reader failed without a word of its own

    bool Explained() const { return !message.empty(); }
};

// An InputError with a printf-style message.
InputError MakeInputError(std::string file, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Prints "file:line: message" (the line left out when 0) on standard error,
// after flushing standard output so the console's lines keep their order.
// Control characters quoted from the input are written as \xNN, so the line
// stays one line and cannot steer the terminal. Prints nothing for an error
// without a message.
void PrintInputError(const InputError& error);
// The line PrintInputError prints, its line end included; "" without a message.
std::string InputErrorLine(const InputError& error);

// What a reader returns: the value it read, or the reason it could not.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(InputError error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const InputError& error() const { return std::get<1>(state_); }

private:
    std::variant<T, InputError> state_;
};

// A result that carries nothing but success: `return Done{};`.
struct Done {};
using Status = Result<Done>;

}  // namespace wobble
