#pragma once

#include <functional>

namespace pagrovix {

// Runs a command; an error it raises ends it and goes to the program's default error display.
void ReportErrors(const std::function<void()>& command);

// Runs a step whose failure the user need not hear about.
void IgnoreErrors(const std::function<void()>& step);

}  // namespace pagrovix
