// A read-only look at the level from the page, for the browser checks: which of the script's
// waves acted on which frame and play tenth and what they made, how many frames each tenth of
// the play clock held, and where the enemies are now. Only the page program carries it, and
// it watches only once the page asks (zandor_probe_watch); the game never calls it and none
// of its state reaches the game.
//
// It rides on the flip hook, which runs after the frame's screen handler and so after that
// frame's waves. Enemies are made only by the waves, after the frame's entity pass, so those
// still at alpha 0 at the flip are exactly the ones made in this frame.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/graphics.h"
#include "engine/system/hook.h"
#include "game/entities.h"
#include "game/globals.h"

namespace {

// One frame in which the script did something visible: a step, new enemies, a new background
// target or a new screen.
struct TScriptMark {
    int frame;
    int tenth;
    int lastTenth;  // the frame before's tenth: what the mark shows came due after it
    int step;
    int made;
    std::uint32_t digest;  // of the new enemies' kinds and start values
    int state;
    int target;
};

struct TLevelProbe {
    bool watching = false;
    bool inGame = false;
    int startTime = 0;
    int frame = 0;  // flips since the frame that started the game
    int tenth = 0;
    int step = 0;
    int state = 0;
    int target = 0;
    int made = 0;
    std::vector<TScriptMark> marks;
    std::vector<int> framesPerTenth;
    std::string text;
};

TLevelProbe& Probe() {
    static TLevelProbe probe;
    return probe;
}

std::uint32_t Mix(std::uint32_t h, const void* bytes, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
    return h;
}
std::uint32_t MixFloat(std::uint32_t h, float v) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return Mix(h, &bits, sizeof bits);
}

TObjectPtr OnFlip(int, const TObjectPtr& data, void*) {
    TLevelProbe& p = Probe();
    if (!enemyList) return data;
    if (!p.inGame || startTime != p.startTime) {
        // A new game: resetGame has taken a new start time.
        p.inGame = true;
        p.startTime = startTime;
        p.frame = 0;
        p.tenth = 0;
        p.step = waveStep;
        p.state = gameState;
        p.target = static_cast<int>(bgTargetBrightness);
        p.made = 0;
        p.marks.clear();
        p.framesPerTenth.assign(1600, 0);
        return data;
    }
    ++p.frame;
    if (gameState == GAME_STATE_PLAY && playTime >= 0 &&
        playTime < static_cast<int>(p.framesPerTenth.size())) {
        ++p.framesPerTenth[static_cast<std::size_t>(playTime)];
    }
    int made = 0;
    std::uint32_t digest = 2166136261u;
    for (const auto& e : enemyList->items()) {
        if (e->alpha != 0) continue;
        ++made;
        digest = Mix(digest, e->name.data(), e->name.size());
        for (float v : {e->x, e->y, e->speedX, e->speedY, e->rotation})
            digest = MixFloat(digest, v);
    }
    const int target = static_cast<int>(bgTargetBrightness);
    if (made > 0 || waveStep != p.step || gameState != p.state || target != p.target) {
        p.marks.push_back({p.frame, playTime, p.tenth, waveStep, made, digest, gameState, target});
        p.step = waveStep;
        p.state = gameState;
        p.target = target;
        p.made += made;
    }
    p.tenth = playTime;
    return data;
}

void Append(std::string& s, long long v) {
    s += std::to_string(v);
}
void Append(std::string& s, float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", std::isfinite(v) ? static_cast<double>(v) : 0.0);
    s += buf;
}

}  // namespace

// Starts watching; the next new game is the first one recorded.
extern "C" int zandor_probe_watch() {
    TLevelProbe& p = Probe();
    if (!p.watching && FlipHookId() >= 0) {
        InsertHook(FlipHookId(), OnFlip, nullptr, 0);
        p.watching = true;
    }
    return p.watching ? 1 : 0;
}

// The record as JSON, valid until the next call; with `enemies` non-zero it also lists the
// live enemies as [x, y, speedX, speedY, active, alpha].
extern "C" const char* zandor_probe_report(int enemies) {
    TLevelProbe& p = Probe();
    std::string& s = p.text;
    s = "{\"watching\":";
    Append(s, static_cast<long long>(p.watching));
    s += ",\"inGame\":";
    Append(s, static_cast<long long>(p.inGame));
    s += ",\"frame\":";
    Append(s, static_cast<long long>(p.frame));
    s += ",\"tenth\":";
    Append(s, static_cast<long long>(playTime));
    s += ",\"state\":";
    Append(s, static_cast<long long>(gameState));
    s += ",\"step\":";
    Append(s, static_cast<long long>(waveStep));
    s += ",\"life\":";
    Append(s, static_cast<long long>(life));
    s += ",\"made\":";
    Append(s, static_cast<long long>(p.made));
    s += ",\"alive\":";
    Append(s, static_cast<long long>(enemyList ? enemyList->size() : 0));
    s += ",\"marks\":[";
    for (std::size_t i = 0; i < p.marks.size(); ++i) {
        const TScriptMark& m = p.marks[i];
        s += i ? ",[" : "[";
        for (long long v : {static_cast<long long>(m.frame), static_cast<long long>(m.tenth),
                            static_cast<long long>(m.lastTenth), static_cast<long long>(m.step),
                            static_cast<long long>(m.made), static_cast<long long>(m.digest),
                            static_cast<long long>(m.state), static_cast<long long>(m.target)}) {
            Append(s, v);
            s += ',';
        }
        s.back() = ']';
    }
    s += "],\"framesPerTenth\":[";
    // Up to the tenth now running, which is not complete yet.
    const int upTo = std::min(playTime, static_cast<int>(p.framesPerTenth.size()));
    for (int t = 0; t < upTo; ++t) {
        if (t) s += ',';
        Append(s, static_cast<long long>(p.framesPerTenth[static_cast<std::size_t>(t)]));
    }
    s += "],\"enemies\":[";
    if (enemies != 0 && enemyList) {
        bool first = true;
        for (const auto& e : enemyList->items()) {
            s += first ? "[" : ",[";
            first = false;
            for (float v : {e->x, e->y, e->speedX, e->speedY}) {
                Append(s, v);
                s += ',';
            }
            Append(s, static_cast<long long>(e->active));
            s += ',';
            Append(s, e->alpha);
            s += ']';
        }
    }
    s += "]}";
    return s.c_str();
}
