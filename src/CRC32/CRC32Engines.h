#pragma once
// The register update of the reflected CRC-32 (polynomial 0xEDB88320) in three engines with
// identical results: the plain table, one byte a step (the reference); slicing by eight bytes a
// step (portable); and folding with carry-less multiplication (x86 with PCLMULQDQ).
// None applies an initial or final complement: the caller passes the register in and out.
#include <cstddef>
#include <cstdint>

namespace morvane::crc32 {

std::uint32_t UpdatePlain(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length);
std::uint32_t UpdateSliced(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length);

// False where the CPU or the build has no carry-less multiply; UpdateFolded must not be called then.
bool FoldedAvailable();
std::uint32_t UpdateFolded(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length);

}  // namespace morvane::crc32
