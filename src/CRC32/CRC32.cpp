#include "CRC32/CRC32.h"

#include <string>

#include "CRC32/CRC32Engines.h"
#include "platform/Errors.h"

namespace morvane {

namespace {

using UpdateFunction = std::uint32_t (*)(std::uint32_t, const std::uint8_t*, std::size_t);

UpdateFunction ChosenEngine() {
    static const UpdateFunction engine = crc32::FoldedAvailable() ? crc32::UpdateFolded : crc32::UpdateSliced;
    return engine;
}

// The register plus the length, never 0.
std::uint32_t Finished(std::uint32_t reg, std::uint32_t length) {
    const std::uint32_t sum = reg + length;
    return sum == 0 ? 1 : sum;
}

}  // namespace

std::uint32_t RecordChecksum(const std::uint8_t* bytes, std::int32_t length) {
    if (length > kMaxChecksumLength) {
        throw RangeError("checksum index " + std::to_string(kMaxChecksumLength) + " is out of range");
    }
    if (length > 0) return RecordChecksumOf(bytes, static_cast<std::size_t>(length));
    return Finished(0xFFFFFFFFu, static_cast<std::uint32_t>(length));
}

std::uint32_t RecordChecksumOf(const std::uint8_t* bytes, std::size_t length) {
    const std::uint32_t reg = length > 0 ? ChosenEngine()(0xFFFFFFFFu, bytes, length) : 0xFFFFFFFFu;
    return Finished(reg, static_cast<std::uint32_t>(length));
}

}  // namespace morvane
