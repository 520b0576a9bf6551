// zandor-replay: plays a recorded game headless and prints the state hash of every frame, or
// records a game played in the real window.
//
//   zandor-replay play <recording>
//   zandor-replay record <out> [--after-end <frames>] [--max-frames <n>]
//                                      [--trace <file>]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "tools/replay/recorder.h"
#include "tools/replay/recording.h"
#include "tools/replay/replay_player.h"

namespace {

int Usage() {
    std::cerr << "usage: zandor-replay play <recording>\n"
                 "       zandor-replay record <out> [--after-end <frames>] [--max-frames <n>]\n"
                 "                                    [--trace <file>]\n";
    return 2;
}

bool ParseCount(const char* text, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < -1 || value > 10'000'000) return false;
    out = static_cast<int>(value);
    return true;
}

int Play(const std::string& path) {
    TRecording recording;
    std::string error;
    if (!LoadRecording(path, recording, error)) {
        std::cerr << "zandor-replay: " << error << '\n';
        return 1;
    }
    const TReplayResult result = PlayRecording(
        recording, [](int frame, std::uint64_t hash) { std::cout << FrameLine(frame, hash); });
    if (!result.failure.empty()) {
        std::cerr << "zandor-replay: " << result.failure << '\n';
        return 1;
    }
    std::cout << FinalLine(result);
    std::cout.flush();
    if (result.framesPlayed != static_cast<int>(recording.frames.size())) {
        std::cerr << "zandor-replay: the game ended after " << result.framesPlayed << " of "
                  << recording.frames.size() << " recorded frames\n";
        return 1;
    }
    return std::cout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Windows' C library would write each "\n" as "\r\n"; the lines are compared byte for byte
    // with the other platforms' output.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    if (command == "play" && argc == 3) return Play(argv[2]);
    if (command != "record") return Usage();
    TRecordOptions options;
    options.outPath = argv[2];
    for (int i = 3; i < argc; i += 2) {
        if (i + 1 >= argc) return Usage();
        if (std::strcmp(argv[i], "--trace") == 0) {
            options.tracePath = argv[i + 1];
            continue;
        }
        int* target = nullptr;
        if (std::strcmp(argv[i], "--after-end") == 0) target = &options.framesAfterEnd;
        if (std::strcmp(argv[i], "--max-frames") == 0) target = &options.maxFrames;
        if (!target || !ParseCount(argv[i + 1], *target)) return Usage();
    }
    return RecordGame(options, std::cout, std::cerr);
}
