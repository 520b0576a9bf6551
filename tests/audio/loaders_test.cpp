// The WAV and Ogg Vorbis loaders on good, foreign, truncated, corrupt and lying files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <deque>

#include "engine/audio/audio.h"
#include "engine/system/stream.h"
#include "tests/audio/ogg_encode.h"
#include "tests/audio/wav_fixture.h"

namespace {

std::string Embed(const std::string& name, std::vector<std::uint8_t> bytes) {
    static std::deque<std::vector<std::uint8_t>> kept;
    kept.push_back(std::move(bytes));
    EXPECT_EQ(RegisterEmbeddedFile(name, kept.back().data(), static_cast<int>(kept.back().size())),
              1)
        << name;
    return "incbin::" + name;
}

class LoadersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartStreamModules();
        StartAudioModules();
    }
    std::shared_ptr<TAudioSample> Load(const std::string& name, std::vector<std::uint8_t> bytes) {
        return LoadAudioSample(Embed("loaders-test/" + name, std::move(bytes)));
    }
};

std::vector<std::int16_t> Sine(int frames, int channels, int hertz) {
    std::vector<std::int16_t> values;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double f = c == 0 ? 440.0 : 660.0;
            values.push_back(static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * f * i / hertz)));
        }
    }
    return values;
}

// The Ogg page checksum: CRC-32 with polynomial 0x04c11db7, no reflection, initial 0.
std::uint32_t OggCrc(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint32_t>(data[i]) << 24;
        for (int b = 0; b < 8; ++b) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    return crc;
}

// Rewrites the granule position of the last page (the stream's announced length) and
// fixes its checksum, so only the length field lies.
void SetLastGranule(std::vector<std::uint8_t>& ogg, std::uint64_t granule) {
    std::size_t last = 0;
    for (std::size_t i = 0; i + 4 <= ogg.size(); ++i) {
        if (std::memcmp(&ogg[i], "OggS", 4) == 0) last = i;
    }
    for (int b = 0; b < 8; ++b) ogg[last + 6 + b] = static_cast<std::uint8_t>(granule >> (8 * b));
    std::memset(&ogg[last + 22], 0, 4);
    const std::uint32_t crc = OggCrc(&ogg[last], ogg.size() - last);
    for (int b = 0; b < 4; ++b) ogg[last + 22 + b] = static_cast<std::uint8_t>(crc >> (8 * b));
}

TEST_F(LoadersTest, WavLayouts) {
    struct Case {
        int channels, bits, format;
    };
    const std::vector<Case> cases = {
        {1, 8, SF_MONO8}, {2, 8, SF_STEREO8}, {1, 16, SF_MONO16LE}, {2, 16, SF_STEREO16LE}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        std::vector<std::uint8_t> pcm;
        for (int i = 0; i < 120; ++i) pcm.push_back(static_cast<std::uint8_t>(i * 7));
        auto sample = Load("layout" + std::to_string(n++) + ".wav",
                           MakeWav(c.channels, c.bits, 22050, {{"data", pcm}}));
        ASSERT_TRUE(sample);
        EXPECT_EQ(sample->format, c.format);
        EXPECT_EQ(sample->hertz, 22050);
        EXPECT_EQ(sample->length, 120 / (c.channels * c.bits / 8));
        EXPECT_EQ(std::memcmp(sample->samples, pcm.data(), pcm.size()), 0);
    }
}

TEST_F(LoadersTest, WavChunksBeforeTheDataAreSkipped) {
    const std::vector<std::uint8_t> pcm = ConstantPcm16(10, 2, -300);
    auto sample = Load("chunks.wav", MakeWav(2, 16, 8000,
                                             {{"LIST", {1, 2, 3}},  // odd: padded to even
                                              {"fact", {0, 0, 0, 0}},
                                              {"data", pcm}},
                                             1, 2));
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->length, 10);
    EXPECT_EQ(std::memcmp(sample->samples, pcm.data(), pcm.size()), 0);
}

TEST_F(LoadersTest, ForeignAndBrokenWavFilesGiveNull) {
    const auto good = MakeWav(1, 16, 8000, {{"data", ConstantPcm16(50, 1, 9)}});
    auto with = [&good](std::size_t at, std::initializer_list<std::uint8_t> bytes) {
        auto copy = good;
        std::copy(bytes.begin(), bytes.end(), copy.begin() + static_cast<long>(at));
        return copy;
    };
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {"empty", {}},
        {"RIFX", with(0, {'R', 'I', 'F', 'X'})},
        {"not WAVE", with(8, {'A', 'V', 'I', ' '})},
        {"no fmt first", with(12, {'d', 'a', 't', 'a'})},
        {"float samples", MakeWav(1, 32, 8000, {{"data", {0, 0, 0, 0}}}, 3)},
        {"24-bit", MakeWav(1, 24, 8000, {{"data", {0, 0, 0}}})},
        {"three channels", MakeWav(3, 16, 8000, {{"data", {0, 0, 0, 0, 0, 0}}})},
        {"short fmt chunk", with(16, {8, 0, 0, 0})},
        {"cut in the header", std::vector<std::uint8_t>(good.begin(), good.begin() + 30)},
        {"no data chunk", MakeWav(1, 16, 8000, {{"LIST", {1, 2}}})},
        {"chunk longer than the file", MakeWav(1, 16, 8000, {{"junk", {}}, {"data", {1, 2}}})},
        {"random bytes", std::vector<std::uint8_t>(300, 0xA5)},
    };
    int n = 0;
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name) == "chunk longer than the file") {
            c.bytes[40] = 0xFF, c.bytes[41] = 0xFF, c.bytes[42] = 0xFF, c.bytes[43] = 0x7F;
        }
        EXPECT_FALSE(Load("broken" + std::to_string(n++) + ".wav", c.bytes));
    }
}

