// Streams over memory the stream does not own, and the "incbin" protocol built on them.
#include "engine/system/ram_stream.h"

#include <cstring>

std::shared_ptr<TRamStream> TRamStream::Create(void* buf, std::int64_t size, int readable,
                                               int writeable) {
    auto stream = Create(static_cast<const void*>(buf), size, readable, 0);
    stream->write_buf_ = static_cast<unsigned char*>(buf);
    stream->write_ = writeable ? 1 : 0;
    return stream;
}

std::shared_ptr<TRamStream> TRamStream::Create(const void* buf, std::int64_t size, int readable,
                                               int) {
    auto stream = std::make_shared<TRamStream>();
    stream->read_buf_ = static_cast<const unsigned char*>(buf);
    stream->size_ = (buf && size > 0) ? size : 0;
    stream->read_ = readable ? 1 : 0;
    return stream;
}

std::int64_t TRamStream::Pos() {
    return pos_;
}
std::int64_t TRamStream::Size() {
    return size_;
}

std::int64_t TRamStream::Seek(std::int64_t pos) {
    pos_ = pos < 0 ? 0 : (pos > size_ ? size_ : pos);
    return pos_;
}

std::int64_t TRamStream::Read(void* buf, std::int64_t count) {
    if (count <= 0 || !read_) return 0;
    if (count > size_ - pos_) count = size_ - pos_;
    if (count > 0) std::memcpy(buf, read_buf_ + pos_, static_cast<std::size_t>(count));
    pos_ += count;
    return count;
}

std::int64_t TRamStream::Write(const void* buf, std::int64_t count) {
    if (count <= 0 || !write_ || !write_buf_) return 0;
    if (count > size_ - pos_) count = size_ - pos_;
    if (count > 0) std::memcpy(write_buf_ + pos_, buf, static_cast<std::size_t>(count));
    pos_ += count;
    return count;
}

std::shared_ptr<TStream> TRamStreamFactory::CreateStream(const std::string&,
                                                         const std::string& proto,
                                                         const std::string& path, int readable,
                                                         int writeable) {
    if (proto != "incbin" || writeable) return nullptr;
    const void* data = EmbeddedFileData(path);
    if (!data) return nullptr;
    return TRamStream::Create(data, EmbeddedFileSize(path), readable, 0);
}
