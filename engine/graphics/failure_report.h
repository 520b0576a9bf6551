// Where the program's last words go when it cannot go on (the window does not open, the
// display is lost): one line per failure, on stderr, and where a player never sees stderr
// (a Windows program started from its icon has none) in a message box as well.
#pragma once

#include <ostream>

// A stream for those lines, for the program's whole run. Each line is written to stderr as
// soon as it ends (or the stream is flushed), then shown as the platform shows failures; on
// Windows that box waits for the player before the program goes on to exit.
std::ostream& FailureReport();
