#pragma once
// The read-only, seekable byte stream the walker reads a PCG file through.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace morvane {

enum class SeekOrigin { Beginning, Current };

class InputStream {
public:
    virtual ~InputStream() = default;
    // Returns the count delivered: fewer at the end of the data, 0 after a read error.
    virtual std::uint32_t Read(void* buffer, std::uint32_t count) = 0;
    // A position past the end is allowed (reads there deliver 0); before the start is an IoError.
    virtual void Seek(std::int32_t offset, SeekOrigin origin) = 0;
    virtual std::int64_t Size() const = 0;
    virtual std::int64_t Position() const = 0;
};

// Over bytes in memory; the non-owning form keeps a view of the caller's bytes.
class MemoryStream : public InputStream {
public:
    explicit MemoryStream(std::vector<std::uint8_t> bytes);
    MemoryStream(const std::uint8_t* data, std::size_t size);

    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    void Seek(std::int32_t offset, SeekOrigin origin) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(size_); }
    std::int64_t Position() const override { return position_; }

private:
    std::vector<std::uint8_t> owned_;
    const std::uint8_t* data_;
    std::size_t size_;
    std::int64_t position_ = 0;
};

// Over a file. Small reads (chunk headers) are served from a read-ahead buffer so that walking
// many small chunks costs no system call per header; large reads (banks) go straight into the
// caller's buffer.
class FileStream : public InputStream {
public:
    explicit FileStream(std::unique_ptr<platform::RawInputFile> file);

    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    void Seek(std::int32_t offset, SeekOrigin origin) override;
    std::int64_t Size() const override { return size_; }
    std::int64_t Position() const override { return position_; }

private:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    std::size_t ReadFromFile(std::uint8_t* destination, std::size_t count);

    std::unique_ptr<platform::RawInputFile> file_;
    std::int64_t size_;
    std::int64_t position_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::int64_t bufferStart_ = 0;   // file offset of buffer_[0]
    std::size_t bufferFill_ = 0;
};

// Opens a file as the converter's input: read-only and unshared (see OpenInputFileUnshared).
std::unique_ptr<InputStream> OpenInputStream(const std::string& name);

}  // namespace morvane
