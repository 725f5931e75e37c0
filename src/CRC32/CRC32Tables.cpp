#include <array>

#include "CRC32/CRC32Engines.h"

namespace morvane::crc32 {

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

// kTables[0] is the byte table; kTables[k][b] is the register change of byte b followed by k
// zero bytes, which lets eight bytes be taken in one step.
constexpr std::array<std::array<std::uint32_t, 256>, 8> MakeTables() {
    std::array<std::array<std::uint32_t, 256>, 8> tables{};
    for (std::uint32_t b = 0; b < 256; ++b) {
        std::uint32_t r = b;
        for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ kPolynomial : r >> 1;
        tables[0][b] = r;
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (std::uint32_t b = 0; b < 256; ++b) {
            const std::uint32_t previous = tables[k - 1][b];
            tables[k][b] = (previous >> 8) ^ tables[0][previous & 0xFF];
        }
    }
    return tables;
}

constexpr auto kTables = MakeTables();

std::uint32_t LoadLittleEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

std::uint32_t UpdatePlain(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) reg = kTables[0][(bytes[i] ^ reg) & 0xFF] ^ (reg >> 8);
    return reg;
}

std::uint32_t UpdateSliced(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length) {
    const auto& t = kTables;
    while (length >= 8) {
        const std::uint32_t low = LoadLittleEndian32(bytes) ^ reg;
        const std::uint32_t high = LoadLittleEndian32(bytes + 4);
        reg = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
              t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
        bytes += 8;
        length -= 8;
    }
    return UpdatePlain(reg, bytes, length);
}

}  // namespace morvane::crc32
