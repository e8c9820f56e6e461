#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace pagrovix {

// Processes the engine's and the windows' events, but holds the user's clicks and keys back, until
// done() holds or limit has passed; returns whether done() held. Input that arrives meanwhile is
// dispatched after the capture, so it cannot start a second one half-way.
bool WaitForEngine(const std::function<bool()>& done, std::chrono::milliseconds limit);

// One round of the same: what is pending now, without the user's input.
void ProcessEngineEvents();

// A wait's length for messages: "1 second", "2.5 seconds".
std::string SecondsText(std::chrono::milliseconds limit);

}  // namespace pagrovix
