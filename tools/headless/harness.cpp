// The headless game: the program's own start-up over fake drivers, one loop iteration per
// Frame().
#include "tools/headless/harness.h"

#include "engine/graphics/graphics.h"
#include "engine/system/input.h"
#include "game/game.h"
#include "game/globals.h"

TGameHarness::TGameHarness(std::uint32_t clockStart) : clock_(clockStart) {
    SetClock(&clock_);
    // What the entry does first; the real drivers it installs are replaced right after.
    registerGameFiles();
    startEngineModules();
    input_ = std::make_unique<TScriptedSystemDriver>();
    graphics_ = std::make_unique<TRecordingGraphics>(false);
    TRecordingAudioDriver::Install();
    restoreStartGlobals();
    failure_ = startUp();
    // The pointer of an earlier harness must not leak into this one.
    MovePointer(0, 0);
}

TGameHarness::~TGameHarness() {
    graphics_.reset();  // ends the graphics, which stops polled input
    input_.reset();
    restoreStartGlobals();
    SetClock(nullptr);
}

void TGameHarness::Click(int button, int times) {
    for (int i = 0; i < times; ++i) {
        input_->Queue(TScriptedSystemDriver::MouseDown(button, pointerX_, pointerY_));
        input_->Queue(TScriptedSystemDriver::MouseUp(button, pointerX_, pointerY_));
    }
}

void TGameHarness::MovePointer(int x, int y) {
    pointerX_ = x;
    pointerY_ = y;
    input_->Queue(TScriptedSystemDriver::MouseMove(x, y));
}

void TGameHarness::PressKey(int key) {
    input_->Queue(TScriptedSystemDriver::KeyDown(key));
}

void TGameHarness::ReleaseKey(int key) {
    input_->Queue(TScriptedSystemDriver::KeyUp(key));
}

void TGameHarness::RequestClose() {
    input_->Queue(TScriptedSystemDriver::AppTerminate());
}

bool TGameHarness::Frame() {
    Draws().ClearCalls();
    input_->NextFrame();
    ++frames_;
    return runFrame();
}

int TGameHarness::RunFrames(int frames) {
    for (int i = 0; i < frames; ++i) {
        if (!Frame()) return i + 1;
    }
    return frames;
}

int TGameHarness::RunUntil(const std::function<bool()>& done, int limit) {
    for (int i = 1; i <= limit; ++i) {
        const bool goOn = Frame();
        if (done()) return i;
        if (!goOn) return -1;
    }
    return -1;
}

void TGameHarness::StartNewGame() {
    Click(1);
    Frame();
}

std::vector<TRecordedText> TGameHarness::Texts() {
    std::vector<TRecordedText> texts;
    bool inText = false;
    float nextX = 0;
    for (const TRecordedCall& c : Draws().Calls()) {
        if (c.kind == TDrawKind::CreateFrame) continue;
        if (c.kind != TDrawKind::DrawImage || c.glyph == 0) {
            inText = false;
            continue;
        }
        const float x = c.screen[0];
        const float y = c.screen[1];
        const float advance = c.screen[2] - c.screen[0];
        // A glyph continues the text when it sits on the same line right after the last one
        // (a skipped blank leaves at most one cell free).
        const bool continues =
            inText && y == texts.back().y && x >= nextX - 0.01f && x <= nextX + advance + 0.01f;
        if (!continues) {
            texts.push_back(TextStartedBy(c));
        } else if (x > nextX + 0.01f) {
            texts.back().text += ' ';
        }
        texts.back().text += c.glyph;
        nextX = x + advance;
        inText = true;
    }
    return texts;
}
