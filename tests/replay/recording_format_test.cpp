// The recording text: what the writer produces reads back to the same game, and damaged or
// hostile text is refused with a line number instead of crashing or being half-read.
#include <gtest/gtest.h>

#include <string>

#include "tools/replay/recording.h"

namespace {

using TKind = TReplayEvent::TKind;

std::string ErrorFor(const std::string& text) {
    TRecording recording;
    std::string error;
    EXPECT_FALSE(ParseRecording(text, recording, error)) << "accepted:\n" << text;
    return error;
}

TEST(RecordingFormat, ReadsEveryEventKindRepeatsAndComments) {
    const std::string text =
        "# a comment before the header\n"
        "ZANDOR-REPLAY 1 4294967000\r\n"
        "\n"
        "3*16\n"
        "17 m-5,600 d1 u1 d2 u2 d3 u3\n"
        "  # indented comment\n"
        "0 k27 K27 k0 K255 q s r\n"
        "end 5\n";
    TRecording r;
    std::string error;
    ASSERT_TRUE(ParseRecording(text, r, error)) << error;
    EXPECT_EQ(r.clockStart, 4294967000u);
    ASSERT_EQ(r.frames.size(), 5u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.frames[i].step, 16u);
        EXPECT_TRUE(r.frames[i].events.empty());
    }
    EXPECT_EQ(r.frames[3].step, 17u);
    ASSERT_EQ(r.frames[3].events.size(), 7u);
    EXPECT_EQ(r.frames[3].events[0], (TReplayEvent{TKind::kMove, -5, 600}));
    EXPECT_EQ(r.frames[3].events[1], (TReplayEvent{TKind::kButtonDown, 1, 0}));
    EXPECT_EQ(r.frames[3].events[6], (TReplayEvent{TKind::kButtonUp, 3, 0}));
    const std::vector<TReplayEvent> keys = {
        {TKind::kKeyDown, 27, 0}, {TKind::kKeyUp, 27, 0}, {TKind::kKeyDown, 0, 0},
        {TKind::kKeyUp, 255, 0},  {TKind::kClose, 0, 0},  {TKind::kSuspend, 0, 0},
        {TKind::kResume, 0, 0},
    };
    EXPECT_EQ(r.frames[4].step, 0u);
    EXPECT_EQ(r.frames[4].events, keys);
}

TEST(RecordingFormat, WriterFoldsRunsAndReadsBackIdentically) {
    TRecording r;
    r.clockStart = 123;
    for (int i = 0; i < 40; ++i) r.frames.push_back({static_cast<std::uint32_t>(16 + i % 2), {}});
    r.frames.push_back({16, {{TKind::kMove, 10, 20}, {TKind::kButtonDown, 1, 0}}});
    r.frames.push_back({16, {}});
    r.frames.push_back({16, {}});
    r.frames.push_back({16, {{TKind::kClose, 0, 0}}});
    const std::string text = FormatRecording(r);
    EXPECT_NE(text.find("\n2*16\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n16 m10,20 d1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nend 44\n"), std::string::npos) << text;

    TRecording back;
    std::string error;
    ASSERT_TRUE(ParseRecording(text, back, error)) << error;
    EXPECT_EQ(back, r);
}

TEST(RecordingFormat, EmptyGameRoundTrips) {
    TRecording r;
    r.clockStart = 0;
    TRecording back;
    std::string error;
    ASSERT_TRUE(ParseRecording(FormatRecording(r), back, error)) << error;
    EXPECT_EQ(back, r);
}

TEST(RecordingFormat, RejectsBadHeaders) {
    EXPECT_EQ(ErrorFor(""), "line 1: no header line");
    EXPECT_EQ(ErrorFor("# only a comment\n"), "line 2: no header line");
    EXPECT_NE(ErrorFor("16\nend 1\n").find("line 1: expected the header"), std::string::npos);
    EXPECT_NE(ErrorFor("ZANDOR-REPLAY 2 0\nend 0\n").find("unsupported format version"),
              std::string::npos);
    EXPECT_NE(ErrorFor("ZANDOR-REPLAY 1\nend 0\n").find("expected the header"), std::string::npos);
    EXPECT_NE(ErrorFor("ZANDOR-REPLAY 1 4294967296\nend 0\n").find("bad clock start"),
              std::string::npos);
    EXPECT_NE(ErrorFor("ZANDOR-REPLAY 1 -1\nend 0\n").find("bad clock start"), std::string::npos);
}