TEST_F(LoadersTest, AWavDataLengthBeyondTheFileIsLimitedToWhatIsThere) {
    auto bytes = MakeWav(2, 16, 8000, {{"data", ConstantPcm16(25, 2, 77)}});
    bytes.push_back(1);  // a stray byte: not a whole frame
    // Announce almost 4 GiB of data.
    bytes[40] = 0xF0, bytes[41] = 0xFF, bytes[42] = 0xFF, bytes[43] = 0xFF;
    auto sample = Load("lying.wav", bytes);
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->length, 25);
    EXPECT_LE(sample->capacity, 25 * 4);
}

TEST_F(LoadersTest, OggDecodesWholeFilesAtTheirOwnRateAndLength) {
    struct Case {
        int channels, hertz, frames, format;
    };
    const std::vector<Case> cases = {{1, 22050, 11025, SF_MONO16LE},
                                     {2, 44100, 30000, SF_STEREO16LE},
                                     {2, 48000, 4001, SF_STEREO16LE}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels at " << c.hertz);
        const auto pcm = Sine(c.frames, c.channels, c.hertz);
        auto sample =
            Load("sine" + std::to_string(n++) + ".ogg", EncodeOgg(pcm, c.channels, c.hertz, 0.6f));
        ASSERT_TRUE(sample);
        EXPECT_EQ(sample->format, c.format);
        EXPECT_EQ(sample->hertz, c.hertz);
        ASSERT_EQ(sample->length, c.frames);
        // Lossy, but close to the source away from the edges.
        const auto* values = reinterpret_cast<const std::int16_t*>(sample->samples);
        double error = 0, signal = 0;
        for (std::size_t i = 2000; i < pcm.size() - 2000; ++i) {
            error += std::pow(values[i] - pcm[i], 2);
            signal += std::pow(pcm[i], 2);
        }
        EXPECT_LT(error, signal * 0.01);
    }
}

TEST_F(LoadersTest, BrokenOggFilesGiveNull) {
    const auto good = EncodeOgg(Sine(20000, 2, 44100), 2, 44100);
    ASSERT_GT(good.size(), 4000u);
    auto header_cut = std::vector<std::uint8_t>(good.begin(), good.begin() + 200);
    auto garbage = good;
    for (std::size_t i = 0; i < 200; ++i) garbage[i] ^= 0x5A;
    auto not_vorbis = good;
    std::memcpy(&not_vorbis[29], "xorbis", 6);  // the identification packet's magic
    EXPECT_FALSE(Load("cut.ogg", header_cut));
    EXPECT_FALSE(Load("garbage.ogg", garbage));
    EXPECT_FALSE(Load("notvorbis.ogg", not_vorbis));
    // Valid Vorbis, but with more channels than the sample layouts hold. 3000 frames make a
    // stereo-sized buffer a whole number of three-channel frames, so only the channel check
    // can refuse it.
    const auto surround = EncodeOgg(Sine(3000, 3, 44100), 3, 44100);
    ASSERT_FALSE(surround.empty());
    EXPECT_FALSE(Load("surround.ogg", surround));
}

TEST_F(LoadersTest, OggCutInsideAPageKeepsTheCompletePages) {
    // Noise compresses badly, so the audio spreads over several pages.
    std::vector<std::int16_t> noise;
    std::uint32_t seed = 1;
    for (int i = 0; i < 100000; ++i) {
        seed = seed * 1103515245u + 12345u;
        noise.push_back(static_cast<std::int16_t>((seed >> 16) % 20000) - 10000);
    }
    const auto good = EncodeOgg(noise, 1, 44100);
    std::vector<std::size_t> pages;
    for (std::size_t i = 0; i + 4 <= good.size(); ++i) {
        if (std::memcmp(&good[i], "OggS", 4) == 0) pages.push_back(i);
    }
    ASSERT_GE(pages.size(), 5u);
    const std::size_t page = pages.size() / 2 + 1;
    std::uint64_t granule = 0;  // of the last page that survives whole
    for (int b = 0; b < 8; ++b) granule |= std::uint64_t{good[pages[page - 1] + 6 + b]} << (8 * b);
    auto cut = std::vector<std::uint8_t>(good.begin(), good.begin() + pages[page] + 100);
    auto sample = Load("half.ogg", cut);
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->length, static_cast<int>(granule));
    EXPECT_LT(sample->length, 100000);
}

TEST_F(LoadersTest, OggAnnouncingHugeLengthsIsRefused) {
    // Long enough for several audio pages: the length is the last page's granule position.
    auto ogg = EncodeOgg(Sine(100000, 2, 44100), 2, 44100);
    auto huge = ogg;
    SetLastGranule(huge, (std::uint64_t{1} << 28) + 1);
    EXPECT_FALSE(Load("huge.ogg", huge));
    // The same edit to a plausible length still loads, so the check is the length itself.
    auto longer = ogg;
    SetLastGranule(longer, 101000);
    auto sample = Load("longer.ogg", longer);
    ASSERT_TRUE(sample);
    // Decoding stops at the real end (the last block is no longer trimmed by the true
    // granule), and the sample holds what was really there.
    EXPECT_GE(sample->length, 100000);
    EXPECT_LT(sample->length, 100000 + 2048);
    EXPECT_LE(sample->capacity, 101000 * 4);
    // Just under the limit: accepted, yet memory follows the data, not the claim of 1 GiB.
    auto claiming = ogg;
    SetLastGranule(claiming, (std::uint64_t{1} << 28) - 1);
    sample = Load("claiming.ogg", claiming);
    ASSERT_TRUE(sample);
    EXPECT_LT(sample->length, 100000 + 2048);
    EXPECT_LE(sample->capacity, 1 << 23);
}

}  // namespace
