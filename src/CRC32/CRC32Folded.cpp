// Carry-less multiplication folding for x86-64. Only the functions marked for it use PCLMULQDQ,
// and FoldedAvailable checks the CPU before any of them runs.
#include "CRC32/CRC32Engines.h"

#if defined(__x86_64__) || defined(_M_X64)
#define MORVANE_CRC32_FOLDING 1
#include <emmintrin.h>
#include <wmmintrin.h>
#if defined(_MSC_VER)
#include <intrin.h>
#define MORVANE_TARGET_PCLMUL
#else
#include <cpuid.h>
#define MORVANE_TARGET_PCLMUL __attribute__((target("pclmul")))
#endif
#endif

namespace morvane::crc32 {

#if MORVANE_CRC32_FOLDING

namespace {

// In the reflected bit order of this CRC, bit j of a 64-bit lane stands for x^(63-j), and the
// carry-less product of two lanes is the 128-bit value of a*b*x. Folding a 128-bit block forward
// by F bits multiplies its two halves by x^(F+64) and x^F; the constants below are those powers
// reduced modulo the polynomial and divided by x, so that the product's extra x restores them.
constexpr std::uint64_t ReflectedPowerModP(unsigned n) {
    std::uint64_t r = 1;  // x^n mod P in the plain bit order, by repeated multiplication by x
    for (unsigned i = 0; i < n; ++i) {
        r <<= 1;
        if (r & 0x100000000ull) r ^= 0x104C11DB7ull;
    }
    std::uint64_t reflected = 0;
    for (unsigned d = 0; d < 32; ++d) {
        if (r >> d & 1) reflected |= 1ull << (63 - d);
    }
    return reflected;
}

constexpr std::uint64_t kFold512Low = ReflectedPowerModP(512 + 64 - 1);
constexpr std::uint64_t kFold512High = ReflectedPowerModP(512 - 1);
constexpr std::uint64_t kFold128Low = ReflectedPowerModP(128 + 64 - 1);
constexpr std::uint64_t kFold128High = ReflectedPowerModP(128 - 1);

inline __m128i Constants(std::uint64_t low, std::uint64_t high) {
    return _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low));
}

inline __m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

MORVANE_TARGET_PCLMUL inline __m128i Fold(__m128i x, __m128i constants, __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(x, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(x, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

}  // namespace

bool FoldedAvailable() {
#if defined(_MSC_VER)
    int info[4];
    __cpuid(info, 1);
    const unsigned ecx = static_cast<unsigned>(info[2]);
#else
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
#endif
    return (ecx >> 1) & 1;  // PCLMULQDQ
}

MORVANE_TARGET_PCLMUL std::uint32_t UpdateFolded(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length) {
    if (length < 64) return UpdateSliced(reg, bytes, length);

    // The register enters as an exclusive-or into the first four message bytes.
    __m128i x0 = _mm_xor_si128(Load(bytes), _mm_cvtsi32_si128(static_cast<int>(reg)));
    __m128i x1 = Load(bytes + 16);
    __m128i x2 = Load(bytes + 32);
    __m128i x3 = Load(bytes + 48);
    bytes += 64;
    length -= 64;

    const __m128i by512 = Constants(kFold512Low, kFold512High);
    while (length >= 64) {
        x0 = Fold(x0, by512, Load(bytes));
        x1 = Fold(x1, by512, Load(bytes + 16));
        x2 = Fold(x2, by512, Load(bytes + 32));
        x3 = Fold(x3, by512, Load(bytes + 48));
        bytes += 64;
        length -= 64;
    }

    const __m128i by128 = Constants(kFold128Low, kFold128High);
    __m128i x = Fold(x0, by128, x1);
    x = Fold(x, by128, x2);
    x = Fold(x, by128, x3);
    while (length >= 16) {
        x = Fold(x, by128, Load(bytes));
        bytes += 16;
        length -= 16;
    }

    // What is left is the register of these 16 bytes taken from a register of zero.
    alignas(16) std::uint8_t folded[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(folded), x);
    return UpdateSliced(UpdateSliced(0, folded, 16), bytes, length);
}

#else

bool FoldedAvailable() { return false; }

std::uint32_t UpdateFolded(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length) {
    return UpdateSliced(reg, bytes, length);
}

#endif

}  // namespace morvane::crc32
