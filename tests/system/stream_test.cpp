#include "engine/system/stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/system/ram_stream.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::shared_ptr<TRamStream> Over(Bytes& bytes, int readable = 1, int writeable = 0) {
    return TRamStream::Create(static_cast<void*>(bytes.data()),
                              static_cast<std::int64_t>(bytes.size()), readable, writeable);
}

// Claims more bytes than it delivers, like a file cut short under its reader, and records
// the size of each Read request.
class TStallingStream : public TStream {
  public:
    TStallingStream(std::int64_t size, std::int64_t delivers) : size_(size), delivers_(delivers) {}
    std::int64_t Pos() override { return pos_; }
    std::int64_t Size() override { return size_; }
    std::int64_t Read(void* buf, std::int64_t count) override {
        requests.push_back(count);
        const std::int64_t n = std::max<std::int64_t>(0, std::min(count, delivers_ - pos_));
        std::memset(buf, 'x', static_cast<std::size_t>(n));
        pos_ += n;
        return n;
    }
    std::vector<std::int64_t> requests;

  private:
    std::int64_t pos_ = 0, size_, delivers_;
};

TEST(RamStream, PositionsClampAndReadsStopAtTheEnd) {
    Bytes bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    auto stream = Over(bytes);
    for (auto [to, lands] : {std::pair{-5, 0}, {3, 3}, {99, 10}, {10, 10}}) {
        EXPECT_EQ(stream->Seek(to), lands);
        EXPECT_EQ(stream->Eof(), lands == 10 ? 1 : 0);
    }
    unsigned char buf[4] = {};
    stream->Seek(8);
    EXPECT_EQ(stream->Read(buf, 4), 2);
    EXPECT_EQ(buf[1], 9);
    EXPECT_EQ(stream->Read(buf, 4), 0);
    EXPECT_EQ(Over(bytes, 0, 1)->Read(buf, 4), 0);  // not readable

    // A negative size or a missing buffer makes an empty stream, not a wild one.
    for (auto empty : {TRamStream::Create(static_cast<void*>(bytes.data()), -8, 1, 1),
                       TRamStream::Create(static_cast<const void*>(nullptr), 16, 1, 0)}) {
        EXPECT_EQ(empty->Seek(5), 0);
        EXPECT_EQ(empty->Read(buf, 4), 0);
    }
}

TEST(RamStream, WritesNeverGrowOrTouchConstMemory) {
    Bytes bytes(4, 0);
    auto stream = Over(bytes, 1, 1);
    const unsigned char data[] = {1, 2, 3, 4, 5, 6};
    stream->Seek(1);
    EXPECT_EQ(stream->Write(data, 6), 3);
    EXPECT_EQ(stream->Write(data, 6), 0);
    EXPECT_EQ(bytes, (Bytes{0, 1, 2, 3}));
    EXPECT_EQ(Over(bytes, 1, 0)->Write(data, 2), 0);

    const Bytes constant(4, 7);
    auto over_const = TRamStream::Create(static_cast<const void*>(constant.data()), 4, 1, 1);
    EXPECT_EQ(over_const->Write(data, 2), 0);
    EXPECT_EQ(constant, Bytes(4, 7));
}

TEST(Stream, ReadBytesZeroFillsWhatTheStreamCouldNotSupply) {
    Bytes bytes{0x11, 0x22, 0x33};
    auto stream = Over(bytes);
    unsigned char buf[8];
    std::memset(buf, 0xAA, sizeof buf);
    EXPECT_EQ(stream->ReadBytes(buf, 6), 6);  // still the requested count
    EXPECT_EQ(Bytes(buf, buf + 8), (Bytes{0x11, 0x22, 0x33, 0, 0, 0, 0xAA, 0xAA}));

    // Typed reads across the end take zeros for the missing bytes.
    Bytes two{0x34, 0x12}, none;
    EXPECT_EQ(Over(two)->ReadInt(), 0x1234);
    EXPECT_EQ(Over(none)->ReadLong(), 0);
    EXPECT_EQ(Over(two)->ReadString(3), std::string("4\x12\0", 3));
}

