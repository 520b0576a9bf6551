// How the platform shows a failure that ends the program, beyond the line on stderr:
// platform/<name>/failure_box.cpp. ShowFailureBox gets one line without its line break and
// returns once the player has seen it, or at once where the platform shows nothing more.
#pragma once

#include <string>

void ShowFailureBox(const std::string& line);
