#pragma once

namespace pagrovix {

// Interrupt, hang-up and terminate signals ask the command to stop: waits end early, no further
// page is started and no further file written, and the run ends the normal way, with its private
// X server stopped and its temporary folder removed. A second signal ends the command at once.
// Install needs a running GLib main context.
void InstallStopRequest();
bool StopRequested();

}  // namespace pagrovix
