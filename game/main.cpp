// Program entry: the whole game runs in runZandor; failures end the program with one line on
// the platform's failure report and a non-zero status.
#include "engine/graphics/failure_report.h"
#include "game/game.h"

int main() {
    return runZandor(FailureReport());
}
