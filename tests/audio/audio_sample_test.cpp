// Sample buffers: creation, copies and the conversion rules between the six layouts.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "engine/audio/audio.h"
#include "engine/system/runtime_error.h"

namespace {

// One frame, as (left, right) 16-bit values, read back from any layout.
std::pair<int, int> FrameOf(const TAudioSample& s, int index) {
    const std::uint8_t* p = s.samples + index * AudioSampleBytesPerFrame(s.format);
    auto le = [](const std::uint8_t* b) {
        return static_cast<int>(static_cast<std::int16_t>(b[0] | (b[1] << 8)));
    };
    auto be = [](const std::uint8_t* b) {
        return static_cast<int>(static_cast<std::int16_t>((b[0] << 8) | b[1]));
    };
    switch (s.format) {
        case SF_MONO8:
            return {p[0], p[0]};
        case SF_STEREO8:
            return {p[0], p[1]};
        case SF_MONO16LE:
            return {le(p), le(p)};
        case SF_MONO16BE:
            return {be(p), be(p)};
        case SF_STEREO16LE:
            return {le(p), le(p + 2)};
        case SF_STEREO16BE:
            return {be(p), be(p + 2)};
    }
    return {INT_MIN, INT_MIN};
}

std::shared_ptr<TAudioSample> Stereo16(const std::vector<std::pair<int, int>>& frames) {
    auto s = TAudioSample::Create(static_cast<int>(frames.size()), 22050, SF_STEREO16LE);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        std::uint8_t* p = s->samples + 4 * i;
        const auto l = static_cast<std::uint16_t>(frames[i].first);
        const auto r = static_cast<std::uint16_t>(frames[i].second);
        p[0] = l & 0xFF, p[1] = l >> 8, p[2] = r & 0xFF, p[3] = r >> 8;
    }
    return s;
}

TEST(AudioSampleTest, LayoutsAndCreation) {
    const int bytes[] = {0, 1, 2, 2, 2, 4, 4, 0};
    const int channels[] = {0, 1, 1, 1, 2, 2, 2, 0};
    for (int format = 0; format <= 7; ++format) {
        EXPECT_EQ(AudioSampleBytesPerFrame(format), bytes[format]) << format;
        EXPECT_EQ(AudioSampleChannels(format), channels[format]) << format;
    }
    auto s = TAudioSample::Create(10, 44100, SF_STEREO16BE);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->capacity, 40);
    EXPECT_EQ(s->length, 10);
    EXPECT_EQ(s->hertz, 44100);
    for (int i = 0; i < 40; ++i) ASSERT_EQ(s->samples[i], 0);

    EXPECT_FALSE(TAudioSample::Create(-1, 44100, SF_MONO8));
    EXPECT_FALSE(TAudioSample::Create(10, 44100, 0));
    EXPECT_FALSE(TAudioSample::Create(INT_MAX / 2, 44100, SF_STEREO16LE)) << "size beyond an int";

    std::uint8_t data[4] = {1, 2, 3, 4};
    auto wrapped = TAudioSample::CreateStatic(data, 2, 8000, SF_MONO16LE);
    EXPECT_EQ(wrapped->capacity, -1);
    EXPECT_EQ(wrapped->samples, data);
    wrapped.reset();  // must not free memory it does not own
    EXPECT_EQ(data[3], 4);
}

TEST(AudioSampleTest, ConversionRules) {
    const auto source = Stereo16({{-32768, 32767}, {1000, -3001}, {0, 0}, {-1, -2}});
    struct Case {
        int format;
        std::vector<std::pair<int, int>> expected;
    };
    // Mono: (l + r) / 2 toward zero. 8-bit: (v + 32768) / 257.
    const std::vector<Case> cases = {
        {SF_STEREO16LE, {{-32768, 32767}, {1000, -3001}, {0, 0}, {-1, -2}}},
        {SF_STEREO16BE, {{-32768, 32767}, {1000, -3001}, {0, 0}, {-1, -2}}},
        {SF_MONO16LE, {{0, 0}, {-1000, -1000}, {0, 0}, {-1, -1}}},
        {SF_MONO16BE, {{0, 0}, {-1000, -1000}, {0, 0}, {-1, -1}}},
        {SF_STEREO8, {{0, 255}, {131, 115}, {127, 127}, {127, 127}}},
        {SF_MONO8, {{127, 127}, {123, 123}, {127, 127}, {127, 127}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        auto out = source->Convert(c.format);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->format, c.format);
        EXPECT_EQ(out->length, 4);
        EXPECT_EQ(out->hertz, 22050);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(FrameOf(*out, i), c.expected[i]) << "frame " << i;
    }
}

TEST(AudioSampleTest, EightBitWidensBy257AndMonoDoubles) {
    std::uint8_t data[3] = {0, 128, 255};
    auto mono8 = TAudioSample::CreateStatic(data, 3, 8000, SF_MONO8);
    auto wide = mono8->Convert(SF_STEREO16BE);
    EXPECT_EQ(FrameOf(*wide, 0), std::make_pair(-32768, -32768));
    EXPECT_EQ(FrameOf(*wide, 1), std::make_pair(128 * 257 - 32768, 128 * 257 - 32768));
    EXPECT_EQ(FrameOf(*wide, 2), std::make_pair(32767, 32767));
    // Back to 8 bits gives the original bytes.
    auto back = wide->Convert(SF_MONO8);
    EXPECT_EQ(std::memcmp(back->samples, data, 3), 0);
}

TEST(AudioSampleTest, StereoThroughMonoAndBackHasEqualChannels) {
    auto source = Stereo16({{100, 300}, {-5000, 7000}, {32767, -32768}});
    auto round = source->Convert(SF_MONO8)->Convert(SF_STEREO16LE);
    for (int i = 0; i < 3; ++i) {
        auto [l, r] = FrameOf(*round, i);
        EXPECT_EQ(l, r) << "frame " << i;
    }
}

TEST(AudioSampleTest, UnknownTargetIsAProgrammingFault) {
    auto source = Stereo16({{1, 2}});
    for (int format : {0, 7, -1, 100}) {
        try {
            (void)source->Convert(format);
            ADD_FAILURE() << "format " << format << " converted";
        } catch (const TRuntimeError& e) {
            EXPECT_STREQ(e.what(), "Unimplemented sample format conversion");
        }
    }
}

}  // namespace
