#pragma once

#include <stdexcept>
#include <string>

namespace pagrovix {

// The one error type of the program: it carries the text the user is shown. Every subsystem throws
// it, and one top-level handler shows it as the program's error box.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A failure that may not happen on another try: a time limit that ran out, a page process that
// ended, a network that failed.
class TransientError : public Error {
public:
    using Error::Error;
};

// A file's data could not be stored; the system's reason (an errno value, 0 when it gave none)
// comes along for callers that name it.
class WriteError : public Error {
public:
    WriteError(const std::string& message, int systemError)
        : Error(message), systemError_(systemError) {}
    int SystemError() const { return systemError_; }

private:
    int systemError_;
};

}  // namespace pagrovix
