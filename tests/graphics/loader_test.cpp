// PNG and JPEG decoding and the loader chain. Fixtures are encoded here in memory with
// libpng/libjpeg, so every colour type and bit depth is covered without binary files.
#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "engine/graphics/pixmap.h"
#include "engine/system/ram_stream.h"
#include "engine/system/stream.h"

namespace {

using Bytes = std::vector<unsigned char>;

// ---- fixture encoders -------------------------------------------------------------------

struct PngFixture {
    int width = 4, height = 3;
    int color_type = PNG_COLOR_TYPE_RGB;
    int bit_depth = 8;
    bool interlace = false;
    std::vector<png_color> palette;
    std::vector<png_byte> trans_alpha;  // palette transparency
    bool trans_colour = false;          // grey/RGB transparency key
    png_color_16 key{};
};

// Sample value for channel c of pixel (x, y) at the given bit depth.
int Sample(int x, int y, int c, int bit_depth) {
    const int max = (1 << bit_depth) - 1;
    return (x * 37 + y * 101 + c * 53 + 11) * (bit_depth == 16 ? 331 : 1) % (max + 1);
}

int ChannelsOf(int color_type) {
    switch (color_type) {
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_PALETTE:
            return 1;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB:
            return 3;
        default:
            return 4;
    }
}

void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

Bytes EncodePng(const PngFixture& s) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "encoding the fixture failed";
        return {};
    }
    png_set_write_fn(png, &out, WriteToVector, nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.bit_depth, s.color_type,
                 s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) {
        png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    }
    if (!s.trans_alpha.empty()) {
        png_set_tRNS(png, info, s.trans_alpha.data(), static_cast<int>(s.trans_alpha.size()),
                     nullptr);
    }
    if (s.trans_colour) png_set_tRNS(png, info, nullptr, 0, &s.key);
    png_write_info(png, info);

    const int channels = ChannelsOf(s.color_type);
    const int bits = channels * s.bit_depth;
    std::vector<Bytes> rows(s.height, Bytes((s.width * bits + 7) / 8, 0));
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            for (int c = 0; c < channels; ++c) {
                int v = Sample(x, y, c, s.bit_depth);
                if (s.color_type == PNG_COLOR_TYPE_PALETTE) v %= int(s.palette.size());
                const int bit = (x * channels + c) * s.bit_depth;
                if (s.bit_depth == 16) {
                    rows[y][bit / 8] = static_cast<unsigned char>(v >> 8);
                    rows[y][bit / 8 + 1] = static_cast<unsigned char>(v);
                } else {
                    rows[y][bit / 8] |=
                        static_cast<unsigned char>(v << (8 - s.bit_depth - bit % 8));
                }
            }
        }
    }
    std::vector<png_bytep> pointers;
    for (auto& r : rows) pointers.push_back(r.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes EncodeJpeg(int width, int height, int components, J_COLOR_SPACE space,
                 const std::vector<unsigned char>& pixels) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<unsigned char*>(pixels.data()) + cinfo.next_scanline * width * components;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// A 16x16 JPEG: left half one flat colour, right half another.
Bytes TwoToneJpeg(int components, J_COLOR_SPACE space, const std::vector<int>& left,
                  const std::vector<int>& right) {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            for (int c = 0; c < components; ++c) pixels.push_back(x < 8 ? left[c] : right[c]);
        }
    }
    return EncodeJpeg(16, 16, components, space, pixels);
}

std::shared_ptr<TPixmap> Decode(const std::shared_ptr<TPixmapLoader>& loader, const Bytes& data) {
    auto stream = TRamStream::Create(static_cast<const void*>(data.data()),
                                     static_cast<std::int64_t>(data.size()), 1, 0);
    return loader->LoadPixmap(*stream);
}

std::shared_ptr<TPixmap> DecodeChain(const Bytes& data) {
    StartImageLoaders();
    auto stream = TRamStream::Create(static_cast<const void*>(data.data()),
                                     static_cast<std::int64_t>(data.size()), 1, 0);
    return LoadPixmap(*stream);
}

std::vector<int> Rgba(const TPixmap& p, int x, int y) {
    const std::uint32_t c = p.ReadPixel(x, y);
    return {int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255), int(c >> 24)};
}

// Expands a sample of `bits` bits to 8 bits the way libpng does.
int To8(int v, int bits) {
    if (bits == 16) return v >> 8;
    return v * 255 / ((1 << bits) - 1);
}

// ---- PNG ----------------------------------------------------------------------------------

