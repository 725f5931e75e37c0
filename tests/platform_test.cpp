#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <vector>

#include "TestSupport.h"
#include "platform/Console.h"
#include "platform/Errors.h"
#include "platform/InputStream.h"
#include "platform/Platform.h"
#include "platform/TextFile.h"

namespace {

using namespace morvane;
using testing_support::ReadFile;
using testing_support::ScratchDirectory;
using testing_support::WriteFile;

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

// ---- the operating system's files, through the platform layer of the build

std::string Numbered(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

std::string ReadAt(platform::RawInputFile& file, std::int64_t offset, std::size_t count) {
    std::string out(count, '\0');
    out.resize(file.ReadAt(offset, out.data(), count));
    return out;
}

TEST(PlatformInput, ReadsAtAnyOffsetAndDeliversFewerAtTheEnd) {
    ScratchDirectory scratch;
    const std::string bytes = Numbered(300000);
    WriteFile("in.pcg", bytes);
    const auto file = platform::OpenInputFileUnshared("in.pcg");
    EXPECT_EQ(file->Size(), 300000);
    EXPECT_EQ(ReadAt(*file, 0, 16), bytes.substr(0, 16));
    EXPECT_EQ(ReadAt(*file, 299990, 16), bytes.substr(299990));
    EXPECT_EQ(ReadAt(*file, 70000, 16), bytes.substr(70000, 16));
    EXPECT_EQ(ReadAt(*file, 5, 250000), bytes.substr(5, 250000));  // earlier reads leave no position behind
    EXPECT_EQ(ReadAt(*file, 300000, 16), "");
    EXPECT_EQ(ReadAt(*file, std::int64_t{1} << 33, 16), "");  // beyond 32 bits of offset
}

TEST(PlatformInput, FileStreamOverADiskFile) {
    ScratchDirectory scratch;
    const std::string bytes = Numbered(200000);
    WriteFile("in.pcg", bytes);
    const auto stream = OpenInputStream("in.pcg");
    std::string buffer(150000, '\0');
    EXPECT_EQ(stream->Read(buffer.data(), 12), 12u);
    EXPECT_EQ(buffer.substr(0, 12), bytes.substr(0, 12));
    stream->Seek(65530, SeekOrigin::Beginning);
    EXPECT_EQ(stream->Read(buffer.data(), 12), 12u);  // across the end of the read-ahead
    EXPECT_EQ(buffer.substr(0, 12), bytes.substr(65530, 12));
    EXPECT_EQ(stream->Read(buffer.data(), 100000), 100000u);
    EXPECT_EQ(buffer.substr(0, 100000), bytes.substr(65542, 100000));
    EXPECT_EQ(stream->Read(buffer.data(), 150000), 34458u);
    EXPECT_EQ(buffer.substr(0, 34458), bytes.substr(165542));
    EXPECT_EQ(stream->Read(buffer.data(), 10), 0u);
    EXPECT_EQ(stream->Position(), 200000);
}

// open must fail with an I/O error whose message names the file on one line.
template <typename Open>
void ExpectIoErrorNaming(const char* name, Open open) {
    try {
        open(name);
        ADD_FAILURE() << name << " did not fail";
    } catch (const IoError& error) {
        EXPECT_NE(std::string(error.what()).find(name), std::string::npos) << error.what();
        EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos) << error.what();
    }
}

TEST(PlatformInput, FailuresNameTheFile) {
    ScratchDirectory scratch;
    std::filesystem::create_directory("folder.pcg");
    for (const char* name : {"missing.pcg", "folder.pcg"}) {
        ExpectIoErrorNaming(name, platform::OpenInputFileUnshared);
    }
}

TEST(PlatformInput, HeldWithoutSharingUntilReleased) {
    ScratchDirectory scratch;
    WriteFile("x.ins", std::string("input"));
    {
        const auto input = platform::OpenInputFileUnshared("x.ins");
        EXPECT_THROW(platform::OpenInputFileUnshared("x.ins"), IoError);
        EXPECT_THROW(platform::CreateOutputFile("x.ins"), IoError);
        EXPECT_EQ(ReadAt(*input, 0, 100), "input");
    }
    EXPECT_EQ(ReadFile("x.ins"), "input");
    auto output = platform::CreateOutputFile("x.ins");
    output->Write("out", 3);
    output->Close();
    EXPECT_EQ(ReadFile("x.ins"), "out");
}

TEST(PlatformTextFile, OpensOnlyExistingFiles) {
    ScratchDirectory scratch;
    std::filesystem::create_directory("folder.ins");
    WriteFile("t.ins", std::string("a\r\nb"));
    EXPECT_EQ(platform::OpenTextFileForReading("missing.ins"), nullptr);
    EXPECT_EQ(platform::OpenTextFileForReading("folder.ins"), nullptr);
    const auto file = platform::OpenTextFileForReading("t.ins");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadAt(*file, 0, 100), "a\r\nb");
    const auto again = platform::OpenTextFileForReading("t.ins");
    EXPECT_NE(again, nullptr);
}

TEST(PlatformOutput, CreatesTruncatesAndReportsFailures) {
    ScratchDirectory scratch;
    WriteFile("out.txt", std::string(1000, 'x'));
    auto output = platform::CreateOutputFile("out.txt");
    const std::string big = Numbered(1 << 20);
    output->Write("line\r\n", 6);
    output->Write(big.data(), big.size());
    output->Close();
    EXPECT_EQ(ReadFile("out.txt"), "line\r\n" + big);
    std::filesystem::create_directory("folder.txt");
    for (const char* name : {"no-such-dir/out.txt", "folder.txt"}) {
        ExpectIoErrorNaming(name, platform::CreateOutputFile);
    }
}

std::set<std::string> Search(const std::string& pattern) {
    std::set<std::string> names;
    const auto search = platform::StartDirectorySearch(pattern);
    std::string name;
    while (search->Next(name)) EXPECT_TRUE(names.insert(name).second) << name << " delivered twice";
    EXPECT_FALSE(search->Next(name));
    return names;
}

TEST(PlatformDirectorySearch, MatchesEntriesOfEveryKind) {
    ScratchDirectory scratch;
    std::filesystem::create_directory("banks");
    const std::string banks = std::string("banks") + platform::kTrailingDelimiter;
    for (const char* name : {"a.pcg", "B.PCG", "c.txt", "a.pcg.bak"}) WriteFile(banks + name, std::string("x"));
    std::filesystem::create_directory(banks + "sub.pcg");
    EXPECT_EQ(Search(banks + "*.pcg"), (std::set<std::string>{"a.pcg", "B.PCG", "sub.pcg"}));
    EXPECT_EQ(Search(banks + "?.pcg"), (std::set<std::string>{"a.pcg", "B.PCG"}));
    std::set<std::string> all = Search(banks + "*");
    all.erase(".");
    all.erase("..");
    EXPECT_EQ(all, (std::set<std::string>{"a.pcg", "B.PCG", "c.txt", "a.pcg.bak", "sub.pcg"}));
    std::filesystem::current_path("banks");
    EXPECT_EQ(Search("*.txt"), (std::set<std::string>{"c.txt"}));
    std::filesystem::current_path("..");
}

TEST(PlatformDirectorySearch, NoMatchDeliversNothing) {
    ScratchDirectory scratch;
    WriteFile("a.pcg", std::string("x"));
    EXPECT_TRUE(Search("*.syx").empty());
    EXPECT_TRUE(Search(std::string("no-such-dir") + platform::kTrailingDelimiter + "*").empty());
}

}  // namespace
