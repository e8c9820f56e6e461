#pragma once

namespace pagrovix {

// Settings of the GUI toolkit that must be in place before it starts; a program that shows its
// windows to a person calls this first thing in main().
void PrepareToolkit();

}  // namespace pagrovix
