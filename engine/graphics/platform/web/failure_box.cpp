// In the browser stderr is the console, and the page reports the program's exit itself.
#include "engine/graphics/internal/failure_box.h"

void ShowFailureBox(const std::string&) {}
