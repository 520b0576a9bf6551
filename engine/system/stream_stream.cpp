// A second handle on an existing stream: what OpenStream returns when given a stream.
#include "engine/system/stream.h"

std::shared_ptr<TStreamStream> TStreamStream::Create(std::shared_ptr<TStream> stream) {
    auto wrapper = std::make_shared<TStreamStream>();
    wrapper->stream_ = std::move(stream);
    return wrapper;
}

// Once detached the wrapper behaves as a stream with no data.
int TStreamStream::Eof() {
    return stream_ ? stream_->Eof() : 1;
}
std::int64_t TStreamStream::Pos() {
    return stream_ ? stream_->Pos() : -1;
}
std::int64_t TStreamStream::Size() {
    return stream_ ? stream_->Size() : 0;
}
std::int64_t TStreamStream::Seek(std::int64_t pos) {
    return stream_ ? stream_->Seek(pos) : -1;
}
void TStreamStream::Flush() {
    if (stream_) stream_->Flush();
}
void TStreamStream::Close() {
    stream_.reset();
}
std::int64_t TStreamStream::Read(void* buf, std::int64_t count) {
    return stream_ ? stream_->Read(buf, count) : 0;
}
std::int64_t TStreamStream::Write(const void* buf, std::int64_t count) {
    return stream_ ? stream_->Write(buf, count) : 0;
}
