// Game CPU cost, headless: the game's logic plus its draw submission to the recording 2D
// driver, with an automatic player that keeps shooting so chains keep going.
//
// BM_HeaviestFrame replays the costliest frame of a full scripted game, restoring the game
// state before each run of it. The game is deterministic (virtual clock, seeded generator,
// scripted player), so it is played twice to time every frame (the smaller of the two times
// of each frame discounts hiccups of the machine), a third play keeps the state before each
// of the eight costliest frames, and the one of those whose replays cost most is measured.
// BM_WholeGame plays a whole 140 s game from the title click to the end screen.
// The turret is kept alive in both, so the script runs to its end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <typeinfo>
#include <vector>

#include "bench/auto_player.h"
#include "engine/system/random.h"
#include "game/entities.h"
#include "game/globals.h"
#include "tools/headless/harness.h"

namespace {

template <class Base, class... Kinds>
std::shared_ptr<Base> cloneOf(const std::shared_ptr<Base>& object) {
    std::shared_ptr<Base> copy;
    ((!copy && typeid(*object) == typeid(Kinds)
          ? (copy = std::make_shared<Kinds>(static_cast<const Kinds&>(*object)), true)
          : false),
     ...);
    return copy;
}

template <class T, class... Kinds>
std::shared_ptr<tEntityList<T>> cloneList(const std::shared_ptr<tEntityList<T>>& list) {
    auto copy = std::make_shared<tEntityList<T>>();
    for (const auto& object : list->items()) copy->append(cloneOf<T, Kinds...>(object));
    return copy;
}

// Everything a frame reads: the globals, copies of every object, the generator and clock.
struct TSnapshot {
    int gameState, shotSpeed, life, bestChain, startTime, playTime, waveStep;
    float baseX, baseY, baseAlpha, aimAngle, aimDistance, bgBrightness, bgTargetBrightness,
        spriteGrey, fadeAlpha, musicVolume;
    std::int64_t score;
    std::shared_ptr<tEntityList<tEnemy>> enemies;
    std::shared_ptr<tEntityList<tPlayer>> shots;
    std::shared_ptr<tEntityList<tFX>> effects;
    std::shared_ptr<tEntityList<tbgFX>> glows;
    int seed;
    std::uint32_t clock;
    int frames;

    void Take(TGameHarness& game) {
        gameState = ::gameState, shotSpeed = ::shotSpeed, life = ::life;
        bestChain = ::bestChain, startTime = ::startTime, playTime = ::playTime;
        waveStep = ::waveStep, baseX = ::baseX, baseY = ::baseY, baseAlpha = ::baseAlpha;
        aimAngle = ::aimAngle, aimDistance = ::aimDistance, bgBrightness = ::bgBrightness;
        bgTargetBrightness = ::bgTargetBrightness, spriteGrey = ::spriteGrey;
        fadeAlpha = ::fadeAlpha, musicVolume = ::musicVolume, score = ::score;
        enemies = cloneList<tEnemy, tEnemyMove, tEnemyControl, tEnemyControlTrace>(enemyList);
        shots = cloneList<tPlayer, tPlayer>(shotList);
        effects = cloneList<tFX, tborderExplosion, tballfx, tchainfx, tExplosion>(fxList);
        glows = cloneList<tbgFX, tbgFX>(bgfxList);
        seed = RandomSeed();
        clock = game.Clock().Milliseconds();
        frames = game.Frames();
    }
    void Restore(TGameHarness& game) const {
        ::gameState = gameState, ::shotSpeed = shotSpeed, ::life = life;
        ::bestChain = bestChain, ::startTime = startTime, ::playTime = playTime;
        ::waveStep = waveStep, ::baseX = baseX, ::baseY = baseY, ::baseAlpha = baseAlpha;
        ::aimAngle = aimAngle, ::aimDistance = aimDistance, ::bgBrightness = bgBrightness;
        ::bgTargetBrightness = bgTargetBrightness, ::spriteGrey = spriteGrey;
        ::fadeAlpha = fadeAlpha, ::musicVolume = musicVolume, ::score = score;
        enemyList = cloneList<tEnemy, tEnemyMove, tEnemyControl, tEnemyControlTrace>(enemies);
        shotList = cloneList<tPlayer, tPlayer>(shots);
        fxList = cloneList<tFX, tborderExplosion, tballfx, tchainfx, tExplosion>(effects);
        bgfxList = cloneList<tbgFX, tbgFX>(glows);
        SeedRandom(seed);
        game.Clock().Set(clock);
    }
};

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Plays one kept-alive game with the automatic player; `eachFrame(index)` runs before each
// frame, `timed(index, seconds)` after it.
template <class Before, class After>
void playGame(TGameHarness& game, Before eachFrame, After timed) {
    game.StartNewGame();
    for (int frame = 0; gameState == GAME_STATE_PLAY; ++frame) {
        life = 50;
        AutoPlay(game);
        eachFrame(frame);
        const double start = threadCpuSeconds();
        game.Frame();
        timed(frame, threadCpuSeconds() - start);
    }
}

void BM_HeaviestFrame(benchmark::State& state) {
    std::vector<double> cost;
    for (int pass = 0; pass < 2; ++pass) {
        TGameHarness game;
        playGame(
            game, [](int) {},
            [&](int frame, double seconds) {
                if (static_cast<int>(cost.size()) <= frame) cost.resize(frame + 1, 1e9);
                cost[frame] = std::min(cost[frame], seconds);
            });
    }
    std::vector<int> order(cost.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return cost[a] > cost[b]; });
    order.resize(std::min<size_t>(order.size(), 8));

    TGameHarness game;
    std::vector<TSnapshot> candidates(order.size());
    playGame(
        game,
        [&](int frame) {
            for (size_t i = 0; i < order.size(); ++i) {
                if (order[i] == frame) candidates[i].Take(game);
            }
        },
        [](int, double) {});
    const int chainSeen = bestChain;
    const TSnapshot* heaviestState = &candidates[0];
    double worst = -1;
    for (const TSnapshot& candidate : candidates) {
        double total = 0;
        for (int run = 0; run < 200; ++run) {
            candidate.Restore(game);
            AutoPlay(game);
            const double start = threadCpuSeconds();
            game.Frame();
            total += threadCpuSeconds() - start;
        }
        if (total > worst) {
            worst = total;
            heaviestState = &candidate;
        }
    }
    const TSnapshot& heaviest = *heaviestState;
    const int heaviestFrame = heaviest.frames;
    for (auto _ : state) {
        state.PauseTiming();
        heaviest.Restore(game);
        AutoPlay(game);
        state.ResumeTiming();
        game.Frame();
    }
    state.counters["frame"] = heaviestFrame;
    state.counters["shots"] = static_cast<double>(heaviest.shots->size());
    state.counters["enemies"] = static_cast<double>(heaviest.enemies->size());
    state.counters["effects"] = static_cast<double>(heaviest.effects->size());
    state.counters["best_chain"] = chainSeen;
}
BENCHMARK(BM_HeaviestFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_WholeGame(benchmark::State& state) {
    int frames = 0;
    std::int64_t finalScore = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            TGameHarness game;
            state.ResumeTiming();
            game.StartNewGame();
            while (gameState == GAME_STATE_PLAY) {
                life = 50;
                AutoPlay(game);
                game.Frame();
            }
            frames = game.Frames();
            finalScore = score;
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.counters["frames"] = frames;
    state.counters["score"] = static_cast<double>(finalScore);
}
BENCHMARK(BM_WholeGame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
