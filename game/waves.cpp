// The level script. Events are data: a trigger time in tenths of a second, the step that
// guards it (or none) and one or two actions.
//
// A guarded event acts once, in the first play frame whose playTime has reached its time
// while waveStep equals its step; that way a frame longer than a tenth of a second delays an
// event instead of losing it and, with it, every guarded event after it. The unguarded
// events act in every frame from their time on; repeating them changes nothing.
#include "game/waves.h"

#include <array>

#include "engine/system/clock.h"
#include "engine/system/maths.h"
#include "game/draw_helpers.h"
#include "game/entities.h"
#include "game/globals.h"
#include "game/rules.h"

namespace {

enum class Op {
    None,  // the event only moves waveStep on
    SlowFive,
    FastFive,
    ColumnLeft,
    ColumnRight,
    RowTop,
    RowBottom,
    Corner,  // arg: corner 1-4
    Spiral,
    Ring,         // arg: radius
    LaneControl,  // arg: lane
    LaneMover,    // arg: lane
    LoneControl,  // the single controller entering from the right
    Brightness,   // arg: target grey level
    EndLevel,
};

struct Action {
    Op op = Op::None;
    float arg = 0;
};

constexpr int UNGUARDED = -1;

struct WaveEvent {
    int time;
    int step;
    Action first;
    Action second;
};

constexpr Action A(Op op, float arg = 0) {
    return Action{op, arg};
}

// clang-format off
constexpr std::array<WaveEvent, 72> kSchedule{{
    {120, 0, A(Op::SlowFive), A(Op::FastFive)},
    {210, 1, A(Op::SlowFive), A(Op::FastFive)},
    {250, 2, A(Op::ColumnLeft), {}},
    {270, 3, A(Op::ColumnRight), {}},
    {290, 4, A(Op::RowTop), {}},
    {310, 5, A(Op::RowBottom), {}},
    {350, 6, A(Op::SlowFive), {}},
    {390, 7, A(Op::SlowFive), {}},
    {410, 8, A(Op::ColumnLeft), {}},
    {430, 9, A(Op::ColumnRight), {}},
    {450, 10, A(Op::ColumnLeft), {}},
    {480, 11, A(Op::Brightness, 150), A(Op::Corner, 1)},
    {495, 12, A(Op::Corner, 2), {}},
    {510, 13, A(Op::Corner, 3), {}},
    {525, 14, A(Op::Corner, 4), A(Op::Spiral)},
    {590, 15, A(Op::Ring, 300), A(Op::Brightness, 0)},
    {620, 16, A(Op::ColumnRight), {}},
    {650, 17, A(Op::Ring, 200), {}},
    {665, 18, A(Op::Ring, 300), {}},
    {720, 19, A(Op::LaneControl, 1), {}},
    {724, 20, A(Op::LaneControl, 2), {}},
    {728, 21, A(Op::LaneControl, 1), {}},
    {732, 22, A(Op::LaneControl, 2), {}},
    {736, 23, A(Op::LaneControl, 1), {}},
    {740, 24, A(Op::LaneControl, 2), {}},
    {744, 25, A(Op::LaneControl, 1), {}},
    {748, 26, A(Op::LaneControl, 2), {}},
    {752, 27, {}, {}},
    {788, 28, A(Op::LaneMover, 2), {}},
    {790, 29, A(Op::LaneMover, 1), {}},
    {792, 30, A(Op::LaneMover, 2), {}},
    {794, 31, A(Op::LaneMover, 1), {}},
    {796, 32, A(Op::LaneMover, 2), {}},
    {798, 33, A(Op::LaneMover, 1), {}},
    {800, 34, A(Op::LaneMover, 2), {}},
    {802, 35, A(Op::LaneMover, 1), {}},
    {804, 36, A(Op::LaneMover, 2), {}},
    {806, 37, A(Op::LaneMover, 1), {}},
    {808, 38, A(Op::LaneMover, 2), {}},
    {810, 39, A(Op::LaneMover, 1), {}},
    {812, 40, A(Op::LaneMover, 2), {}},
    {814, 41, A(Op::LaneMover, 1), {}},
    {816, 42, A(Op::LaneMover, 2), {}},
    {818, 43, A(Op::LaneMover, 1), {}},
    {820, 44, A(Op::LaneMover, 2), {}},
    {822, 45, A(Op::LaneMover, 1), {}},
    {824, 46, A(Op::LaneMover, 2), {}},
    {826, 47, A(Op::LaneMover, 1), {}},
    {828, 48, A(Op::LaneMover, 2), {}},
    {830, 49, A(Op::LaneMover, 1), {}},
    {832, 50, A(Op::LaneMover, 2), {}},
    {834, 51, A(Op::LaneMover, 1), {}},
    {836, 52, {}, {}},
    {838, 53, A(Op::LoneControl), {}},
    {840, 54, A(Op::FastFive), A(Op::Brightness, 200)},
    {867, 55, A(Op::FastFive), {}},
    {894, 56, A(Op::FastFive), {}},
    {930, 57, A(Op::Spiral), {}},
    {970, 58, A(Op::Spiral), {}},
    {1000, 59, A(Op::FastFive), {}},
    {1027, 60, A(Op::FastFive), {}},
    {1050, 61, A(Op::ColumnLeft), A(Op::ColumnRight)},
    {1054, 61, {}, {}},
    {1070, UNGUARDED, A(Op::Brightness, 0), {}},
    {1085, 62, A(Op::RowTop), A(Op::RowBottom)},
    {1120, 63, A(Op::ColumnLeft), {}},
    {1170, 64, A(Op::Ring, 300), {}},
    {1200, 65, A(Op::Ring, 300), {}},
    {1230, 66, A(Op::Ring, 300), {}},
    {1260, 67, A(Op::Ring, 300), {}},
    {1290, 68, A(Op::Ring, 300), {}},
    {LEVEL_END_TIME, UNGUARDED, A(Op::EndLevel), {}},
}};
// clang-format on

void perform(const Action& action) {
    switch (action.op) {
        case Op::None:
            break;
        case Op::SlowFive:
            spawnControlsSlow();
            break;
        case Op::FastFive:
            spawnControlsFast();
            break;
        case Op::ColumnLeft:
            spawnColumnLeft();
            break;
        case Op::ColumnRight:
            spawnColumnRight();
            break;
        case Op::RowTop:
            spawnRowTop();
            break;
        case Op::RowBottom:
            spawnRowBottom();
            break;
        case Op::Corner:
            spawnCorner(static_cast<int>(action.arg));
            break;
        case Op::Spiral:
            spawnSpiral();
            break;
        case Op::Ring:
            spawnRing(action.arg);
            break;
        case Op::LaneControl:
            spawnLaneControl(static_cast<int>(action.arg));
            break;
        case Op::LaneMover:
            spawnLaneMover(static_cast<int>(action.arg));
            break;
        case Op::LoneControl:
            tEnemyControl::ini(FIELD_WIDTH, 250, -2, 0);
            break;
        case Op::Brightness:
            bgTargetBrightness = action.arg;
            break;
        case Op::EndLevel:
            gameState = GAME_STATE_END;
            break;
    }
}

void perform(const WaveEvent& event) {
    perform(event.first);
    perform(event.second);
}

// Five controllers heading for the window centre at speed 1/f.
void spawnControlsAimedAtCentre(const float (&points)[5][2], float f) {
    for (const auto& p : points) {
        const float x = p[0];
        const float y = p[1];
        const float d = pointDistance(FIELD_CENTRE_X, x, FIELD_CENTRE_Y, y);
        tEnemyControl::ini(x, y, (FIELD_CENTRE_X - x) / (d * f), (FIELD_CENTRE_Y - y) / (d * f));
    }
}

}  // namespace

