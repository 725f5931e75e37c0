#include "PCG_readINS/Format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

namespace {

using morvane::Format;

TEST(Format, Directives) {
    struct Row {
        std::string expected;
        std::string actual;
    };
    const Row rows[] = {
        {"-5 0 2147483647", Format("%d %d %d", {-5, 0, INT32_MAX})},
        {"3000000000", Format("%d", {std::int64_t{3000000000}})},
        {"007 127 1000", Format("%3.3d %3.3d %3.3d", {7, 127, 1000})},
        {"-007", Format("%3.3d", {-7})},
        {"1F FFFFFFFB 0", Format("%x %x %x", {31, -5, 0})},
        {"0000002C 12B7AC0D", Format("%8.8x %8.8x", {44, 0x12B7AC0Du})},
        {"0A ff", Format("%2.2x ff", {10})},
        {"80000000", Format("%x", {std::int64_t{0x180000000}})},  // taken as unsigned 32-bit
        {"[Int A]", Format("[%4s]", {"Int A"})},
        {"[  ??]", Format("[%4s]", {"??"})},
        {"[Invalid Bank]", Format("[%4s]", {"Invalid Bank"})},
        {"\"                     ABC\"", Format("\"%24s\"", {"ABC"})},
        {"\"" + std::string(24, ' ') + "\"", Format("\"%24s\"", {""})},
        {"a%b", Format("a%sb", {"%"})},
    };
    for (const Row& row : rows) EXPECT_EQ(row.actual, row.expected);
}

TEST(Format, ArgumentsMustMatchTheDirectives) {
    EXPECT_THROW(Format("%d %d", {1}), std::logic_error);
    EXPECT_THROW(Format("%d", {1, 2}), std::logic_error);
    EXPECT_THROW(Format("%s", {1}), std::logic_error);
    EXPECT_THROW(Format("%d", {"x"}), std::logic_error);
    EXPECT_THROW(Format("%q", {1}), std::logic_error);
    EXPECT_THROW(Format("%3", {1}), std::logic_error);
}

}  // namespace
