#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/system/incbin.h"
#include "engine/system/ram_stream.h"
#include "engine/system/stream.h"

ZANDOR_INCBIN_DECLARE(zandor_test_embed_sample);
ZANDOR_INCBIN_DECLARE(zandor_test_embed_empty);

namespace {

namespace fs = std::filesystem;

// Records what the chain asks and answers only for its own protocol word.
class TRecordingFactory : public TStreamFactory {
  public:
    explicit TRecordingFactory(std::string accepts) : accepts_(std::move(accepts)) {}
    std::shared_ptr<TStream> CreateStream(const std::string& url, const std::string& proto,
                                          const std::string& path, int, int writeable) override {
        calls.push_back({url, proto, path, writeable});
        if (proto != accepts_) return nullptr;
        return TRamStream::Create(static_cast<const void*>(accepts_.data()), 0, 1, 0);
    }
    struct TCall {
        std::string url, proto, path;
        int writeable;
    };
    std::vector<TCall> calls;

  private:
    std::string accepts_;
};

std::string Slurp(const std::shared_ptr<TStream>& stream) {
    std::string bytes(static_cast<std::size_t>(stream->Size()), '\0');
    stream->ReadBytes(bytes.data(), stream->Size());
    return bytes;
}

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(EmbeddedFiles, FirstRegistrationWinsAndNamesAreExact) {
    static const unsigned char p[4] = {1, 2, 3, 4}, q[8] = {};
    EXPECT_EQ(RegisterEmbeddedFile("registry/a", p, 4), 1);
    EXPECT_EQ(RegisterEmbeddedFile("registry/a", q, 8), 0);
    EXPECT_EQ(EmbeddedFileSize("registry/a"), 4);
    EXPECT_EQ(EmbeddedFileData("registry/a"), p);
    for (const char* other : {"registry/A", "./registry/a", "registry\\a", "registry/", ""}) {
        EXPECT_EQ(EmbeddedFileData(other), nullptr) << other;
        EXPECT_EQ(EmbeddedFileSize(other), 0) << other;
    }
    // A negative length is refused and does not claim the name.
    EXPECT_EQ(RegisterEmbeddedFile("registry/negative", p, -1), 0);
    EXPECT_EQ(RegisterEmbeddedFile("registry/negative", p, 2), 1);
}

TEST(OpenStream, IncbinUrls) {
    StartStreamModules();
    static const char shoot[] = "OggS-pretend";
    ASSERT_EQ(RegisterEmbeddedFile("url/shoot.ogg", shoot, 12), 1);
    const struct {
        const char* url;
        int readable, writeable;
        bool opens;
    } cases[] = {
        {"incbin::url/shoot.ogg", 1, 0, true},
        {"INCBIN::url/shoot.ogg", 1, 0, true},  // the protocol ignores case
        {"InCbIn::url/shoot.ogg", 0, 0, true},
        {"incbin::Url/shoot.ogg", 1, 0, false},  // the path does not
        {"incbin::", 1, 0, false},
        {"incbin::url/shoot.ogg", 1, 1, false},  // embedded files are never written
        {"incbin::url/shoot.ogg", 0, 1, false},
        {"incbin:url/shoot.ogg", 1, 0, false},  // a (missing) plain file instead
        {"nosuch::url/shoot.ogg", 1, 0, false},
        {"", 1, 0, false},
    };
    for (const auto& c : cases) {
        auto stream = OpenStream(c.url, c.readable, c.writeable);
        EXPECT_EQ(stream != nullptr, c.opens) << c.url << " " << c.readable << c.writeable;
        if (stream && c.readable) {
            EXPECT_EQ(Slurp(stream), std::string(shoot, 12));
        }
    }
    // Each stream has its own position; closing one leaves the others and the bytes alone.
    auto a = OpenReadStream("incbin::url/shoot.ogg");
    auto b = OpenReadStream("incbin::url/shoot.ogg");
    a->Seek(4);
    a->Close();
    EXPECT_EQ(b->ReadByte(), 'O');
    EXPECT_EQ(a->ReadByte(), '-');
}

TEST(OpenStream, FactoryChainNewestFirst) {
    StartStreamModules();
    TRecordingFactory older("dup");
    TRecordingFactory newer("dup");
    EXPECT_NE(OpenReadStream("DUP::Some/Path::x"), nullptr);
    ASSERT_EQ(newer.calls.size(), 1u);
    EXPECT_TRUE(older.calls.empty());  // not asked once the newer one answered
    EXPECT_EQ(newer.calls[0].url, "DUP::Some/Path::x");
    EXPECT_EQ(newer.calls[0].proto, "dup");
    EXPECT_EQ(newer.calls[0].path, "Some/Path::x");  // after the first "::", unchanged

    // Declining passes the question on; only A-Z are lower-cased.
    EXPECT_EQ(OpenStream("\xC3\x84Q::p", 0, 1), nullptr);
    ASSERT_EQ(older.calls.size(), 1u);
    EXPECT_EQ(older.calls[0].proto, "\xC3\x84q");
    EXPECT_EQ(older.calls[0].writeable, 1);

    // A plain file name never reaches the chain; an empty URL does, with empty parts.
    EXPECT_EQ(OpenReadStream("no-such-file-anywhere"), nullptr);
    EXPECT_EQ(newer.calls.size(), 2u);
    EXPECT_EQ(OpenReadStream(""), nullptr);
    EXPECT_EQ(newer.calls.back().proto + newer.calls.back().path, "");
}

TEST(OpenStream, FactoriesLeaveTheChainAndStartingTwiceAddsNone) {
    StartStreamModules();
    {
        TRecordingFactory gone("gone");
        EXPECT_NE(OpenReadStream("gone::x"), nullptr);
    }
    EXPECT_EQ(OpenReadStream("gone::x"), nullptr);

    static const char data[] = "abc";
    ASSERT_EQ(RegisterEmbeddedFile("url/twice.bin", data, 3), 1);
    TRecordingFactory watcher("none");
    StartStreamModules();  // a second "incbin" factory would answer before the watcher
    EXPECT_NE(OpenReadStream("incbin::url/twice.bin"), nullptr);
    EXPECT_EQ(watcher.calls.size(), 1u);
}

TEST(OpenStream, AssemblerEmbeddedFiles) {
    StartStreamModules();
    ASSERT_EQ(RegisterIncbinFile("tests/data/embed_sample.txt", zandor_test_embed_sample_start,
                                 zandor_test_embed_sample_end),
              1);
    ASSERT_EQ(RegisterIncbinFile("tests/data/embed_empty.bin", zandor_test_embed_empty_start,
                                 zandor_test_embed_empty_end),
              1);
    auto sample = OpenReadStream("incbin::tests/data/embed_sample.txt");
    ASSERT_NE(sample, nullptr);
    const fs::path on_disk = fs::path(ZANDOR_SOURCE_DIR) / "tests/data/embed_sample.txt";
    EXPECT_EQ(Slurp(sample), FileBytes(on_disk));
    sample->Seek(0);
    for (const char* line :
         {"first line", "second", "", "", "after zero", "last line without newline"}) {
        EXPECT_EQ(sample->ReadLine(), line);
    }
    auto empty = OpenReadStream("incbin::tests/data/embed_empty.bin");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->Eof(), 1);
}