TEST(RecordingFormat, RejectsBadFramesWithTheirLine) {
    const std::string head = "ZANDOR-REPLAY 1 0\n16\n";
    EXPECT_NE(ErrorFor(head + "x\nend 2\n").find("line 3: bad clock step 'x'"), std::string::npos);
    EXPECT_NE(ErrorFor(head + "-1\nend 2\n").find("line 3: bad clock step"), std::string::npos);
    EXPECT_NE(ErrorFor(head + "+5\nend 2\n").find("line 3: bad clock step"), std::string::npos);
    EXPECT_NE(ErrorFor(head + "3600001\nend 2\n").find("bad clock step"), std::string::npos);
    EXPECT_NE(ErrorFor(head + "99999999999999999999999\nend 2\n").find("bad clock step"),
              std::string::npos);
    EXPECT_NE(ErrorFor(head + "0*16\nend 1\n").find("line 3: bad repeat count"), std::string::npos);
    EXPECT_NE(ErrorFor(head + "*16\nend 1\n").find("bad repeat count"), std::string::npos);
    EXPECT_NE(ErrorFor(head + "2*16 d1\nend 3\n").find("cannot carry events"), std::string::npos);
    EXPECT_NE(ErrorFor(head + "1000001*16\nend 1\n").find("bad repeat count"), std::string::npos);
    EXPECT_NE(ErrorFor(head + "999999*16\n999999*16\nend 1\n").find("line 4: too many frames"),
              std::string::npos);
}

TEST(RecordingFormat, RejectsBadEvents) {
    const std::string head = "ZANDOR-REPLAY 1 0\n";
    for (const char* bad : {"m", "m1", "m1,", "m,1", "m1,2,3", "m100001,0", "m1;2", "d-1", "d4",
                            "d", "u-1", "k256", "K-1", "k", "kx", "q1", "s0", "z", "M1,2"}) {
        const std::string error = ErrorFor(head + "16 " + bad + "\nend 1\n");
        EXPECT_NE(error.find("line 2: "), std::string::npos) << bad << ": " << error;
        EXPECT_NE(error.find(std::string("'") + bad + "'"), std::string::npos)
            << bad << ": " << error;
    }
}

TEST(RecordingFormat, RejectsTruncatedOrMiscountedFiles) {
    EXPECT_NE(ErrorFor("ZANDOR-REPLAY 1 0\n16\n17\n").find("missing end line"), std::string::npos);
    EXPECT_NE(ErrorFor("ZANDOR-REPLAY 1 0\n16\n17\nend 3\n").find("counts 3 frames"),
              std::string::npos);
    EXPECT_NE(ErrorFor("ZANDOR-REPLAY 1 0\n16\nend 1\n17\n").find("line 4: text after the end"),
              std::string::npos);
    EXPECT_NE(ErrorFor("ZANDOR-REPLAY 1 0\nend\n").find("bad end line"), std::string::npos);
    // A stray NUL byte is an ordinary bad character, not the end of the text.
    const char withNul[] = "ZANDOR-REPLAY 1 0\n16\0\nend 1\n";
    EXPECT_NE(ErrorFor(std::string(withNul, sizeof withNul - 1)).find("line 2: bad clock step"),
              std::string::npos);
}

TEST(RecordingFormat, LoadNamesTheFile) {
    TRecording r;
    std::string error;
    EXPECT_FALSE(LoadRecording("/nonexistent/dir/game.rec", r, error));
    EXPECT_EQ(error, "/nonexistent/dir/game.rec: cannot open");
}

}  // namespace
