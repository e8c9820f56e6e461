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

}  // namespace pagrovix
