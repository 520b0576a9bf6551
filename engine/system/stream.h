// Streams: the byte-source abstraction every loader reads through, the URL opener that picks
// a stream for "proto::path" names or plain file paths, and the registry of files embedded in
// the executable that the "incbin" protocol serves.
//
// Typed reads and writes are little-endian whatever the host. Openers say "no" by returning
// null; only ReadBytes/SkipBytes/WriteBytes raise, with TStreamReadException or
// TStreamWriteException, when the underlying stream stops making progress before its end.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

// Base of all streams: the raw operations a concrete stream overrides.
class TIO {
  public:
    virtual ~TIO() = default;

    // True when the position has reached the size.
    virtual int Eof();
    // Current byte offset, or -1 when the stream has none.
    virtual std::int64_t Pos();
    // Byte length, or 0 when unknown.
    virtual std::int64_t Size();
    // Moves to `pos`; returns the new position, or -1 when the stream cannot seek.
    virtual std::int64_t Seek(std::int64_t pos);
    virtual void Flush();
    virtual void Close();
    // Reads up to `count` bytes into `buf`; returns how many were read (0 at the end).
    virtual std::int64_t Read(void* buf, std::int64_t count);
    // Writes up to `count` bytes from `buf`; returns how many were written.
    virtual std::int64_t Write(const void* buf, std::int64_t count);
};

class TStreamException : public std::runtime_error {
  public:
    explicit TStreamException(const std::string& text) : std::runtime_error(text) {}
};
class TStreamReadException : public TStreamException {
  public:
    TStreamReadException() : TStreamException("Error reading from stream") {}
};
class TStreamWriteException : public TStreamException {
  public:
    TStreamWriteException() : TStreamException("Error writing to stream") {}
};

// A stream with whole-buffer and typed operations built on Read/Write.
class TStream : public TIO {
  public:
    // Reads exactly `count` bytes unless the stream ends first. Bytes the stream could not
    // supply are set to zero, so a truncated file never hands stale memory to a decoder.
    // Returns `count`. Raises TStreamReadException when Read makes no progress before the end.
    virtual std::int64_t ReadBytes(void* buf, std::int64_t count);
    // Writes all `count` bytes; raises TStreamWriteException when Write makes no progress.
    virtual std::int64_t WriteBytes(const void* buf, std::int64_t count);
    // Reads and discards up to `count` bytes (stops at the end); returns `count`.
    virtual std::int64_t SkipBytes(std::int64_t count);

    // Little-endian typed values. Bytes past the end of the stream read as zero.
    virtual int ReadByte();  // 0..255
    virtual void WriteByte(int n);
    virtual int ReadShort();  // 0..65535
    virtual void WriteShort(int n);
    virtual int ReadInt();
    virtual void WriteInt(int n);
    virtual std::int64_t ReadLong();
    virtual void WriteLong(std::int64_t n);
    virtual float ReadFloat();
    virtual void WriteFloat(float f);
    virtual double ReadDouble();
    virtual void WriteDouble(double d);

    // Bytes up to a line feed, a 0 byte or the end; carriage returns are dropped.
    virtual std::string ReadLine();
    // The bytes of `text`, then carriage return and line feed.
    virtual void WriteLine(const std::string& text);
    // `count` bytes as a string (zeros past the end, as ReadBytes).
    virtual std::string ReadString(std::int64_t count);
    virtual void WriteString(const std::string& text);
};

// Wraps another stream so it can be handed out under a separate lifetime; closing the
// wrapper only detaches it and leaves the wrapped stream open.
class TStreamStream : public TStream {
  public:
    static std::shared_ptr<TStreamStream> Create(std::shared_ptr<TStream> stream);

    int Eof() override;
    std::int64_t Pos() override;
    std::int64_t Size() override;
    std::int64_t Seek(std::int64_t pos) override;
    void Flush() override;
    void Close() override;
    std::int64_t Read(void* buf, std::int64_t count) override;
    std::int64_t Write(const void* buf, std::int64_t count) override;