int waveEventCount() {
    return static_cast<int>(kSchedule.size());
}

void updatePlayTime() {
    const std::int32_t elapsed =
        ClockDiff(MillisecondClock(), static_cast<std::uint32_t>(startTime));
    playTime = elapsed / 100;
}

void updateWaves() {
    // At most one guarded event per frame: the first one of the current step that is due.
    for (const WaveEvent& event : kSchedule) {
        if (event.step == waveStep && playTime >= event.time) {
            perform(event);
            ++waveStep;
            break;
        }
    }
    // The unguarded ones last, so a late guarded event cannot undo them.
    for (const WaveEvent& event : kSchedule) {
        if (event.step == UNGUARDED && playTime >= event.time) perform(event);
    }
}

void spawnRowTop() {
    for (int i = 0; i < 6; ++i) tEnemyMove::ini(300.0f + 40 * i, -20, 0, 0.2f, 0);
    tEnemyControl::ini(540, -20, 0, 0.2f);
}

void spawnRowBottom() {
    tEnemyControl::ini(300, 620, 0, -0.2f);
    for (int i = 0; i < 6; ++i) tEnemyMove::ini(340.0f + 40 * i, 620, 0, -0.2f, 180);
}

void spawnColumnRight() {
    for (int i = 0; i < 6; ++i) tEnemyMove::ini(820, 200.0f + 40 * i, -0.3f, 0, 90);
    tEnemyControl::ini(820, 440, -0.3f, 0);
}