TEST(PngLoaderTest, EveryColourTypeAndDepthDecodesToItsFormat) {
    struct Case {
        int color_type, bit_depth, format;
    } cases[] = {
        {PNG_COLOR_TYPE_GRAY, 1, PF_I8},
        {PNG_COLOR_TYPE_GRAY, 2, PF_I8},
        {PNG_COLOR_TYPE_GRAY, 4, PF_I8},
        {PNG_COLOR_TYPE_GRAY, 8, PF_I8},
        {PNG_COLOR_TYPE_GRAY, 16, PF_I8},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, PF_RGBA8888},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16, PF_RGBA8888},
        {PNG_COLOR_TYPE_RGB, 8, PF_RGB888},
        {PNG_COLOR_TYPE_RGB, 16, PF_RGB888},
        {PNG_COLOR_TYPE_RGBA, 8, PF_RGBA8888},
        {PNG_COLOR_TYPE_RGBA, 16, PF_RGBA8888},
    };
    auto loader = NewPngLoader();
    for (const auto& c : cases) {
        for (bool interlace : {false, true}) {
            PngFixture s;
            s.width = 13;  // odd width: packed rows and row padding both matter
            s.height = 9;
            s.color_type = c.color_type;
            s.bit_depth = c.bit_depth;
            s.interlace = interlace;
            auto p = Decode(loader, EncodePng(s));
            SCOPED_TRACE(testing::Message() << "type " << c.color_type << " depth " << c.bit_depth
                                            << (interlace ? " interlaced" : ""));
            ASSERT_TRUE(p);
            EXPECT_EQ(p->format, c.format);
            EXPECT_EQ(p->width, 13);
            EXPECT_EQ(p->height, 9);
            for (int y = 0; y < 9; ++y) {
                for (int x = 0; x < 13; ++x) {
                    // Grey fills R, G and B; a missing alpha reads as opaque.
                    const int d = c.bit_depth;
                    const int n = ChannelsOf(c.color_type);
                    auto at = [&](int ch) { return To8(Sample(x, y, ch, d), d); };
                    const int grey = n <= 2;
                    std::vector<int> want = {at(0), at(grey ? 0 : 1), at(grey ? 0 : 2),
                                             n == 2   ? at(1)
                                             : n == 4 ? at(3)
                                                      : 255};
                    ASSERT_EQ(Rgba(*p, x, y), want) << "at " << x << "," << y;
                }
            }
        }
    }
}

TEST(PngLoaderTest, PalettesAndTransparencyKeysExpand) {
    const std::vector<png_color> palette = {{10, 20, 30}, {200, 100, 50}, {0, 255, 7}};
    auto loader = NewPngLoader();
    for (int depth : {1, 2, 4, 8}) {
        PngFixture s;
        s.color_type = PNG_COLOR_TYPE_PALETTE;
        s.bit_depth = depth;
        s.palette = std::vector<png_color>(palette.begin(), palette.begin() + (depth == 1 ? 2 : 3));
        const int n = static_cast<int>(s.palette.size());
        for (bool with_alpha : {false, true}) {
            s.trans_alpha = with_alpha ? std::vector<png_byte>{0, 128} : std::vector<png_byte>{};
            auto p = Decode(loader, EncodePng(s));
            SCOPED_TRACE(testing::Message()
                         << "palette depth " << depth << " alpha " << with_alpha);
            ASSERT_TRUE(p);
            EXPECT_EQ(p->format, with_alpha ? PF_RGBA8888 : PF_RGB888);
            for (int y = 0; y < s.height; ++y) {
                for (int x = 0; x < s.width; ++x) {
                    const int i = Sample(x, y, 0, depth) % n;
                    const int a = !with_alpha ? 255 : i == 0 ? 0 : i == 1 ? 128 : 255;
                    EXPECT_EQ(Rgba(*p, x, y), (std::vector<int>{palette[i].red, palette[i].green,
                                                                palette[i].blue, a}));
                }
            }
        }
    }
}

TEST(PngLoaderTest, SizeLimitIsInclusive) {
    struct Case {
        int width, height;
        bool ok;
    } cases[] = {{8192, 1, true}, {1, 8192, true}, {8193, 1, false}, {1, 8193, false}};
    auto loader = NewPngLoader();
    for (const auto& c : cases) {
        PngFixture s;
        s.width = c.width;
        s.height = c.height;
        s.color_type = PNG_COLOR_TYPE_GRAY;
        s.bit_depth = 1;
        EXPECT_EQ(bool(Decode(loader, EncodePng(s))), c.ok) << c.width << "x" << c.height;
    }
}

