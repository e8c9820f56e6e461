#include "shot/SplitParts.h"

#include <algorithm>

namespace pagrovix {

std::vector<PartRows> PlanParts(int height, const SplitRows& split) {
    if (height <= split.rows) {
        return {{0, height}};
    }
    const int step = split.rows - split.overlap;
    std::vector<PartRows> parts;
    for (int top = 0;; top += step) {
        const int bottom = std::min(height, top + split.rows);
        parts.push_back({top, bottom});
        if (bottom == height) {
            return parts;
        }
    }
}

std::string PartPath(const std::string& output, int number) {
    const std::size_t slash = output.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = output.rfind('.');
    if (dot == std::string::npos || dot <= nameStart) {
        dot = output.size();
    }
    return output.substr(0, dot) + "-" + std::to_string(number) + output.substr(dot);
}

}  // namespace pagrovix
