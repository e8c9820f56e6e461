#pragma once

#include <string>

namespace pagrovix {

// The browser engine keeps its cache, cookies and site storage in the user's cache and data
// folders. Each run of the command gets a fresh folder of its own instead, removed at the end:
// no capture depends on an earlier run, and nothing is left in the home folder. Only the engine's
// folders move: the page processes still see the user's own data folder, where fonts live.
// Must be made before the toolkit and the engine start. When no folder can be made, the engine
// uses the usual folders.
class TemporaryProfile {
public:
    TemporaryProfile();
    ~TemporaryProfile();
    TemporaryProfile(const TemporaryProfile&) = delete;
    TemporaryProfile& operator=(const TemporaryProfile&) = delete;

private:
    std::string path_;
    int remover_ = -1;  // the pipe whose end tells the remover that the command has ended
};

}  // namespace pagrovix