TEST(Stream, NoProgressRaisesTheStreamErrors) {
    unsigned char buf[10];
    TStallingStream cut(10, 4);
    try {
        cut.ReadBytes(buf, 10);
        ADD_FAILURE() << "no read error";
    } catch (const TStreamReadException& e) {
        EXPECT_STREQ(e.what(), "Error reading from stream");
    }
    TStallingStream cut_skip(10, 4);
    EXPECT_THROW(cut_skip.SkipBytes(10), TStreamReadException);

    Bytes full(2);
    try {
        Over(full, 0, 1)->WriteInt(7);
        ADD_FAILURE() << "no write error";
    } catch (const TStreamWriteException& e) {
        EXPECT_STREQ(e.what(), "Error writing to stream");
    }
    TStream bare;  // the base class can neither read nor write
    EXPECT_EQ(bare.Seek(3), -1);
    EXPECT_THROW(bare.Read(buf, 1), std::runtime_error);
    EXPECT_THROW(bare.Write(buf, 1), std::runtime_error);
}

TEST(Stream, SkipBytesReadsInBoundedChunks) {
    TStallingStream stream(3000, 3000);
    EXPECT_EQ(stream.SkipBytes(2500), 2500);
    EXPECT_EQ(stream.requests, (std::vector<std::int64_t>{1024, 1024, 452}));
    EXPECT_EQ(stream.SkipBytes(2500), 2500);  // stops quietly at the end
    EXPECT_EQ(stream.Pos(), 3000);
}

TEST(Stream, TypedValuesAreLittleEndian) {
    Bytes bytes{0xFF,                                             // byte 255
                0xFF, 0xFF,                                       // short 65535
                0x78, 0x56, 0x34, 0x12,                           // int
                0xFF, 0xFF, 0xFF, 0xFF,                           // int -1
                0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x81,   // long
                0x00, 0x00, 0x80, 0x3F,                           // float 1
                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0};  // double -2.5
    auto in = Over(bytes);
    EXPECT_EQ(in->ReadByte(), 255);  // byte and short are zero-extended
    EXPECT_EQ(in->ReadShort(), 65535);
    EXPECT_EQ(in->ReadInt(), 0x12345678);
    EXPECT_EQ(in->ReadInt(), -1);
    EXPECT_EQ(static_cast<std::uint64_t>(in->ReadLong()), 0x8102030405060708ull);
    EXPECT_EQ(in->ReadFloat(), 1.0f);
    EXPECT_EQ(in->ReadDouble(), -2.5);

    Bytes written(bytes.size(), 0xEE);
    auto out = Over(written, 0, 1);
    out->WriteByte(0x1FF);
    out->WriteShort(-1);
    out->WriteInt(0x12345678);
    out->WriteInt(-1);
    out->WriteLong(static_cast<std::int64_t>(0x8102030405060708ull));
    out->WriteFloat(1.0f);
    out->WriteDouble(-2.5);
    EXPECT_EQ(written, bytes);
}

TEST(Stream, Lines) {
    const struct {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\nc", {"a", "b", "c"}},
        {"x\r\ry", {"xy"}},
        {std::string("one\0two", 7), {"one", "two"}},
        {"\n\nz\n", {"", "", "z"}},
    };
    for (const auto& c : cases) {
        Bytes bytes(c.text.begin(), c.text.end());
        auto stream = Over(bytes);
        for (const std::string& line : c.lines) EXPECT_EQ(stream->ReadLine(), line);
        EXPECT_EQ(stream->Eof(), 1);
        EXPECT_EQ(stream->ReadLine(), "");  // at the end: empty, no error
    }
    Bytes out(8, 0);
    Over(out, 0, 1)->WriteLine("ab");
    EXPECT_EQ(out, (Bytes{'a', 'b', '\r', '\n', 0, 0, 0, 0}));
}

TEST(StreamStream, WrapsWithoutOwningTheClose) {
    Bytes bytes{1, 2, 3, 4};
    std::shared_ptr<TStream> inner = Over(bytes);
    auto wrapper = OpenReadStream(inner);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_NE(wrapper, inner);
    EXPECT_EQ(wrapper->ReadByte(), 1);
    wrapper->Close();
    EXPECT_EQ(inner->ReadByte(), 2);  // one shared position; the wrapped stream stays open
    EXPECT_EQ(wrapper->Eof(), 1);
    EXPECT_EQ(OpenReadStream(std::shared_ptr<TStream>()), nullptr);
}

}  // namespace