    // The wrapped stream; null once closed.
    const std::shared_ptr<TStream>& Wrapped() const { return stream_; }

  private:
    std::shared_ptr<TStream> stream_;
};

// A file of the C library. The stream owns the FILE and closes it on Close or destruction.
class TCStream : public TStream {
  public:
    // Opens `path` for reading ("rb"), writing ("wb", truncates) or both ("r+b", the file
    // must exist). Null when the file cannot be opened, is a directory, or neither mode is set.
    [[nodiscard]] static std::shared_ptr<TCStream> OpenFile(const std::string& path, int readable,
                                                            int writeable);
    // Takes ownership of an already open FILE; null when `file` is null.
    [[nodiscard]] static std::shared_ptr<TCStream> CreateWithCStream(std::FILE* file, int readable,
                                                                     int writeable);
    ~TCStream() override;

    std::int64_t Pos() override;
    std::int64_t Size() override;
    std::int64_t Seek(std::int64_t pos) override;
    void Flush() override;
    void Close() override;
    std::int64_t Read(void* buf, std::int64_t count) override;
    std::int64_t Write(const void* buf, std::int64_t count) override;

  private:
    void Turn(int direction);

    std::FILE* file_ = nullptr;
    int last_ = 0;  // 1 after a read, 2 after a write, 0 after a seek
    std::int64_t pos_ = 0;
    std::int64_t size_ = 0;
    int read_ = 0;
    int write_ = 0;
};

// One protocol handler. Constructing a factory links it in at the head of the process-wide
// chain, so the newest factory is asked first; destroying it unlinks it.
class TStreamFactory {
  public:
    TStreamFactory();
    virtual ~TStreamFactory();
    TStreamFactory(const TStreamFactory&) = delete;
    TStreamFactory& operator=(const TStreamFactory&) = delete;

    // A stream for `url`, or null to let the next factory try. `proto` is the lower-cased
    // text before "::", `path` the text after it.
    virtual std::shared_ptr<TStream> CreateStream(const std::string& url, const std::string& proto,
                                                  const std::string& path, int readable,
                                                  int writeable) = 0;

  private:
    friend std::shared_ptr<TStream> OpenStream(const std::string&, int, int);
    TStreamFactory* succ_ = nullptr;
};

// Opens a URL. "proto::path" asks the factory chain (proto is matched case-insensitively);
// a name without "::" opens a plain file. Null when nothing can open it.
[[nodiscard]] std::shared_ptr<TStream> OpenStream(const std::string& url, int readable,
                                                  int writeable);
[[nodiscard]] std::shared_ptr<TStream> OpenStream(const char* url, int readable, int writeable);
// A stream given as the URL is wrapped in a TStreamStream (null stays null).
[[nodiscard]] std::shared_ptr<TStream> OpenStream(const std::shared_ptr<TStream>& stream,
                                                  int readable, int writeable);
// OpenStream(url, 1, 0): what every loader calls.
[[nodiscard]] std::shared_ptr<TStream> OpenReadStream(const std::string& url);
[[nodiscard]] std::shared_ptr<TStream> OpenReadStream(const char* url);
[[nodiscard]] std::shared_ptr<TStream> OpenReadStream(const std::shared_ptr<TStream>& stream);

// Embedded files. Names are exact keys (case-sensitive, no path normalisation); the bytes
// are never copied and must outlive the process' use of them. Returns 1 when added, 0 when
// the name is already taken (the first registration wins) or the size is negative.
int RegisterEmbeddedFile(const std::string& name, const void* data, int size);
// The bytes registered under `name`, or null.
const void* EmbeddedFileData(const std::string& name);
// The size registered under `name`, or 0.
int EmbeddedFileSize(const std::string& name);

// Creates the stream factories ("incbin"). Safe to call more than once.
void StartStreamModules();