void spawnColumnLeft() {
    tEnemyControl::ini(-20, 200, 0.3f, 0);
    for (int i = 0; i < 6; ++i) tEnemyMove::ini(-20, 240.0f + 40 * i, 0.3f, 0, -90);
}

void spawnCorner(int c) {
    float cx = 0;
    float cy = 0;
    switch (c) {
        case 1:
            cx = 0, cy = 0;
            break;
        case 2:
            cx = 0, cy = FIELD_HEIGHT;
            break;
        case 3:
            cx = FIELD_WIDTH, cy = FIELD_HEIGHT;
            break;
        case 4:
            cx = FIELD_WIDTH, cy = 0;
            break;
        default:
            return;
    }
    float h = 0;
    if (cx == 0 && cy == 0) h = 90;
    if (cx == FIELD_WIDTH && cy == 0) h = 180;
    if (cx == FIELD_WIDTH && cy == FIELD_HEIGHT) h = 270;
    if (cx == 0 && cy == FIELD_HEIGHT) h = 0;

    const float d = pointDistance(FIELD_CENTRE_X, cx, FIELD_CENTRE_Y, cy);
    const float speedX = (FIELD_CENTRE_X - cx) / (d * 2);
    const float speedY = (FIELD_CENTRE_Y - cy) / (d * 2);

    for (int i = 0; i <= 80; i += 40) {
        tEnemyMove::ini(cx + CosDeg(h) * i, cy + SinDeg(h) * i, speedX, speedY, h);
    }
    tEnemyMove::ini(cx + CosDeg(h) * 120, cy + SinDeg(h) * 120, speedX, speedY, h + 90);
    cx += CosDeg(h) * 120;
    cy += SinDeg(h) * 120;
    h += 90;
    for (int i = 40; i <= 80; i += 40) {
        tEnemyMove::ini(cx + CosDeg(h) * i, cy + SinDeg(h) * i, speedX, speedY, h);
    }
    tEnemyControl::ini(cx + CosDeg(h) * 120, cy + SinDeg(h) * 120, speedX, speedY);
}

void spawnSpiral() {
    // Points 40 pixels apart along the heading, measured from the last turning point; the
    // heading turns after these points and the mover there already faces the new way.
    constexpr std::array<int, 6> kTurns{4, 7, 10, 12, 14, 15};
    const float speedX = 0.4f;
    const float speedY = 0.3f;
    float refX = 0;
    float refY = 0;
    float h = 180;
    int run = 0;
    for (int point = 1; point <= 16; ++point) {
        const float x = refX + CosDeg(h) * 40 * run;
        const float y = refY + SinDeg(h) * 40 * run;
        if (point == 16) {
            tEnemyControl::ini(x, y, speedX, speedY);
            break;
        }
        bool turns = false;
        for (int t : kTurns) turns = turns || t == point;
        if (turns) {
            h += 90;
            refX = x;
            refY = y;
            run = 0;
        }
        tEnemyMove::ini(x, y, speedX, speedY, h);
        ++run;
    }
}

void spawnRing(float R) {
    for (int a = 20; a < 360; a += 20) {
        if (a == 180) continue;
        tEnemyMove::ini(400 + CosDeg(a) * R, 300 + SinDeg(a) * R, CosDeg(a + 180) * 0.2f,
                        SinDeg(a + 180) * 0.2f, static_cast<float>(a + 90));
    }
    tEnemyControl::ini(400 + CosDeg(360) * R, 300 + SinDeg(360) * R, CosDeg(540) * 0.2f,
                       SinDeg(540) * 0.2f);
    tEnemyControl::ini(400 + CosDeg(180) * R, 300 + SinDeg(180) * R, CosDeg(0) * 0.2f,
                       SinDeg(0) * 0.2f);
}

void spawnControlsSlow() {
    static const float kPoints[5][2] = {{100, 0}, {700, 0}, {400, 600}, {0, 500}, {800, 500}};
    spawnControlsAimedAtCentre(kPoints, 8);
}

void spawnControlsFast() {
    static const float kPoints[5][2] = {{100, 600}, {700, 600}, {400, 0}, {0, 100}, {800, 100}};
    spawnControlsAimedAtCentre(kPoints, 3);
}

void spawnLaneControl(int lane) {
    if (lane < 2) {
        tEnemyControl::ini(0, 120, 0.7f, 0);
    } else {
        tEnemyControl::ini(0, 480, 0.7f, 0);
    }
}

void spawnLaneMover(int lane) {
    if (lane < 2) {
        tEnemyMove::ini(800, 250, -2, 0, 135);
    } else {
        tEnemyMove::ini(800, 350, -2, 0, -45);
    }
}
