// Replay over TGameHarness. The harness starts the game exactly as the program does, so the
// recording's clock start reproduces the seed; each frame then pins the clock to its
// recorded value before the frame runs.
#include "tools/replay/replay_player.h"

#include "engine/system/event.h"
#include "game/globals.h"
#include "tools/headless/harness.h"
#include "tools/replay/state_hash.h"

namespace {

std::shared_ptr<TEvent> ToEvent(const TReplayEvent& e) {
    using TKind = TReplayEvent::TKind;
    switch (e.kind) {
        case TKind::kMove:
            return TEvent::Create(EVENT_MOUSEMOVE, nullptr, 0, 0, e.a, e.b);
        case TKind::kButtonDown:
            return TEvent::Create(EVENT_MOUSEDOWN, nullptr, e.a);
        case TKind::kButtonUp:
            return TEvent::Create(EVENT_MOUSEUP, nullptr, e.a);
        case TKind::kKeyDown:
            return TEvent::Create(EVENT_KEYDOWN, nullptr, e.a);
        case TKind::kKeyUp:
            return TEvent::Create(EVENT_KEYUP, nullptr, e.a);
        case TKind::kClose:
            return TEvent::Create(EVENT_APPTERMINATE);
        case TKind::kSuspend:
            return TEvent::Create(EVENT_APPSUSPEND);
        case TKind::kResume:
            return TEvent::Create(EVENT_APPRESUME);
    }
    return nullptr;
}

void Fold(std::uint64_t& hash, const std::string& text) {
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
}

}  // namespace

std::string FrameLine(int frame, std::uint64_t hash) {
    return std::to_string(frame) + ' ' + HashToHex(hash) + '\n';
}

std::string FinalLine(const TReplayResult& r) {
    return "final frames " + std::to_string(r.framesPlayed) + " state " +
           std::to_string(r.finalState) + " score " + std::to_string(r.score) + " chain " +
           std::to_string(r.bestChain) + " life " + std::to_string(r.life) + " hash " +
           HashToHex(r.finalHash) + " trace " + HashToHex(r.traceHash) + '\n';
}

TReplayResult PlayRecording(const TRecording& recording, const TFrameReport& report) {
    TReplayResult result;
    result.traceHash = 0xcbf29ce484222325ULL;
    TGameHarness game(recording.clockStart);
    result.failure = game.StartUpFailure();
    if (!result.failure.empty()) return result;

    std::uint32_t now = recording.clockStart;
    result.hashes.reserve(recording.frames.size());
    for (const TReplayFrame& frame : recording.frames) {
        now += frame.step;  // wraps like the real 32-bit clock
        game.Clock().Set(now);
        for (const TReplayEvent& e : frame.events) game.Input().Queue(ToEvent(e));
        const bool goOn = game.Frame();
        const std::uint64_t hash = HashGameState();
        ++result.framesPlayed;
        result.hashes.push_back(hash);
        Fold(result.traceHash, FrameLine(result.framesPlayed, hash));
        if (report) report(result.framesPlayed, hash);
        if (!goOn) {
            result.loopEnded = true;
            break;
        }
    }
    result.score = score;
    result.bestChain = bestChain;
    result.life = life;
    result.finalState = gameState;
    result.finalHash = result.hashes.empty() ? HashGameState() : result.hashes.back();
    return result;
}
