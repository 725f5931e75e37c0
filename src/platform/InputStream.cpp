#include "platform/InputStream.h"

#include <algorithm>
#include <cstring>

#include "platform/Errors.h"

namespace morvane {

namespace {

std::int64_t SeekTarget(std::int64_t position, std::int32_t offset, SeekOrigin origin) {
    const std::int64_t target = (origin == SeekOrigin::Beginning ? 0 : position) + offset;
    if (target < 0) throw IoError("seek to " + std::to_string(target) + ", before the start of the file");
    return target;
}

}  // namespace

MemoryStream::MemoryStream(std::vector<std::uint8_t> bytes)
    : owned_(std::move(bytes)), data_(owned_.data()), size_(owned_.size()) {}

MemoryStream::MemoryStream(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

std::uint32_t MemoryStream::Read(void* buffer, std::uint32_t count) {
    const auto size = static_cast<std::int64_t>(size_);
    if (position_ >= size) return 0;
    const auto delivered = static_cast<std::uint32_t>(std::min<std::int64_t>(count, size - position_));
    if (delivered > 0) std::memcpy(buffer, data_ + position_, delivered);
    position_ += delivered;
    return delivered;
}

void MemoryStream::Seek(std::int32_t offset, SeekOrigin origin) {
    position_ = SeekTarget(position_, offset, origin);
}

FileStream::FileStream(std::unique_ptr<platform::RawInputFile> file)
    : file_(std::move(file)), size_(file_->Size()), buffer_(kBufferSize) {}

std::uint32_t FileStream::Read(void* buffer, std::uint32_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::uint32_t done = 0;
    const std::int64_t bufferEnd = bufferStart_ + static_cast<std::int64_t>(bufferFill_);
    if (position_ >= bufferStart_ && position_ < bufferEnd) {
        const auto fromBuffer = static_cast<std::uint32_t>(std::min<std::int64_t>(count, bufferEnd - position_));
        std::memcpy(out, buffer_.data() + (position_ - bufferStart_), fromBuffer);
        done = fromBuffer;
        position_ += fromBuffer;
    }
    if (done == count || position_ >= size_) return done;

    const std::uint32_t remaining = count - done;
    if (remaining >= kBufferSize) {
        const std::size_t got = ReadFromFile(out + done, remaining);
        position_ += static_cast<std::int64_t>(got);
        return done + static_cast<std::uint32_t>(got);
    }
    bufferStart_ = position_;
    bufferFill_ = 0;
    bufferFill_ = ReadFromFile(buffer_.data(), kBufferSize);
    const auto fromBuffer = static_cast<std::uint32_t>(std::min<std::size_t>(remaining, bufferFill_));
    std::memcpy(out + done, buffer_.data(), fromBuffer);
    position_ += fromBuffer;
    return done + fromBuffer;
}

void FileStream::Seek(std::int32_t offset, SeekOrigin origin) {
    position_ = SeekTarget(position_, offset, origin);
}

std::size_t FileStream::ReadFromFile(std::uint8_t* destination, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const std::size_t step =
            file_->ReadAt(position_ + static_cast<std::int64_t>(got), destination + got, count - got);
        if (step == 0) break;
        got += step;
    }
    return got;
}

std::unique_ptr<InputStream> OpenInputStream(const std::string& name) {
    return std::make_unique<FileStream>(platform::OpenInputFileUnshared(name));
}

}  // namespace morvane
