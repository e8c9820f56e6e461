#pragma once

#include <string>

namespace pagrovix {

// The browser engine keeps its cache, cookies and site storage in the user's cache and data
// folders. Each run of the command gets a fresh folder of its own instead, removed at the end:
// no capture depends on an earlier run, and nothing is left in the home folder. Only the engine's
// folders move: the page processes still see the user's own data folder, where fonts live.
// Must be made before the toolkit and the engine start.
class TemporaryProfile {
public:
    TemporaryProfile();
    ~TemporaryProfile();
    TemporaryProfile(const TemporaryProfile&) = delete;
    TemporaryProfile& operator=(const TemporaryProfile&) = delete;

    // Empty when no folder could be made; the engine then uses the usual folders.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace pagrovix
