#include "CRC32/CRC32.h"

#include <array>
#include <string>

#include "platform/Errors.h"

namespace morvane {

namespace {

constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t r = i;
        for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
        table[i] = r;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

}  // namespace

std::uint32_t RecordChecksum(const std::uint8_t* bytes, std::int32_t length) {
    if (length > kMaxChecksumLength) {
        throw RangeError("checksum index " + std::to_string(kMaxChecksumLength) + " is out of range");
    }
    std::uint32_t reg = 0xFFFFFFFFu;
    for (std::int32_t i = 0; i < length; ++i) reg = kTable[(bytes[i] ^ reg) & 0xFF] ^ (reg >> 8);
    const std::uint32_t sum = reg + static_cast<std::uint32_t>(length);
    return sum == 0 ? 1 : sum;
}

}  // namespace morvane
