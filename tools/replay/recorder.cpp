// The recorder runs the unmodified game over the real SDL drivers with two thin wrappers:
//
// - a clock that holds still while a frame's rules run (each frame reads the clock it started
//   at, which the recording keeps) and follows the real clock during the frame's pacing sleep.
//   While the program starts up it behaves like the test harness's virtual clock, so start-up
//   reads the same values, and the random seed drawn from it, in record and replay alike.
// - a system driver that lets the window system's messages through only at a frame's first
//   poll, so every event a frame sees arrives where replay delivers it.
//
// A listener on the event hook list writes down each event as it is delivered.
#include "tools/replay/recorder.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <memory>
#include <ostream>
#include <thread>

#include "engine/graphics/graphics.h"
#include "engine/system/clock.h"
#include "engine/system/event.h"
#include "engine/system/hook.h"
#include "engine/system/system_driver.h"
#include "game/game.h"
#include "game/globals.h"
#include "tools/replay/recording.h"
#include "tools/replay/replay_player.h"
#include "tools/replay/state_hash.h"

namespace {

class TFrameClock final : public TClock {
  public:
    explicit TFrameClock(TClock& real, std::uint32_t start)
        : real_(real), mainThread_(std::this_thread::get_id()), held_(start) {}

    std::uint32_t Milliseconds() override {
        if (OnMain() && holding_.load()) return held_.load();
        return real_.Milliseconds();
    }
    void Sleep(std::uint32_t ms) override {
        if (OnMain() && holding_.load()) {
            held_.fetch_add(ms);  // start-up: time moves only by sleeping, as in the harness
        } else {
            real_.Sleep(ms);
        }
    }
    void SleepUntil(std::uint32_t deadline) override {
        if (OnMain() && holding_.load()) {
            TClock::SleepUntil(deadline);
        } else {
            real_.SleepUntil(deadline);  // keeps the real clock's exact wake-up for pacing
        }
    }
    // Holds the clock at the real time now and returns that time.
    std::uint32_t HoldNow() {
        const std::uint32_t now = real_.Milliseconds();
        held_.store(now);
        holding_.store(true);
        return now;
    }
    std::uint32_t Held() const { return held_.load(); }
    void Release() { holding_.store(false); }

  private:
    bool OnMain() const { return std::this_thread::get_id() == mainThread_; }

    TClock& real_;
    std::thread::id mainThread_;
    std::atomic<bool> holding_{true};
    std::atomic<std::uint32_t> held_;
};

class TFrameGateDriver final : public TSystemDriver {
  public:
    explicit TFrameGateDriver(TSystemDriver& inner) : inner_(inner) {}

    void Open() { open_ = true; }
    void Poll() override {
        if (!open_) return;
        open_ = false;
        inner_.Poll();
    }
    void Wait() override { inner_.Wait(); }
    void MoveMouse(int x, int y) override { inner_.MoveMouse(x, y); }
    void SetMouseVisible(int visible) override { inner_.SetMouseVisible(visible); }

  private:
    TSystemDriver& inner_;
    bool open_ = false;
};

struct TRecorderState {
    TFrameClock* clock = nullptr;
    bool running = false;  // the frame loop has begun
    TReplayFrame* frame = nullptr;
    int droppedEvents = 0;
};

TObjectPtr LogEvent(int, const TObjectPtr& data, void* context) {
    auto& state = *static_cast<TRecorderState*>(context);
    const auto* event = dynamic_cast<const TEvent*>(data.get());
    if (!event) return data;
    using TKind = TReplayEvent::TKind;
    TReplayEvent e;
    switch (event->id) {
        case EVENT_MOUSEMOVE:
            e = {TKind::kMove, event->x, event->y};
            break;
        case EVENT_MOUSEDOWN:
            e = {TKind::kButtonDown, event->data, 0};
            break;
        case EVENT_MOUSEUP:
            e = {TKind::kButtonUp, event->data, 0};
            break;
        case EVENT_KEYDOWN:
            e = {TKind::kKeyDown, event->data, 0};
            break;
        case EVENT_KEYUP:
            e = {TKind::kKeyUp, event->data, 0};
            break;
        case EVENT_APPTERMINATE:
            e = {TKind::kClose, 0, 0};
            break;
        case EVENT_APPSUSPEND:
            e = {TKind::kSuspend, 0, 0};
            break;
        case EVENT_APPRESUME:
            e = {TKind::kResume, 0, 0};
            break;
        default:
            return data;  // characters, wheel and the rest do not reach the rules
    }
    // Buttons and keys the polled state ignores are left out, so the file stays parseable.
    const bool button = e.kind == TKind::kButtonDown || e.kind == TKind::kButtonUp;
    const bool key = e.kind == TKind::kKeyDown || e.kind == TKind::kKeyUp;
    if ((button && (e.a < 0 || e.a > 3)) || (key && (e.a < 0 || e.a > 255))) return data;
    if (state.frame) {
        state.frame->events.push_back(e);
    } else {
        ++state.droppedEvents;
    }
    return data;
}

TObjectPtr ReleaseClock(int, const TObjectPtr& data, void* context) {
    auto& state = *static_cast<TRecorderState*>(context);
    if (state.running) state.clock->Release();
    return data;
}

}  // namespace