TEST(PngLoaderTest, BadDataIsRefusedWithoutCrashing) {
    PngFixture s;
    s.width = 40;
    s.height = 30;
    s.color_type = PNG_COLOR_TYPE_RGBA;
    const Bytes good = EncodePng(s);
    auto loader = NewPngLoader();
    ASSERT_TRUE(Decode(loader, good));

    // Every truncation, including one that keeps all but the last byte.
    for (std::size_t n = 0; n < good.size(); n += (n < 64 ? 1 : 17)) {
        EXPECT_FALSE(Decode(loader, Bytes(good.begin(), good.begin() + n))) << "first " << n;
    }
    EXPECT_FALSE(Decode(loader, Bytes(good.begin(), good.end() - 1)));

    // Damage inside the compressed data (the CRC catches it) and in the header.
    for (std::size_t at : {std::size_t{20}, std::size_t{40}, good.size() / 2}) {
        Bytes bad = good;
        bad[at] ^= 0x5a;
        EXPECT_FALSE(Decode(loader, bad)) << "flipped byte " << at;
    }
    const std::string text = "not a picture at all";
    EXPECT_FALSE(Decode(loader, Bytes(text.begin(), text.end())));
    EXPECT_FALSE(Decode(loader, TwoToneJpeg(3, JCS_RGB, {1, 2, 3}, {4, 5, 6})));
}

// `good` with one chunk spliced in after IHDR; `length` is what the chunk claims, `data` what
// actually follows (a claim longer than the data makes a truncated file).
Bytes WithChunkAfterHeader(const Bytes& good, const char type[4], std::uint32_t length,
                           const Bytes& data) {
    Bytes chunk = {static_cast<unsigned char>(length >> 24),
                   static_cast<unsigned char>(length >> 16),
                   static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)};
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 4; i < chunk.size(); ++i) {
        crc ^= chunk[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xFFFFFFFFu;
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(static_cast<unsigned char>(crc >> shift));
    Bytes out = good;
    out.insert(out.begin() + 33, chunk.begin(), chunk.end());  // after signature and IHDR
    return out;
}

// A memory stream that remembers the largest single read asked of it: libpng reads a chunk it
// keeps whole in one request of the length it allocated for it. It owns its bytes, so it can
// be built from a temporary.
class TRecordingStream : public TStream {
  public:
    explicit TRecordingStream(Bytes data)
        : data_(std::move(data)),
          ram_(TRamStream::Create(static_cast<const void*>(data_.data()),
                                  static_cast<std::int64_t>(data_.size()), 1, 0)) {}
    std::int64_t Pos() override { return ram_->Pos(); }
    std::int64_t Size() override { return ram_->Size(); }
    std::int64_t Seek(std::int64_t pos) override { return ram_->Seek(pos); }
    std::int64_t Read(void* buf, std::int64_t count) override {
        largest = std::max(largest, count);
        return ram_->Read(buf, count);
    }

    std::int64_t largest = 0;

  private:
    Bytes data_;
    std::shared_ptr<TRamStream> ram_;
};

// libpng sizes a text or profile chunk's buffer from its length field before the bytes
// arrive, so a few bytes claiming a huge chunk could reserve that much. The decoder skips
// every chunk it has no use for, reading past it in small pieces: the picture loads whatever
// size such a chunk has, a truncated one is refused, and no read is ever chunk-sized.
TEST(PngLoaderTest, AncillaryChunksAreSkippedNotBuffered) {
    PngFixture s;
    const Bytes good = EncodePng(s);
    ASSERT_GT(good.size(), 33u);
    auto loader = NewPngLoader();
    constexpr std::int64_t kSmallRead = 1 << 16;

    auto text = [](std::size_t n) {
        Bytes data = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
        data.resize(n, 'x');
        return data;
    };
    const Bytes modest = text(std::size_t{1} << 16);
    for (const char* type : {"tEXt", "iTXt", "zTXt", "iCCP", "gAMA", "sBIT"}) {
        EXPECT_TRUE(Decode(loader, WithChunkAfterHeader(good, type, 1u << 16, modest))) << type;
    }
    {
        TRecordingStream big(WithChunkAfterHeader(good, "zTXt", 24u << 20, text(24u << 20)));
        EXPECT_TRUE(loader->LoadPixmap(big));
        EXPECT_LE(big.largest, kSmallRead);
    }
    for (const char* type : {"tEXt", "iTXt", "zTXt", "iCCP"}) {
        TRecordingStream hostile(WithChunkAfterHeader(good, type, 0x30000000u, modest));
        EXPECT_FALSE(loader->LoadPixmap(hostile)) << type;
        EXPECT_LE(hostile.largest, kSmallRead) << type;
    }
}

// ---- JPEG ---------------------------------------------------------------------------------

TEST(JpegLoaderTest, GreyAndColourDecode) {
    auto loader = NewJpegLoader();
    auto grey = Decode(loader, TwoToneJpeg(1, JCS_GRAYSCALE, {40}, {220}));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->format, PF_I8);
    EXPECT_EQ(grey->width, 16);
    EXPECT_EQ(grey->height, 16);
    EXPECT_NEAR(grey->PixelPtr(2, 5)[0], 40, 2);
    EXPECT_NEAR(grey->PixelPtr(13, 9)[0], 220, 2);

    auto colour = Decode(loader, TwoToneJpeg(3, JCS_RGB, {200, 30, 60}, {10, 120, 250}));
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->format, PF_RGB888);
    const auto left = Rgba(*colour, 2, 5);
    const auto right = Rgba(*colour, 13, 9);
    const int want_left[] = {200, 30, 60}, want_right[] = {10, 120, 250};
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(left[c], want_left[c], 4);
        EXPECT_NEAR(right[c], want_right[c], 4);
    }
}

