// Protects OpenStream's URL dispatch and the streams it hands out: any URL ("incbin::" names,
// unknown or empty protocols, "::" at either end, plain file names) must open the right thing
// or nothing, and reading, seeking and typed reads past either end must stay inside the bytes.
// Streams over embedded files are checked byte for byte against the registered data, and
// writing through one must be refused (the data is read-only memory).
//
// Plain names are confined to a scratch directory of our own: names with a slash or ".." are
// not tried, and plain files are only ever opened for reading, so no input can touch a file
// elsewhere.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/system/stream.h"
#include "fuzz/fuzz_check.h"

namespace {

const char kText[] = "first line\r\nsecond\n\nthird\0after a zero";
const unsigned char kBinary[] = {0x89, 'P',  'N',  'G',  0x0D, 0x0A, 0x1A, 0x0A, 0xFF, 0x00,
                                 0x7F, 0x80, 0x01, 0x02, 0x03, 0x04, 0xDE, 0xAD, 0xBE, 0xEF};
const char kPlain[] = "a plain file\nin the scratch directory\n";

struct Known {
    const char* name;
    const void* data;
    int size;
};
// Odd names on purpose: empty, with "::" inside, with a path, differing only in case.
const Known kEmbedded[] = {
    {"text.txt", kText, static_cast<int>(sizeof kText - 1)},
    {"Data/level.bin", kBinary, static_cast<int>(sizeof kBinary)},
    {"DATA/LEVEL.BIN", kText, 5},
    {"empty", kText, 0},
    {"", kBinary, 3},
    {"odd::name", kPlain, static_cast<int>(sizeof kPlain - 1)},
};

std::string scratch_dir;

void RemoveScratch() {
    std::error_code ignored;
    if (!scratch_dir.empty()) std::filesystem::remove_all(scratch_dir, ignored);
}

// The bytes the stream for `url` must serve, or false when the outcome is not modelled.
bool Expected(const std::string& url, int readable, int writeable, bool& opens,
              std::string& bytes) {
    const std::size_t sep = url.find("::");
    if (sep == std::string::npos) {
        // A plain name: fopen sees it up to the first zero byte.
        const std::string visible(url.c_str());
        if (visible != "plain.txt" || writeable) return false;
        opens = readable != 0;
        bytes.assign(kPlain, sizeof kPlain - 1);
        return true;
    }
    std::string proto = url.substr(0, sep);
    for (char& c : proto) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string path = url.substr(sep + 2);
    opens = false;
    if (proto != "incbin" || writeable) return true;
    for (const Known& k : kEmbedded) {
        if (path == k.name) {
            opens = true;
            bytes.assign(static_cast<const char*>(k.data), static_cast<std::size_t>(k.size));
            return true;
        }
    }
    return true;
}

// Runs the remaining input as operations on `stream`. With `model`, the stream is an
// embedded file and every result is compared with the model's position and bytes.
void Exercise(FuzzedDataProvider& in, TStream& stream, const std::string* model, bool readable) {
    std::int64_t pos = 0;
    const std::int64_t size = model ? static_cast<std::int64_t>(model->size()) : 0;
    std::vector<unsigned char> buf;
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        const int op = in.ConsumeIntegralInRange(0, 9);
        const std::int64_t n = in.ConsumeIntegralInRange<std::int64_t>(-8, 300);
        try {
            switch (op) {
                case 0: {  // raw read
                    buf.assign(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)), 0);
                    const std::int64_t got = stream.Read(buf.data(), n);
                    FUZZ_CHECK(got >= 0 && got <= std::max<std::int64_t>(n, 0));
                    if (model) {
                        const std::int64_t want =
                            readable ? std::clamp<std::int64_t>(std::min(n, size - pos), 0,
                                                                n > 0 ? n : 0)
                                     : 0;
                        FUZZ_CHECK(got == want);
                        FUZZ_CHECK(got == 0 || std::memcmp(buf.data(), model->data() + pos,
                                                           static_cast<std::size_t>(got)) == 0);
                        pos += got;
                    }
                    break;
                }
                case 1: {  // seek anywhere, including before the start and past the end
                    const std::int64_t target =
                        n * in.ConsumeIntegralInRange<std::int64_t>(1, 1000);
                    const std::int64_t now = stream.Seek(target);
                    if (model) {
                        pos = std::clamp<std::int64_t>(target, 0, size);
                        FUZZ_CHECK(now == pos);
                    }
                    break;
                }
                case 2: {  // whole-buffer read: short streams pad with zeros
                    if (n <= 0) break;
                    buf.assign(static_cast<std::size_t>(n), 0xAA);
                    FUZZ_CHECK(stream.ReadBytes(buf.data(), n) == n);
                    if (model && readable) {
                        const std::int64_t real = std::min(n, size - pos);
                        FUZZ_CHECK(std::memcmp(buf.data(), model->data() + pos,
                                               static_cast<std::size_t>(real)) == 0);
                        for (std::int64_t i = real; i < n; ++i) FUZZ_CHECK(buf[i] == 0);
                        pos += real;
                    }
                    break;
                }
                case 3:
                    FUZZ_CHECK(stream.SkipBytes(n) == n || n < 0);
                    if (model && readable && n > 0) pos = std::min(pos + n, size);
                    break;
                case 4: {
                    const std::string line = stream.ReadLine();
                    FUZZ_CHECK(line.find('\n') == std::string::npos);
                    FUZZ_CHECK(line.find('\r') == std::string::npos);
                    if (model) pos = stream.Pos();
                    break;
                }
                case 5: {
                    if (n < 0) break;
                    const std::string text = stream.ReadString(n);
                    FUZZ_CHECK(static_cast<std::int64_t>(text.size()) == n);
                    if (model && readable) pos = std::min(pos + n, size);
                    break;
                }
                case 6: {
                    const int b = stream.ReadByte();
                    FUZZ_CHECK(b >= 0 && b <= 255);
                    const int s = stream.ReadShort();
                    FUZZ_CHECK(s >= 0 && s <= 65535);
                    (void)stream.ReadInt();
                    (void)stream.ReadLong();
                    (void)stream.ReadFloat();
                    (void)stream.ReadDouble();
                    if (model && readable) pos = std::min<std::int64_t>(pos + 27, size);
                    break;
                }
                case 7: {  // writing through a read-only stream
                    const unsigned char junk[8] = {1, 2, 3, 4, 5, 6, 7, 8};
                    const std::int64_t put = stream.Write(junk, std::min<std::int64_t>(n, 8));
                    if (model) FUZZ_CHECK(put == 0);
                    break;
                }
                case 8:
                    if (model) {
                        FUZZ_CHECK(stream.Pos() == pos);
                        FUZZ_CHECK(stream.Size() == size);
                        FUZZ_CHECK(stream.Eof() == (pos == size ? 1 : 0));
                    } else {
                        (void)stream.Pos();
                        (void)stream.Size();
                        (void)stream.Eof();
                    }
                    break;
                default: {
                    std::int64_t left = std::max<std::int64_t>(n, 1) * 64;
                    while (left > 0 && !stream.Eof()) {
                        unsigned char chunk[256];
                        const std::int64_t got =
                            stream.Read(chunk, std::min<std::int64_t>(left, 256));
                        if (got <= 0) break;
                        left -= got;
                        if (model) pos += got;
                    }
                    break;
                }
            }
        } catch (const TStreamException&) {
            // Documented refusals: a stream that stops making progress before its end.
            FUZZ_CHECK(!model || !readable);
            if (model) pos = stream.Pos();
        }
        if (model) FUZZ_CHECK(stream.Pos() == pos && pos >= 0 && pos <= size);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartStreamModules();
    for (const Known& k : kEmbedded) RegisterEmbeddedFile(k.name, k.data, k.size);
    char pattern[] = "/tmp/zandor-fuzz-XXXXXX";
    if (const char* dir = mkdtemp(pattern)) {
        scratch_dir = dir;
        std::filesystem::create_directory(scratch_dir + "/folder");
        if (std::FILE* f = std::fopen((scratch_dir + "/plain.txt").c_str(), "wb")) {
            std::fwrite(kPlain, 1, sizeof kPlain - 1, f);
            std::fclose(f);
        }
        if (chdir(dir) == 0) std::atexit(RemoveScratch);
    }
    if (scratch_dir.empty()) {
        std::fprintf(stderr, "no scratch directory\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int flags = in.ConsumeIntegral<std::uint8_t>();
    int readable = flags & 1;
    int writeable = (flags >> 1) & 1;
    const std::string url = in.ConsumeRandomLengthString(96);
    const bool plain = url.find("::") == std::string::npos;
    if (plain) {
        // Stay inside the scratch directory and never create, truncate or write a file.
        const std::string visible(url.c_str());
        if (visible.find('/') != std::string::npos || visible.find("..") != std::string::npos) {
            return 0;
        }
        readable = 1;
        writeable = 0;
    }
    bool opens = false;
    std::string bytes;
    const bool modelled = Expected(url, readable, writeable, opens, bytes);

    std::shared_ptr<TStream> stream = OpenStream(url, readable, writeable);
    if (modelled) FUZZ_CHECK((stream != nullptr) == opens);
    if (!stream) return 0;
    // Half the time through the wrapper every loader may be handed instead.
    std::shared_ptr<TStream> outer = stream;
    if (flags & 4) {
        outer = OpenStream(stream, readable, writeable);
        FUZZ_CHECK(outer != nullptr);
    }
    if (modelled && plain) {
        // The one plain file there is: its bytes, then the same operations without a model
        // (the C library's seek rules differ from memory streams past the end).
        FUZZ_CHECK(outer->ReadString(static_cast<std::int64_t>(bytes.size())) == bytes);
        FUZZ_CHECK(outer->Eof() == 1);
        FUZZ_CHECK(outer->Seek(0) == 0);
    }
    Exercise(in, *outer, modelled && !plain ? &bytes : nullptr, readable != 0);
    outer->Close();
    if (outer != stream) {
        // Closing the wrapper leaves the wrapped stream usable.
        (void)stream->Pos();
        stream->Close();
    }
    return 0;
}
