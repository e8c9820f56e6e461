#pragma once

#include <cstdio>
#include <functional>

namespace pagrovix {

// The X server the views run on can go away at any time (a private server killed, a session
// closed). The toolkit cannot go on without it and would end the process without a word. Once
// this is called, the command says on errors what happened instead, lets the wind-up below finish
// what needs no display, and ends with status 1. Call it after the toolkit has opened the display.
void WatchForDisplayLoss(std::FILE* errors);

// While it lives, a lost display runs windUp before the command ends.
class DisplayLossWindUp {
public:
    explicit DisplayLossWindUp(std::function<void()> windUp);
    ~DisplayLossWindUp();
    DisplayLossWindUp(const DisplayLossWindUp&) = delete;
    DisplayLossWindUp& operator=(const DisplayLossWindUp&) = delete;
};

}  // namespace pagrovix