TEST(JpegLoaderTest, UnsupportedLayoutsAndSizesAreRefused) {
    auto loader = NewJpegLoader();
    EXPECT_FALSE(Decode(loader, TwoToneJpeg(4, JCS_CMYK, {1, 2, 3, 4}, {5, 6, 7, 8})));

    struct Case {
        int width, height;
        bool ok;
    } cases[] = {{8192, 1, true}, {8193, 1, false}, {1, 8193, false}};
    for (const auto& c : cases) {
        std::vector<unsigned char> pixels(static_cast<std::size_t>(c.width) * c.height, 99);
        EXPECT_EQ(bool(Decode(loader, EncodeJpeg(c.width, c.height, 1, JCS_GRAYSCALE, pixels))),
                  c.ok)
            << c.width << "x" << c.height;
    }
}

TEST(JpegLoaderTest, BadDataIsRefusedWithoutCrashing) {
    const Bytes good = TwoToneJpeg(3, JCS_RGB, {200, 30, 60}, {10, 120, 250});
    auto loader = NewJpegLoader();
    ASSERT_TRUE(Decode(loader, good));
    for (std::size_t n = 0; n < good.size(); n += (n < 64 ? 1 : 29)) {
        EXPECT_FALSE(Decode(loader, Bytes(good.begin(), good.begin() + n))) << "first " << n;
    }
    Bytes no_soi = good;
    no_soi[1] = 0x00;
    EXPECT_FALSE(Decode(loader, no_soi));
    PngFixture s;
    EXPECT_FALSE(Decode(loader, EncodePng(s)));
    EXPECT_FALSE(Decode(loader, Bytes{}));
}

// Junk before the end marker is only a warning to libjpeg: the picture is still whole.
TEST(JpegLoaderTest, JunkBeforeTheEndMarkerIsAccepted) {
    Bytes data = TwoToneJpeg(1, JCS_GRAYSCALE, {40}, {220});
    ASSERT_EQ(data[data.size() - 2], 0xFF);
    data.insert(data.end() - 2, {0x12, 0x34, 0x56});
    auto grey = Decode(NewJpegLoader(), data);
    ASSERT_TRUE(grey);
    EXPECT_NEAR(grey->PixelPtr(2, 5)[0], 40, 2);
    EXPECT_NEAR(grey->PixelPtr(13, 9)[0], 220, 2);
}

// ---- the chain ------------------------------------------------------------------------------

// A loader that records where the stream was when it was asked, and then behaves as told.
class TScriptedLoader : public TPixmapLoader {
  public:
    enum Mode { kRefuse, kThrow, kAccept };
    TScriptedLoader(Mode mode, std::vector<std::string>* log, std::string name)
        : mode_(mode), log_(log), name_(std::move(name)) {}
    std::shared_ptr<TPixmap> LoadPixmap(TStream& stream) override {
        log_->push_back(name_ + "@" + std::to_string(stream.Pos()));
        char junk[5];
        stream.Read(junk, 5);  // move the position, so the next loader must be rewound
        if (mode_ == kThrow) throw TStreamReadException();
        if (mode_ == kRefuse) return nullptr;
        return TPixmap::Create(1, 1, PF_A8);
    }

  private:
    Mode mode_;
    std::vector<std::string>* log_;
    std::string name_;
};

