// The stored real game, replayed: it must play the same way every time and end exactly as
// recorded. Any change to a rule that alters this game's course moves a hash and fails here.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "game/globals.h"
#include "tools/replay/recording.h"
#include "tools/replay/replay_player.h"

namespace {

const std::string kDataDir = std::string(ZANDOR_SOURCE_DIR) + "/tests/data/replay/";

TRecording LoadStoredGame(const std::string& name) {
    TRecording recording;
    std::string error;
    EXPECT_TRUE(LoadRecording(kDataDir + name + ".rec", recording, error)) << error;
    return recording;
}

// The one line of the expectation file that is not a comment.
std::string StoredFinalLine(const std::string& name) {
    std::ifstream file(kDataDir + name + ".expected");
    EXPECT_TRUE(file) << "cannot open " << name << ".expected";
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line[0] != '#') return line + '\n';
    }
    return {};
}

// Plays a stored game twice; both runs must agree frame by frame and end as stored.
TReplayResult PlayStoredGameTwice(const std::string& name) {
    const TRecording recording = LoadStoredGame(name);
    EXPECT_FALSE(recording.frames.empty());
    const TReplayResult first = PlayRecording(recording);
    EXPECT_TRUE(first.failure.empty()) << first.failure;
    const TReplayResult second = PlayRecording(recording);
    EXPECT_EQ(first.hashes.size(), recording.frames.size());
    EXPECT_EQ(second.hashes.size(), first.hashes.size());
    for (std::size_t i = 0; i < first.hashes.size() && i < second.hashes.size(); ++i) {
        if (first.hashes[i] != second.hashes[i]) {
            ADD_FAILURE() << name << ": the runs part at frame " << i + 1;
            break;
        }
    }
    EXPECT_EQ(FinalLine(first), StoredFinalLine(name))
        << name << " no longer ends as recorded; see tests/data/replay/" << name << ".expected";
    return first;
}

TEST(ReplayRegression, WholeLevelPlaysTheSameTwiceAndEndsAsRecorded) {
    const TReplayResult result = PlayStoredGameTwice("level");
    // What makes it worth replaying: long chains, a real score, the level's end reached.
    EXPECT_EQ(result.finalState, GAME_STATE_END);
    EXPECT_GT(result.score, 1000);
    EXPECT_GE(result.bestChain, 10);
}

TEST(ReplayRegression, LostGamePlaysTheSameTwiceAndEndsAsRecorded) {
    const TReplayResult result = PlayStoredGameTwice("gameover");
    // The ships that reach the turret: this game covers the energy rules the level never hits.
    EXPECT_EQ(result.finalState, GAME_STATE_GAME_OVER);
    EXPECT_EQ(result.life, 0);
    EXPECT_GE(result.bestChain, 5);
}

TEST(ReplayRegression, TheHashesNoticeADifferentSeedOrOneLostShot) {
    // The opening is enough to show it, and keeps the sanitizer runs short.
    TRecording recording = LoadStoredGame("level");
    ASSERT_GT(recording.frames.size(), 1500u);
    recording.frames.resize(1500);
    const TReplayResult original = PlayRecording(recording);
    ASSERT_EQ(original.hashes.size(), 1500u);

    // One millisecond later at start-up means another random seed: the background effects
    // made on the title click differ at once.
    TRecording reseeded = recording;
    reseeded.clockStart += 1;
    reseeded.frames.front().step -= 1;  // every frame keeps its recorded time
    const TReplayResult other = PlayRecording(reseeded);
    ASSERT_EQ(other.hashes.size(), 1500u);
    EXPECT_NE(other.finalHash, original.finalHash);

    // Drop the press of the first shot fired on the play screen (the second left press in
    // the file; the first starts the game): the game must diverge from that frame on.
    TRecording oneShotLess = recording;
    int presses = 0;
    std::size_t dropped = 0;
    for (std::size_t i = 0; i < oneShotLess.frames.size() && presses < 2; ++i) {
        auto& events = oneShotLess.frames[i].events;
        for (auto it = events.begin(); it != events.end(); ++it) {
            if (it->kind == TReplayEvent::TKind::kButtonDown && it->a == 1 && ++presses == 2) {
                events.erase(it);
                dropped = i;
                break;
            }
        }
    }
    ASSERT_EQ(presses, 2);
    const TReplayResult fewer = PlayRecording(oneShotLess);
    ASSERT_EQ(fewer.hashes.size(), 1500u);
    for (std::size_t i = 0; i < dropped; ++i) ASSERT_EQ(fewer.hashes[i], original.hashes[i]);
    EXPECT_NE(fewer.hashes[dropped], original.hashes[dropped]);
    EXPECT_NE(fewer.finalHash, original.finalHash);
}

TEST(ReplayRegression, CloseRequestEndsThePlayback) {
    TRecording recording;
    recording.clockStart = 5000;
    recording.frames.assign(10, TReplayFrame{17, {}});
    recording.frames[3].events.push_back({TReplayEvent::TKind::kClose, 0, 0});
    const TReplayResult result = PlayRecording(recording);
    ASSERT_TRUE(result.failure.empty()) << result.failure;
    EXPECT_TRUE(result.loopEnded);
    EXPECT_EQ(result.framesPlayed, 4);
    EXPECT_EQ(result.finalState, GAME_STATE_TITLE);
}

TEST(ReplayRegression, ReportsEveryFrameInTheFormThePlayCommandPrints) {
    TRecording recording;
    recording.clockStart = 0xFFFFFF00u;  // the clock wraps during the game
    recording.frames.assign(30, TReplayFrame{16, {}});
    recording.frames[2].events = {{TReplayEvent::TKind::kMove, 100, 100},
                                  {TReplayEvent::TKind::kButtonDown, 1, 0},
                                  {TReplayEvent::TKind::kButtonUp, 1, 0}};
    std::ostringstream printed;
    const TReplayResult result = PlayRecording(
        recording, [&](int frame, std::uint64_t hash) { printed << FrameLine(frame, hash); });
    ASSERT_EQ(result.framesPlayed, 30);
    EXPECT_EQ(result.finalState, GAME_STATE_PLAY);

    std::istringstream lines(printed.str());
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        ASSERT_EQ(line.size(), std::to_string(count).size() + 17) << line;
        EXPECT_EQ(line.substr(0, line.find(' ')), std::to_string(count));
    }
    EXPECT_EQ(count, 30);
    // The title frames hash alike; starting the game changes the state.
    EXPECT_EQ(result.hashes[0], result.hashes[1]);
    EXPECT_NE(result.hashes[2], result.hashes[1]);
    EXPECT_NE(FinalLine(result).find(" state 2 score 0 chain 0 life 50 hash "), std::string::npos)
        << FinalLine(result);
}

}  // namespace