TEST(CStream, PlainFiles) {
    const fs::path dir = fs::temp_directory_path() / ("zandor_stream_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "values.bin").string();
    auto out = OpenStream(path, 0, 1);
    ASSERT_NE(out, nullptr);
    out->WriteInt(-123456);
    out->WriteLine("line");
    EXPECT_EQ(out->Size(), 10);
    out->Close();
    unsigned char buf[1];
    EXPECT_EQ(out->Write(buf, 1), 0);  // closed: nothing happens

    // Read and write on one handle, turning direction without an explicit seek.
    auto both = OpenStream(path, 1, 1);
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->ReadInt(), -123456);
    both->WriteString("LI");
    EXPECT_EQ(both->ReadLine(), "ne");
    both->Close();
    EXPECT_EQ(FileBytes(path).substr(4), "LIne\r\n");

    // The single-colon form is an ordinary file name.
    std::ofstream(dir / "incbin:sample") << "plain";
    auto single = OpenReadStream((dir / "incbin:sample").string());
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(Slurp(single), "plain");

    EXPECT_EQ(OpenReadStream((dir / "missing").string()), nullptr);
    EXPECT_EQ(OpenStream((dir / "missing").string(), 1, 1), nullptr);  // needs the file
    EXPECT_EQ(OpenReadStream(dir.string()), nullptr);                  // a directory
    EXPECT_EQ(OpenStream(path, 0, 0), nullptr);
    fs::remove_all(dir);
}

}  // namespace