// Registers loaders for one test and removes them afterwards.
class ScopedLoaders {
  public:
    void Add(std::shared_ptr<TPixmapLoader> loader) {
        RegisterPixmapLoader(loader);
        added_.push_back(std::move(loader));
    }
    ~ScopedLoaders() {
        for (auto& l : added_) UnregisterPixmapLoader(l);
    }

  private:
    std::vector<std::shared_ptr<TPixmapLoader>> added_;
};

TEST(PixmapLoaderChainTest, NewestFirstEachFromTheStartPosition) {
    StartImageLoaders();
    std::vector<std::string> log;
    ScopedLoaders scope;
    auto accept = std::make_shared<TScriptedLoader>(TScriptedLoader::kAccept, &log, "accept");
    scope.Add(accept);
    scope.Add(std::make_shared<TScriptedLoader>(TScriptedLoader::kThrow, &log, "throw"));
    scope.Add(std::make_shared<TScriptedLoader>(TScriptedLoader::kRefuse, &log, "refuse"));

    const Bytes data(64, 0xab);
    auto stream = TRamStream::Create(static_cast<const void*>(data.data()), 64, 1, 0);
    stream->Seek(7);
    auto p = LoadPixmap(*stream);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, PF_A8);
    EXPECT_EQ(log, (std::vector<std::string>{"refuse@7", "throw@7", "accept@7"}));

    // Without the accepting loader, the real decoders refuse the junk and the result is null.
    log.clear();
    UnregisterPixmapLoader(accept);
    stream->Seek(7);
    EXPECT_FALSE(LoadPixmap(*stream));
    EXPECT_EQ(log, (std::vector<std::string>{"refuse@7", "throw@7"}));
}

TEST(PixmapLoaderChainTest, StartRegistersPngBeforeJpegOnce) {
    StartImageLoaders();
    StartImageLoaders();
    int count = 0;
    for (auto l = FirstPixmapLoader(); l; l = l->_succ) ++count;
    EXPECT_EQ(count, 2);
    // Both formats come through the chain.
    PngFixture s;
    auto png = DecodeChain(EncodePng(s));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->format, PF_RGB888);
    auto jpeg = DecodeChain(TwoToneJpeg(1, JCS_GRAYSCALE, {1}, {2}));
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->format, PF_I8);
}

// A stream that counts closes and can pretend to have no position.
class TProbeStream : public TStream {
  public:
    TProbeStream(Bytes data, bool positioned, int* closes)
        : data_(std::move(data)), positioned_(positioned), closes_(closes) {}
    std::int64_t Pos() override { return positioned_ ? pos_ : -1; }
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    std::int64_t Seek(std::int64_t pos) override {
        pos_ = std::min<std::int64_t>(std::max<std::int64_t>(pos, 0), Size());
        return pos_;
    }
    std::int64_t Read(void* buf, std::int64_t count) override {
        const std::int64_t n = std::min(count, Size() - pos_);
        std::memcpy(buf, data_.data() + pos_, static_cast<std::size_t>(n));
        pos_ += n;
        return n;
    }
    void Close() override { ++*closes_; }

  private:
    Bytes data_;
    bool positioned_;
    int* closes_;
    std::int64_t pos_ = 0;
};

class TProbeFactory : public TStreamFactory {
  public:
    std::shared_ptr<TStream> CreateStream(const std::string&, const std::string& proto,
                                          const std::string& path, int, int) override {
        if (proto != "probe") return nullptr;
        if (path == "good") return std::make_shared<TProbeStream>(good, true, &closes);
        if (path == "junk") return std::make_shared<TProbeStream>(Bytes(40, 1), true, &closes);
        if (path == "nopos") return std::make_shared<TProbeStream>(good, false, &closes);
        return nullptr;
    }
    Bytes good;
    int closes = 0;
};

TEST(PixmapLoaderChainTest, UrlsAreOpenedAndAlwaysClosed) {
    StartStreamModules();
    StartImageLoaders();
    TProbeFactory factory;
    PngFixture s;
    factory.good = EncodePng(s);
    struct Case {
        const char* url;
        bool loads;
        int closes;
    } cases[] = {
        {"probe::good", true, 1},
        {"probe::junk", false, 1},
        {"probe::nopos", false, 1},
        {"probe::missing", false, 0},
        {"/nonexistent/dir/picture.png", false, 0},
    };
    for (const auto& c : cases) {
        factory.closes = 0;
        EXPECT_EQ(bool(LoadPixmap(std::string(c.url))), c.loads) << c.url;
        EXPECT_EQ(factory.closes, c.closes) << c.url;
    }
}

}  // namespace
