#include "CRC32/CRC32Engines.h"

#include <gtest/gtest.h>

#include <vector>

#include "CRC32/CRC32.h"
#include "PcgBuilder.h"

namespace {

using namespace morvane;

std::vector<std::uint8_t> RandomBytes(std::size_t size, std::uint64_t seed) {
    std::vector<std::uint8_t> bytes(size);
    pcgbuild::Random(seed).Fill(bytes.data(), bytes.size());
    return bytes;
}

// The listing's checksum by the plain table: the reference every faster engine must equal.
std::uint32_t PlainChecksum(const std::uint8_t* bytes, std::size_t length) {
    const std::uint32_t sum = crc32::UpdatePlain(0xFFFFFFFFu, bytes, length) + static_cast<std::uint32_t>(length);
    return sum == 0 ? 1 : sum;
}

TEST(ChecksumEngines, AgreeWithThePlainTableOnRandomLengthsAndAlignments) {
    const std::vector<std::uint8_t> bytes = RandomBytes(32768 + 64, 7);
    pcgbuild::Random random(11);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t offset = random.Below(64);
        const std::size_t length = round < 200 ? static_cast<std::size_t>(round) : random.Below(32769);
        const std::uint8_t* start = bytes.data() + offset;
        const std::uint32_t reg = static_cast<std::uint32_t>(random.Next());
        const std::uint32_t expected = crc32::UpdatePlain(reg, start, length);
        ASSERT_EQ(crc32::UpdateSliced(reg, start, length), expected) << "length " << length << " offset " << offset;
        if (crc32::FoldedAvailable()) {
            ASSERT_EQ(crc32::UpdateFolded(reg, start, length), expected) << "length " << length << " offset " << offset;
        }
        ASSERT_EQ(RecordChecksum(start, static_cast<std::int32_t>(length)), PlainChecksum(start, length));
    }
}

TEST(ChecksumEngines, AgreeOnEveryRecordSizeOfTheListing) {
    for (std::size_t length : {4960u, 7810u, 542u, 16u, 32768u}) {
        for (std::uint64_t seed = 1; seed <= 20; ++seed) {
            const std::vector<std::uint8_t> bytes = RandomBytes(length, seed);
            EXPECT_EQ(RecordChecksum(bytes.data(), static_cast<std::int32_t>(length)), PlainChecksum(bytes.data(), length))
                << length;
        }
        const std::vector<std::uint8_t> zeros(length, 0), ones(length, 0xFF);
        EXPECT_EQ(RecordChecksum(zeros.data(), static_cast<std::int32_t>(length)), PlainChecksum(zeros.data(), length));
        EXPECT_EQ(RecordChecksum(ones.data(), static_cast<std::int32_t>(length)), PlainChecksum(ones.data(), length));
    }
}

TEST(ChecksumEngines, SingleBitChangesAreSeenByEveryEngine) {
    std::vector<std::uint8_t> bytes(4960, 0);
    const std::uint32_t base = crc32::UpdatePlain(0xFFFFFFFFu, bytes.data(), bytes.size());
    for (std::size_t bit = 0; bit < bytes.size() * 8; bit += 37) {
        bytes[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        const std::uint32_t expected = crc32::UpdatePlain(0xFFFFFFFFu, bytes.data(), bytes.size());
        ASSERT_NE(expected, base);
        ASSERT_EQ(crc32::UpdateSliced(0xFFFFFFFFu, bytes.data(), bytes.size()), expected) << bit;
        if (crc32::FoldedAvailable()) {
            ASSERT_EQ(crc32::UpdateFolded(0xFFFFFFFFu, bytes.data(), bytes.size()), expected) << bit;
        }
        bytes[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    }
}

}  // namespace
