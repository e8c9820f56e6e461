#pragma once

#include <string>
#include <vector>

namespace pagrovix {

// --split ROWS[:OVERLAP]: a taller picture is written in parts of at most rows rows, each
// repeating the last overlap rows of the one before (0 <= overlap < rows).
struct SplitRows {
    int rows = 0;
    int overlap = 0;
};

// Rows top (inclusive) to bottom (exclusive) of the picture.
struct PartRows {
    int top = 0;
    int bottom = 0;
};

// The parts of a picture height rows tall, top to bottom; one part, the whole picture, when it
// is no taller than split.rows.
std::vector<PartRows> PlanParts(int height, const SplitRows& split);

// The file of part number (from 1): "-number" before the extension of the name part,
// "shots/a.b.png" -> "shots/a.b-2.png", "shots/noext" -> "shots/noext-2".
std::string PartPath(const std::string& output, int number);

}  // namespace pagrovix
