#include "CRC32/CRC32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Errors.h"

namespace {

using morvane::RecordChecksum;

std::uint32_t ChecksumOf(const std::string& text) {
    return RecordChecksum(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<std::int32_t>(text.size()));
}

std::uint32_t ChecksumOfZeros(std::int32_t length) {
    const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(length), 0);
    return RecordChecksum(zeros.data(), length);
}

// The register after the bytes, by the bitwise definition of the reflected CRC-32.
std::uint32_t Register(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t reg = 0xFFFFFFFFu;
    for (std::uint8_t b : bytes) {
        reg ^= b;
        for (int bit = 0; bit < 8; ++bit) reg = (reg & 1) ? (reg >> 1) ^ 0xEDB88320u : reg >> 1;
    }
    return reg;
}

// Four bytes that, appended to prefix, leave the register at target: 32 bit steps undone.
std::vector<std::uint8_t> WithForcedRegister(std::vector<std::uint8_t> prefix, std::uint32_t target) {
    std::uint32_t r = target;
    for (int step = 0; step < 32; ++step) {
        const std::uint32_t lsb = r >> 31;
        r = ((lsb ? r ^ 0xEDB88320u : r) << 1) | lsb;
    }
    const std::uint32_t word = r ^ Register(prefix);
    for (int k = 0; k < 4; ++k) prefix.push_back(static_cast<std::uint8_t>(word >> (8 * k)));
    return prefix;
}

TEST(RecordChecksum, KnownVectors) {
    EXPECT_EQ(ChecksumOf(""), 0xFFFFFFFFu);
    EXPECT_EQ(ChecksumOf("a"), 0x174841BDu);
    EXPECT_EQ(ChecksumOf("abc"), 0xCADBBE40u);
    EXPECT_EQ(ChecksumOf("123456789"), 0x340BC6E2u);
}

TEST(RecordChecksum, AllZeroRecordsOfEveryKind) {
    EXPECT_EQ(ChecksumOfZeros(4960), 0x75944B80u);  // program
    EXPECT_EQ(ChecksumOfZeros(7810), 0x3E46F431u);  // combination
    EXPECT_EQ(ChecksumOfZeros(542), 0x1FBEDFAAu);   // set list slot
    EXPECT_EQ(ChecksumOfZeros(16), 0x1344B4BAu);    // set list EQ block
}

TEST(RecordChecksum, IsTheRegisterPlusTheLength) {
    const std::vector<std::uint8_t> bytes = WithForcedRegister({1, 2, 3, 4, 5, 6}, 0x12345678u);
    ASSERT_EQ(Register(bytes), 0x12345678u);
    EXPECT_EQ(RecordChecksum(bytes.data(), 10), 0x12345678u + 10);
}

TEST(RecordChecksum, SumPastTwoToTheThirtyTwoWraps) {
    const std::vector<std::uint8_t> bytes = WithForcedRegister({9, 9, 9}, 0xFFFFFFFFu - 7 + 5);
    EXPECT_EQ(RecordChecksum(bytes.data(), 7), 4u);
}

TEST(RecordChecksum, SumOfExactlyTwoToTheThirtyTwoGivesOne) {
    const std::vector<std::uint8_t> bytes = WithForcedRegister({0xAB, 0xCD}, 0xFFFFFFFFu - 6 + 1);
    ASSERT_EQ(Register(bytes) + 6u, 0u);
    EXPECT_EQ(RecordChecksum(bytes.data(), 6), 1u);
}

TEST(RecordChecksum, AcceptsUpTo32768BytesAndRefusesMore) {
    const std::vector<std::uint8_t> bytes(32769, 0x5A);
    EXPECT_NO_THROW(RecordChecksum(bytes.data(), 32768));
    EXPECT_THROW(RecordChecksum(bytes.data(), 32769), morvane::RangeError);
}

}  // namespace
