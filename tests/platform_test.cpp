#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Console.h"
#include "platform/Errors.h"
#include "platform/InputStream.h"
#include "platform/TextFile.h"

namespace {

using namespace morvane;

TEST(MemoryStream, ReadsSeeksAndStopsAtTheEnd) {
    MemoryStream stream(std::vector<std::uint8_t>{1, 2, 3, 4, 5});
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(stream.Size(), 5);
    EXPECT_EQ(stream.Read(buffer, 2), 2u);
    EXPECT_EQ(buffer[1], 2);
    stream.Seek(2, SeekOrigin::Current);
    EXPECT_EQ(stream.Position(), 4);
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(stream.Read(buffer, 8), 1u);
    EXPECT_EQ(buffer[0], 5);
    EXPECT_EQ(buffer[1], 0xEE);  // bytes not delivered are left alone
    stream.Seek(100, SeekOrigin::Beginning);
    EXPECT_EQ(stream.Position(), 100);
    EXPECT_EQ(stream.Read(buffer, 8), 0u);
    EXPECT_THROW(stream.Seek(-101, SeekOrigin::Current), IoError);
}

TEST(Console, CapturesLinesWithCrLf) {
    ConsoleCapture console;
    ConsoleWrite("HD1 Prog: PBK1 ");
    ConsoleLine("continued");
    EXPECT_EQ(console.Text(), "HD1 Prog: PBK1 continued\r\n");
}

TEST(OutputTextFile, WritesCrLfLinesAndRefusesWritesWhenClosed) {
    std::string target;
    OutputTextFile file;
    file.Attach(std::make_unique<MemoryOutputFile>(target));
    file.WriteLine("one");
    file.WriteLine("");
    file.Buffer() += "three";
    file.EndLine();
    EXPECT_EQ(target, "");  // buffered until closed
    file.Close();
    EXPECT_EQ(target, "one\r\n\r\nthree\r\n");
    EXPECT_FALSE(file.IsOpen());
    EXPECT_THROW(file.WriteLine("late"), IoError);
    EXPECT_NO_THROW(file.Close());
}

class FailingOutput : public platform::OutputFile {
public:
    void Write(const char*, std::size_t) override { throw IoError("disk full"); }
    void Close() override {}
};

TEST(OutputTextFile, FailedWriteIsAnIoError) {
    OutputTextFile file;
    file.Attach(std::make_unique<FailingOutput>());
    file.WriteLine("lost");
    EXPECT_THROW(file.Close(), IoError);
}

TEST(Errors, CheckedArithmetic) {
    EXPECT_EQ(CheckedMultiply(4960, 128), 634880);
    EXPECT_EQ(CheckedMultiply(-1, -1), 1);
    EXPECT_THROW(CheckedMultiply(0x10000, 0x10000), OverflowError);
    EXPECT_THROW(CheckedMultiply(INT32_MIN, -1), OverflowError);
    EXPECT_EQ(RequireBelow2G(0x7FFFFFFF, "p"), 0x7FFFFFFF);
    EXPECT_THROW(RequireBelow2G(0x80000000LL, "p"), RangeError);
    EXPECT_THROW(RequireNonNegative(-1, "s"), RangeError);
    EXPECT_STREQ(RangeError("x").Kind(), "Range error");
    EXPECT_STREQ(IoError("x").Kind(), "I/O error");
    EXPECT_STREQ(OverflowError("x").Kind(), "Integer overflow");
}

}  // namespace
