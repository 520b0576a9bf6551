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

// Records what the chain asked and answers only for its own protocol word.
class TRecordingFactory : public TStreamFactory {
  public:
    explicit TRecordingFactory(std::string accepts) : accepts_(std::move(accepts)) {}
    std::shared_ptr<TStream> CreateStream(const std::string& url, const std::string& proto,
                                          const std::string& path, int readable,
                                          int writeable) override {
        calls.push_back({url, proto, path, readable, writeable});
        if (proto != accepts_) return nullptr;
        return TRamStream::Create(static_cast<const void*>(path.data()),
                                  static_cast<std::int64_t>(path.size()), readable, 0);
    }
    struct TCall {
        std::string url, proto, path;
        int readable, writeable;
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

// A directory of its own for each test that touches real files.
class TTempDir {
  public:
    TTempDir() {
        static int counter = 0;
        path_ = fs::temp_directory_path() /
                ("zandor_stream_" + std::to_string(getpid()) + "_" + std::to_string(++counter));
        fs::create_directories(path_);
    }
    ~TTempDir() { fs::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

TEST(EmbeddedFiles, FirstRegistrationWins) {
    static const unsigned char p[4] = {1, 2, 3, 4};
    static const unsigned char q[8] = {};
    EXPECT_EQ(RegisterEmbeddedFile("registry/a", p, 4), 1);
    EXPECT_EQ(RegisterEmbeddedFile("registry/a", q, 8), 0);
    EXPECT_EQ(EmbeddedFileSize("registry/a"), 4);
    EXPECT_EQ(EmbeddedFileData("registry/a"), p);

    // Exact keys: no case folding, no path normalisation.
    for (const char* other : {"registry/A", "Registry/a", "./registry/a", "registry\\a",
                              "registry/a ", "registry/", ""}) {
        EXPECT_EQ(EmbeddedFileData(other), nullptr) << other;
        EXPECT_EQ(EmbeddedFileSize(other), 0) << other;
    }
    // A negative length is refused and does not claim the name.
    EXPECT_EQ(RegisterEmbeddedFile("registry/negative", p, -1), 0);
    EXPECT_EQ(EmbeddedFileData("registry/negative"), nullptr);
    EXPECT_EQ(RegisterEmbeddedFile("registry/negative", p, 2), 1);
}

TEST(OpenStream, IncbinUrls) {
    StartStreamModules();
    static const char shoot[] = "OggS-pretend";
    ASSERT_EQ(RegisterEmbeddedFile("url/sound/shoot.ogg", shoot, 12), 1);
    const struct {
        const char* url;
        int readable, writeable;
        bool opens;
    } cases[] = {
        {"incbin::url/sound/shoot.ogg", 1, 0, true},
        {"INCBIN::url/sound/shoot.ogg", 1, 0, true},  // the protocol ignores case
        {"InCbIn::url/sound/shoot.ogg", 1, 0, true},
        {"incbin::url/sound/shoot.ogg", 0, 0, true},
        {"incbin::Url/sound/shoot.ogg", 1, 0, false},  // the path does not
        {"incbin::", 1, 0, false},
        {"incbin::url/sound/shoot.ogg", 1, 1, false},  // embedded files are never written
        {"incbin::url/sound/shoot.ogg", 0, 1, false},
        {"incbin:url/sound/shoot.ogg", 1, 0, false},  // a plain (missing) file name instead
        {"incbin ::url/sound/shoot.ogg", 1, 0, false},
        {"nosuchproto::url/sound/shoot.ogg", 1, 0, false},
        {"", 1, 0, false},
    };
    for (const auto& c : cases) {
        auto stream = OpenStream(c.url, c.readable, c.writeable);
        EXPECT_EQ(stream != nullptr, c.opens) << c.url << " " << c.readable << c.writeable;
        if (stream && c.readable) {
            EXPECT_EQ(Slurp(stream), std::string(shoot, 12));
        }
    }
    EXPECT_NE(OpenReadStream(std::string("incbin::url/sound/shoot.ogg")), nullptr);
}

TEST(OpenStream, EmbeddedStreamsAreIndependent) {
    StartStreamModules();
    static const char data[] = "0123456789";
    ASSERT_EQ(RegisterEmbeddedFile("url/ten.bin", data, 10), 1);
    auto a = OpenReadStream("incbin::url/ten.bin");
    auto b = OpenReadStream("incbin::url/ten.bin");
    ASSERT_TRUE(a && b);
    a->Seek(8);
    EXPECT_EQ(b->ReadByte(), '0');
    a->Close();
    EXPECT_EQ(a->ReadByte(), '8');  // closing leaves the embedded bytes alone
    EXPECT_EQ(b->ReadByte(), '1');
    EXPECT_EQ(std::string(data), "0123456789");
}

TEST(OpenStream, FactoryChainNewestFirst) {
    StartStreamModules();
    TRecordingFactory older("dup");
    TRecordingFactory newer("dup");
    auto stream = OpenReadStream("DUP::Some/Path::x");
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(newer.calls.size(), 1u);
    EXPECT_TRUE(older.calls.empty());  // never asked once the newer one answered
    const auto& call = newer.calls[0];
    EXPECT_EQ(call.url, "DUP::Some/Path::x");
    EXPECT_EQ(call.proto, "dup");          // lower-cased
    EXPECT_EQ(call.path, "Some/Path::x");  // after the first "::", unchanged
    EXPECT_EQ(call.readable, 1);
    EXPECT_EQ(call.writeable, 0);

    // Declining passes the question down the chain; only A-Z are lower-cased.
    EXPECT_EQ(OpenStream("\xC3\x84Q::p", 0, 1), nullptr);
    ASSERT_EQ(newer.calls.size(), 2u);
    ASSERT_EQ(older.calls.size(), 1u);
    EXPECT_EQ(older.calls[0].proto, "\xC3\x84q");
    EXPECT_EQ(older.calls[0].writeable, 1);

    // An empty URL still asks the chain, with an empty protocol and path.
    EXPECT_EQ(OpenReadStream(""), nullptr);
    EXPECT_EQ(newer.calls.back().proto, "");
    EXPECT_EQ(newer.calls.back().path, "");

    // A plain file name never reaches the chain.
    const std::size_t asked = newer.calls.size();
    EXPECT_EQ(OpenReadStream("no-such-file-anywhere"), nullptr);
    EXPECT_EQ(newer.calls.size(), asked);
}

TEST(OpenStream, DestroyedFactoriesLeaveTheChain) {
    StartStreamModules();
    {
        TRecordingFactory gone("gone");
        EXPECT_NE(OpenReadStream("gone::x"), nullptr);
    }
    TRecordingFactory after("other");
    EXPECT_EQ(OpenReadStream("gone::x"), nullptr);
    EXPECT_EQ(after.calls.size(), 1u);
}

TEST(OpenStream, StartingTwiceAddsNoSecondIncbinFactory) {
    StartStreamModules();
    static const char data[] = "abc";
    ASSERT_EQ(RegisterEmbeddedFile("url/twice.bin", data, 3), 1);
    TRecordingFactory watcher("none");
    StartStreamModules();
    // A factory made by the second start would be asked before the watcher.
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

    const std::string on_disk =
        FileBytes(fs::path(ZANDOR_SOURCE_DIR) / "tests/data/embed_sample.txt");
    ASSERT_FALSE(on_disk.empty());
    auto sample = OpenReadStream("incbin::tests/data/embed_sample.txt");
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(Slurp(sample), on_disk);
    sample->Seek(0);
    for (const char* line :
         {"first line", "second", "", "", "after zero", "last line without newline"}) {
        EXPECT_EQ(sample->ReadLine(), line);
    }
    EXPECT_EQ(sample->Eof(), 1);

    auto empty = OpenReadStream("incbin::tests/data/embed_empty.bin");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->Size(), 0);
    EXPECT_EQ(empty->Eof(), 1);
}

TEST(CStream, PlainFilesRoundTrip) {
    TTempDir dir;
    const std::string path = dir.File("values.bin");
    {
        auto out = OpenStream(path, 0, 1);
        ASSERT_NE(out, nullptr);
        out->WriteInt(-123456);
        out->WriteLine("line");
        out->WriteDouble(0.25);
        EXPECT_EQ(out->Size(), 4 + 6 + 8);
        out->Close();
        EXPECT_EQ(out->Pos(), -1);
        unsigned char buf[1];
        EXPECT_EQ(out->Write(buf, 1), 0);  // closed: no crash, nothing written
    }
    auto in = OpenReadStream(path);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->Size(), 18);
    EXPECT_EQ(in->ReadInt(), -123456);
    EXPECT_EQ(in->ReadLine(), "line");
    EXPECT_EQ(in->ReadDouble(), 0.25);
    EXPECT_EQ(in->Eof(), 1);
    EXPECT_EQ(in->Seek(4), 4);
    EXPECT_EQ(in->ReadString(4), "line");

    // Read and write on one handle, turning direction without an explicit seek.
    auto both = OpenStream(path, 1, 1);
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->ReadInt(), -123456);
    both->WriteString("LI");
    EXPECT_EQ(both->ReadString(2), "ne");
    both->Close();
    EXPECT_EQ(FileBytes(path).substr(4, 4), "LIne");
}

TEST(CStream, UnopenableFilesGiveNull) {
    TTempDir dir;
    std::ofstream(dir.File("incbin:sample")) << "plain";
    // The single-colon form is an ordinary file name.
    auto single = OpenReadStream(dir.File("incbin:sample"));
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(Slurp(single), "plain");

    EXPECT_EQ(OpenReadStream(dir.File("missing")), nullptr);
    EXPECT_EQ(OpenStream(dir.File("missing"), 1, 1), nullptr);  // read-write needs the file
    EXPECT_EQ(OpenReadStream(dir.File("")), nullptr);           // the directory itself
    EXPECT_EQ(OpenStream(dir.File("incbin:sample"), 0, 0), nullptr);
    EXPECT_EQ(TCStream::CreateWithCStream(nullptr, 1, 0), nullptr);
}

}  // namespace
