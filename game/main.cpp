// Program entry: the whole game runs in runZandor; failures end the program with one line on
// stderr and a non-zero status.
#include <iostream>

#include "game/game.h"

int main() {
    return runZandor(std::cerr);
}
