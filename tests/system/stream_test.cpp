#include "engine/system/stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "engine/system/ram_stream.h"
#include "engine/system/runtime_error.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::shared_ptr<TRamStream> Over(Bytes& bytes, int readable = 1, int writeable = 0) {
    return TRamStream::Create(static_cast<void*>(bytes.data()),
                              static_cast<std::int64_t>(bytes.size()), readable, writeable);
}

// Claims more bytes than it delivers, like a file cut short under a reader, and counts how
// much each Read was asked for.
class TStallingStream : public TStream {
  public:
    explicit TStallingStream(std::int64_t size, std::int64_t delivers)
        : size_(size), delivers_(delivers) {}
    std::int64_t Pos() override { return pos_; }
    std::int64_t Size() override { return size_; }
    std::int64_t Read(void* buf, std::int64_t count) override {
        requests.push_back(count);
        const std::int64_t n = std::min(count, delivers_ - pos_);
        if (n <= 0) return 0;
        std::memset(buf, 'x', static_cast<std::size_t>(n));
        pos_ += n;
        return n;
    }
    std::vector<std::int64_t> requests;

  private:
    std::int64_t pos_ = 0, size_, delivers_;
};

TEST(RamStream, SeekClampsToTheBytes) {
    Bytes bytes(10);
    auto stream = Over(bytes);
    const struct {
        std::int64_t to, lands;
    } cases[] = {{-5, 0}, {3, 3}, {99, 10}, {10, 10}, {0, 0}, {-1, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(stream->Seek(c.to), c.lands) << c.to;
        EXPECT_EQ(stream->Pos(), c.lands);
        EXPECT_EQ(stream->Eof(), c.lands == 10 ? 1 : 0);
    }
    EXPECT_EQ(stream->Size(), 10);
}

TEST(RamStream, ReadsStopAtTheEnd) {
    Bytes bytes(10);
    std::iota(bytes.begin(), bytes.end(), 0);
    auto stream = Over(bytes);
    unsigned char buf[8] = {};
    stream->Seek(8);
    EXPECT_EQ(stream->Read(buf, 4), 2);
    EXPECT_EQ(buf[0], 8);
    EXPECT_EQ(buf[1], 9);
    EXPECT_EQ(stream->Read(buf, 4), 0);
    stream->Seek(0);
    EXPECT_EQ(stream->Read(buf, 0), 0);
    EXPECT_EQ(stream->Read(buf, -3), 0);
    EXPECT_EQ(stream->Pos(), 0);

    auto unreadable = Over(bytes, 0, 1);
    EXPECT_EQ(unreadable->Read(buf, 4), 0);
}

TEST(RamStream, WritesNeverGrowTheBuffer) {
    Bytes bytes(4, 0);
    auto stream = Over(bytes, 1, 1);
    const unsigned char data[] = {1, 2, 3, 4, 5, 6};
    stream->Seek(1);
    EXPECT_EQ(stream->Write(data, 6), 3);
    EXPECT_EQ(stream->Write(data, 6), 0);
    EXPECT_EQ(bytes, (Bytes{0, 1, 2, 3}));
    EXPECT_EQ(stream->Size(), 4);

    // Read-only streams, and any stream over const memory, refuse to write.
    EXPECT_EQ(Over(bytes, 1, 0)->Write(data, 2), 0);
    const Bytes constant(4, 7);
    auto over_const = TRamStream::Create(static_cast<const void*>(constant.data()), 4, 1, 1);
    EXPECT_EQ(over_const->Write(data, 2), 0);
    EXPECT_EQ(constant, Bytes(4, 7));
    EXPECT_THROW(over_const->WriteInt(1), TStreamWriteException);
}

TEST(RamStream, NegativeOrMissingBytesMakeAnEmptyStream) {
    Bytes bytes(4);
    unsigned char buf[4];
    for (auto stream : {TRamStream::Create(static_cast<void*>(bytes.data()), -8, 1, 1),
                        TRamStream::Create(static_cast<const void*>(nullptr), 16, 1, 0)}) {
        EXPECT_EQ(stream->Size(), 0);
        EXPECT_EQ(stream->Eof(), 1);
        EXPECT_EQ(stream->Seek(5), 0);
        EXPECT_EQ(stream->Read(buf, 4), 0);
    }
}

TEST(Stream, ReadBytesZeroFillsWhatTheStreamCouldNotSupply) {
    Bytes bytes{0x11, 0x22, 0x33};
    auto stream = Over(bytes);
    unsigned char buf[8];
    std::memset(buf, 0xAA, sizeof buf);
    EXPECT_EQ(stream->ReadBytes(buf, 8), 8);  // the requested count, as before
    EXPECT_EQ(Bytes(buf, buf + 8), (Bytes{0x11, 0x22, 0x33, 0, 0, 0, 0, 0}));
    EXPECT_EQ(stream->Pos(), 3);

    std::memset(buf, 0xAA, sizeof buf);
    EXPECT_EQ(stream->ReadBytes(buf, 4), 4);  // already at the end: all zeros
    EXPECT_EQ(Bytes(buf, buf + 4), Bytes(4, 0));
    EXPECT_EQ(buf[4], 0xAA);  // nothing beyond the requested count is touched

    // Typed reads across the end take zeros for the missing high bytes.
    Bytes two{0x34, 0x12};
    EXPECT_EQ(Over(two)->ReadInt(), 0x1234);
    EXPECT_EQ(Over(two)->ReadLong(), 0x1234);
    Bytes none;
    EXPECT_EQ(Over(none)->ReadInt(), 0);
    EXPECT_EQ(Over(none)->ReadDouble(), 0.0);
    Bytes hi{'h', 'i'};
    EXPECT_EQ(Over(hi)->ReadString(4), std::string("hi\0\0", 4));
}

TEST(Stream, NoProgressBeforeTheEndRaises) {
    TStallingStream stream(10, 4);
    unsigned char buf[10];
    try {
        stream.ReadBytes(buf, 10);
        FAIL() << "expected a read error";
    } catch (const TStreamReadException& e) {
        EXPECT_STREQ(e.what(), "Error reading from stream");
    }
    TStallingStream skipping(10, 4);
    EXPECT_THROW(skipping.SkipBytes(10), TStreamReadException);

    Bytes full(2);
    auto out = Over(full, 0, 1);
    try {
        out->WriteInt(7);
        FAIL() << "expected a write error";
    } catch (const TStreamWriteException& e) {
        EXPECT_STREQ(e.what(), "Error writing to stream");
    }
    EXPECT_EQ(full, (Bytes{7, 0}));  // what fitted was written
}

TEST(Stream, SkipBytesReadsInBoundedChunks) {
    TStallingStream stream(3000, 3000);
    EXPECT_EQ(stream.SkipBytes(2500), 2500);
    EXPECT_EQ(stream.Pos(), 2500);
    EXPECT_EQ(stream.requests, (std::vector<std::int64_t>{1024, 1024, 452}));

    Bytes bytes(10);
    auto ram = Over(bytes);
    EXPECT_EQ(ram->SkipBytes(25), 25);  // stops quietly at the end
    EXPECT_EQ(ram->Pos(), 10);
}

TEST(Stream, BaseClassDefaults) {
    TStream bare;
    EXPECT_EQ(bare.Pos(), -1);
    EXPECT_EQ(bare.Size(), 0);
    EXPECT_EQ(bare.Seek(3), -1);
    EXPECT_EQ(bare.Eof(), 0);
    unsigned char buf[1];
    const struct {
        bool write;
        const char* text;
    } cases[] = {{false, "Stream is not readable"}, {true, "Stream is not writeable"}};
    for (const auto& c : cases) {
        try {
            if (c.write) {
                bare.Write(buf, 1);
            } else {
                bare.Read(buf, 1);
            }
            FAIL() << c.text;
        } catch (const TRuntimeError& e) {
            EXPECT_STREQ(e.what(), c.text);
        }
    }
}

TEST(Stream, TypedValuesAreLittleEndian) {
    Bytes bytes{0xFF,                                             // byte
                0xFF, 0xFF,                                       // short
                0x78, 0x56, 0x34, 0x12,                           // int
                0xFF, 0xFF, 0xFF, 0xFF,                           // int -1
                0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x81,   // long
                0x00, 0x00, 0x80, 0x3F,                           // float 1
                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0};  // double -2.5
    auto in = Over(bytes);
    EXPECT_EQ(in->ReadByte(), 255);     // zero-extended
    EXPECT_EQ(in->ReadShort(), 65535);  // zero-extended
    EXPECT_EQ(in->ReadInt(), 0x12345678);
    EXPECT_EQ(in->ReadInt(), -1);
    EXPECT_EQ(static_cast<std::uint64_t>(in->ReadLong()), 0x8102030405060708ull);
    EXPECT_EQ(in->ReadFloat(), 1.0f);
    EXPECT_EQ(in->ReadDouble(), -2.5);
    EXPECT_EQ(in->Eof(), 1);

    Bytes written(bytes.size(), 0xEE);
    auto out = Over(written, 0, 1);
    out->WriteByte(0x1FF);  // only the low byte
    out->WriteShort(-1);
    out->WriteInt(0x12345678);
    out->WriteInt(-1);
    out->WriteLong(static_cast<std::int64_t>(0x8102030405060708ull));
    out->WriteFloat(1.0f);
    out->WriteDouble(-2.5);
    EXPECT_EQ(written, bytes);
}

TEST(Stream, ReadLineRules) {
    const struct {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\nc", {"a", "b", "c"}},
        {"x\r\ry", {"xy"}},
        {std::string("one\0two", 7), {"one", "two"}},
        {"\n\nz\n", {"", "", "z"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        Bytes bytes(c.text.begin(), c.text.end());
        auto stream = Over(bytes);
        for (const std::string& line : c.lines) EXPECT_EQ(stream->ReadLine(), line);
        EXPECT_EQ(stream->Eof(), 1);
        EXPECT_EQ(stream->ReadLine(), "");  // at the end: empty, no error
    }

    Bytes out(16, 0);
    auto stream = Over(out, 1, 1);
    stream->WriteLine("ab");
    stream->WriteString("cd");
    EXPECT_EQ(stream->Pos(), 6);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 6), "ab\r\ncd");
    stream->Seek(0);
    EXPECT_EQ(stream->ReadLine(), "ab");
    EXPECT_EQ(stream->ReadString(2), "cd");
}

TEST(StreamStream, WrapsWithoutOwningTheClose) {
    Bytes bytes{1, 2, 3, 4};
    std::shared_ptr<TStream> inner = Over(bytes);
    auto wrapper = OpenReadStream(inner);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_NE(wrapper, inner);
    EXPECT_EQ(wrapper->Size(), 4);
    EXPECT_EQ(wrapper->ReadByte(), 1);
    EXPECT_EQ(inner->Pos(), 1);  // one position, shared
    wrapper->Close();
    EXPECT_EQ(inner->ReadByte(), 2);  // the wrapped stream stays open
    unsigned char buf[2];
    EXPECT_EQ(wrapper->Read(buf, 2), 0);
    EXPECT_EQ(wrapper->Eof(), 1);
    EXPECT_EQ(OpenReadStream(std::shared_ptr<TStream>()), nullptr);
}

}  // namespace
