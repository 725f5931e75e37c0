#pragma once
// The 32-bit fingerprint the checksum listing prints beside every record: the reflected CRC-32
// register (polynomial 0xEDB88320, no final complement) plus the length, never 0.
#include <cstddef>
#include <cstdint>

namespace morvane {

constexpr std::int32_t kMaxChecksumLength = 32768;

// Raises RangeError for a length above kMaxChecksumLength. A negative length covers no byte.
std::uint32_t RecordChecksum(const std::uint8_t* bytes, std::int32_t length);
// The same checksum of a run of any length: a record's size may come from its bank header.
std::uint32_t RecordChecksumOf(const std::uint8_t* bytes, std::size_t length);

}  // namespace morvane
