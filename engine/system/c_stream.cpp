// Plain files through the C library: what a URL without "::" opens.
#include <sys/stat.h>

#include <cstdio>

#include "engine/system/stream.h"

namespace {

// The length of an open file, leaving its position where it was.
std::int64_t FileLength(std::FILE* file) {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0) return 0;
    return static_cast<std::int64_t>(info.st_size);
}

}  // namespace

std::shared_ptr<TCStream> TCStream::OpenFile(const std::string& path, int readable, int writeable) {
    const char* mode = nullptr;
    if (readable && writeable) {
        mode = "r+b";
    } else if (writeable) {
        mode = "wb";
    } else if (readable) {
        mode = "rb";
    } else {
        return nullptr;
    }
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file) return nullptr;
    // fopen accepts a directory for reading on Linux, but nothing can be read from it.
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return CreateWithCStream(file, readable, writeable);
}

std::shared_ptr<TCStream> TCStream::CreateWithCStream(std::FILE* file, int readable,
                                                      int writeable) {
    if (!file) return nullptr;
    auto stream = std::make_shared<TCStream>();
    stream->file_ = file;
    const long at = std::ftell(file);
    stream->pos_ = at < 0 ? 0 : at;
    stream->size_ = FileLength(file);
    stream->read_ = readable ? 1 : 0;
    stream->write_ = writeable ? 1 : 0;
    return stream;
}

TCStream::~TCStream() {
    Close();
}

std::int64_t TCStream::Pos() {
    return file_ ? pos_ : -1;
}
std::int64_t TCStream::Size() {
    return file_ ? size_ : 0;
}

std::int64_t TCStream::Seek(std::int64_t pos) {
    if (!file_) return -1;
    if (std::fseek(file_, static_cast<long>(pos), SEEK_SET) != 0) return -1;
    last_ = 0;
    pos_ = std::ftell(file_);
    return pos_;
}

void TCStream::Flush() {
    if (file_) std::fflush(file_);
}

void TCStream::Close() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    pos_ = 0;
    size_ = 0;
}

// The C library needs a positioning call between a write and a following read (and the
// other way round) on a file open for both.
void TCStream::Turn(int direction) {
    if (last_ != 0 && last_ != direction) std::fseek(file_, 0, SEEK_CUR);
    last_ = direction;
}

std::int64_t TCStream::Read(void* buf, std::int64_t count) {
    if (!file_ || !read_ || count <= 0) return 0;
    Turn(1);
    const std::size_t got = std::fread(buf, 1, static_cast<std::size_t>(count), file_);
    pos_ += static_cast<std::int64_t>(got);
    return static_cast<std::int64_t>(got);
}

std::int64_t TCStream::Write(const void* buf, std::int64_t count) {
    if (!file_ || !write_ || count <= 0) return 0;
    Turn(2);
    const std::size_t put = std::fwrite(buf, 1, static_cast<std::size_t>(count), file_);
    pos_ += static_cast<std::int64_t>(put);
    if (pos_ > size_) size_ = pos_;
    return static_cast<std::int64_t>(put);
}
