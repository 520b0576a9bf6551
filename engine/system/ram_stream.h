// A stream over a block of memory the stream does not own, and the "incbin" protocol that
// serves embedded files through it. The stream never grows; positions clamp to its bytes.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/system/stream.h"

class TRamStream : public TStream {
  public:
    // A stream over `size` bytes at `buf`, starting at position 0. A negative size counts
    // as 0. The bytes must outlive the stream.
    static std::shared_ptr<TRamStream> Create(void* buf, std::int64_t size, int readable,
                                              int writeable);
    // Read-only memory: the stream refuses writes whatever `writeable` says.
    static std::shared_ptr<TRamStream> Create(const void* buf, std::int64_t size, int readable,
                                              int writeable);

    std::int64_t Pos() override;
    std::int64_t Size() override;
    // Clamps to 0..Size() and returns the new position; never fails.
    std::int64_t Seek(std::int64_t pos) override;
    std::int64_t Read(void* buf, std::int64_t count) override;
    std::int64_t Write(const void* buf, std::int64_t count) override;

  private:
    std::int64_t pos_ = 0;
    std::int64_t size_ = 0;
    const unsigned char* read_buf_ = nullptr;
    unsigned char* write_buf_ = nullptr;  // null for read-only memory
    int read_ = 0;
    int write_ = 0;
};

// Opens "incbin::name" read-only over the embedded file registered as `name`; declines any
// other protocol, unknown names and every request to write.
class TRamStreamFactory : public TStreamFactory {
  public:
    std::shared_ptr<TStream> CreateStream(const std::string& url, const std::string& proto,
                                          const std::string& path, int readable,
                                          int writeable) override;
};