int RecordGame(const TRecordOptions& options, std::ostream& out, std::ostream& err) {
    std::ofstream file(options.outPath, std::ios::binary | std::ios::trunc);
    if (!file) {
        err << "zandor-replay: cannot write " << options.outPath << '\n';
        return 1;
    }
    std::ofstream trace;
    if (!options.tracePath.empty()) {
        trace.open(options.tracePath, std::ios::binary | std::ios::trunc);
        if (!trace) {
            err << "zandor-replay: cannot write " << options.tracePath << '\n';
            return 1;
        }
    }
    TRecording recording;
    TRecorderState state;
    std::uint64_t lastHash = 0;
    TFrameClock clock(CurrentClock(), CurrentClock().Milliseconds());
    recording.clockStart = clock.Held();
    state.clock = &clock;
    SetClock(&clock);

    int status = 0;
    TSystemDriver* real = nullptr;
    std::unique_ptr<TFrameGateDriver> gate;
    try {
        registerGameFiles();
        startEngineModules();
        real = &CurrentSystemDriver();
        gate = std::make_unique<TFrameGateDriver>(*real);
        SetSystemDriver(gate.get());
        InsertHook(EmitEventHookId(), LogEvent, &state, 1000);
        InsertHook(FlipHookId(), ReleaseClock, &state, 0);

        const std::string failure = startUp();
        if (!failure.empty()) {
            err << "zandor-replay: " << failure << '\n';
            status = 1;
        } else {
            state.running = true;
            int afterEnd = 0;
            std::uint32_t previous = recording.clockStart;
            for (;;) {
                const std::uint32_t now = clock.HoldNow();
                recording.frames.push_back(TReplayFrame{now - previous, {}});
                previous = now;
                state.frame = &recording.frames.back();
                gate->Open();
                const bool goOn = runFrame();
                state.frame = nullptr;
                lastHash = HashGameState();
                if (trace.is_open()) {
                    trace << FrameLine(static_cast<int>(recording.frames.size()), lastHash);
                }
                if (!goOn) break;
                if (options.maxFrames > 0 &&
                    static_cast<int>(recording.frames.size()) >= options.maxFrames) {
                    break;
                }
                const bool closing =
                    gameState == GAME_STATE_GAME_OVER || gameState == GAME_STATE_END;
                if (options.framesAfterEnd >= 0 && closing &&
                    afterEnd++ >= options.framesAfterEnd) {
                    break;
                }
            }
        }
        EndGraphics();
    } catch (const std::exception& error) {
        err << "zandor-replay: " << error.what() << '\n';
        status = 1;
    }
    // The hooks and the gate refer to this function's locals; none may outlive it.
    DeleteHook(FlipHookId(), ReleaseClock, &state);
    DeleteHook(EmitEventHookId(), LogEvent, &state);
    if (real) SetSystemDriver(real);
    clock.Release();
    SetClock(nullptr);
    if (status != 0) {
        // No half-made recording is left behind to be mistaken for a game.
        file.close();
        std::remove(options.outPath.c_str());
        return status;
    }

    file << "# Recorded by zandor-replay record; replay with zandor-replay play <file>.\n";
    file << FormatRecording(recording);
    file.close();
    if (!file) {
        err << "zandor-replay: cannot write " << options.outPath << '\n';
        return 1;
    }
    if (state.droppedEvents > 0) {
        err << "zandor-replay: warning: " << state.droppedEvents
            << " events arrived outside a frame and are not in the recording\n";
    }
    out << "recorded " << recording.frames.size() << " frames, score " << score << ", best chain "
        << bestChain << ", final hash " << HashToHex(lastHash) << " -> " << options.outPath << '\n';
    return 0;
}
