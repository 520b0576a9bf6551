// The defaults of the raw stream operations and the whole-buffer and typed operations that
// every stream gets from Read and Write.
#include "engine/system/stream.h"

#include <bit>
#include <cstring>

#include "engine/system/runtime_error.h"

int TIO::Eof() {
    return Pos() == Size() ? 1 : 0;
}
std::int64_t TIO::Pos() {
    return -1;
}
std::int64_t TIO::Size() {
    return 0;
}
std::int64_t TIO::Seek(std::int64_t) {
    return -1;
}
void TIO::Flush() {}
void TIO::Close() {}
std::int64_t TIO::Read(void*, std::int64_t) {
    RuntimeError("Stream is not readable");
}
std::int64_t TIO::Write(const void*, std::int64_t) {
    RuntimeError("Stream is not writeable");
}

namespace {

// Little-endian packing, independent of the host's byte order.
template <typename U>
U ReadLittle(TStream& stream) {
    unsigned char bytes[sizeof(U)];
    stream.ReadBytes(bytes, sizeof(U));
    U value = 0;
    for (std::size_t i = sizeof(U); i-- > 0;) value = static_cast<U>((value << 8) | bytes[i]);
    return value;
}

template <typename U>
void WriteLittle(TStream& stream, U value) {
    unsigned char bytes[sizeof(U)];
    for (std::size_t i = 0; i < sizeof(U); ++i) {
        bytes[i] = static_cast<unsigned char>(value & 0xFF);
        value = static_cast<U>(value >> 8);
    }
    stream.WriteBytes(bytes, sizeof(U));
}

}  // namespace

std::int64_t TStream::ReadBytes(void* buf, std::int64_t count) {
    auto* out = static_cast<unsigned char*>(buf);
    std::int64_t left = count;
    while (left > 0 && !Eof()) {
        const std::int64_t got = Read(out, left);
        if (got <= 0) throw TStreamReadException();
        out += got;
        left -= got;
    }
    // The caller is told it got `count` bytes; make the part the stream never supplied
    // defined rather than whatever the buffer held before.
    if (left > 0) std::memset(out, 0, static_cast<std::size_t>(left));
    return count;
}

std::int64_t TStream::WriteBytes(const void* buf, std::int64_t count) {
    const auto* in = static_cast<const unsigned char*>(buf);
    std::int64_t left = count;
    while (left > 0) {
        const std::int64_t put = Write(in, left);
        if (put <= 0) throw TStreamWriteException();
        in += put;
        left -= put;
    }
    return count;
}

std::int64_t TStream::SkipBytes(std::int64_t count) {
    unsigned char scratch[1024];
    std::int64_t left = count;
    while (left > 0 && !Eof()) {
        const std::int64_t chunk = left < 1024 ? left : 1024;
        const std::int64_t got = Read(scratch, chunk);
        if (got <= 0) throw TStreamReadException();
        left -= got;
    }
    return count;
}

int TStream::ReadByte() {
    return ReadLittle<std::uint8_t>(*this);
}
void TStream::WriteByte(int n) {
    WriteLittle(*this, static_cast<std::uint8_t>(n));
}
int TStream::ReadShort() {
    return ReadLittle<std::uint16_t>(*this);
}
void TStream::WriteShort(int n) {
    WriteLittle(*this, static_cast<std::uint16_t>(n));
}
int TStream::ReadInt() {
    return static_cast<int>(ReadLittle<std::uint32_t>(*this));
}
void TStream::WriteInt(int n) {
    WriteLittle(*this, static_cast<std::uint32_t>(n));
}
std::int64_t TStream::ReadLong() {
    return static_cast<std::int64_t>(ReadLittle<std::uint64_t>(*this));
}
void TStream::WriteLong(std::int64_t n) {
    WriteLittle(*this, static_cast<std::uint64_t>(n));
}
// The compiler builtin rather than std::bit_cast, which the browser toolchain's library lacks.
float TStream::ReadFloat() {
    return __builtin_bit_cast(float, ReadLittle<std::uint32_t>(*this));
}
void TStream::WriteFloat(float f) {
    WriteLittle(*this, __builtin_bit_cast(std::uint32_t, f));
}
double TStream::ReadDouble() {
    return __builtin_bit_cast(double, ReadLittle<std::uint64_t>(*this));
}
void TStream::WriteDouble(double d) {
    WriteLittle(*this, __builtin_bit_cast(std::uint64_t, d));
}

std::string TStream::ReadLine() {
    std::string line;
    unsigned char c = 0;
    while (Read(&c, 1) == 1) {
        if (c == 0 || c == '\n') break;
        if (c != '\r') line.push_back(static_cast<char>(c));
    }
    return line;
}

void TStream::WriteLine(const std::string& text) {
    WriteString(text);
    WriteBytes("\r\n", 2);
}

std::string TStream::ReadString(std::int64_t count) {
    if (count <= 0) return {};
    std::string text(static_cast<std::size_t>(count), '\0');
    ReadBytes(text.data(), count);
    return text;
}

void TStream::WriteString(const std::string& text) {
    WriteBytes(text.data(), static_cast<std::int64_t>(text.size()));
}
