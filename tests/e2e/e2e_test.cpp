// Runs the built executable in a scratch directory and compares console, files and exit code.
// MORVANE_EXE names the executable; MORVANE_RUNNER a command to run it through (wine for the
// Windows build, which also sets MORVANE_TARGET=windows to pick the cases that apply there).
// MORVANE_REFERENCE_EXE, when set, names another build (run directly) whose outputs the one
// under test must match byte for byte. A run is over once every process it started has ended.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PcgBuilder.h"
#include "TestSupport.h"

#ifndef MORVANE_DEFAULT_EXE
#error "MORVANE_DEFAULT_EXE must name the executable under test"
#endif
#ifndef MORVANE_TEMPLATE_DIR
#error "MORVANE_TEMPLATE_DIR must name the folder of the bundled templates"
#endif
#ifndef MORVANE_LICENSE_FILE
#error "MORVANE_LICENSE_FILE must name the LICENSE file"
#endif

namespace {

namespace fs = std::filesystem;
using namespace pcgbuild;
using testing_support::FileExists;
using testing_support::Lines;
using testing_support::ReadFile;
using testing_support::WriteFile;

std::string Env(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

bool WindowsTarget() { return Env("MORVANE_TARGET", "") == "windows"; }

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The processes of a session that have not ended; a zombie has (its parent may never reap it).
// Without /proc there are none to be found.
std::vector<pid_t> LiveProcessesOf(pid_t session) {
    std::vector<pid_t> live;
    std::error_code error;
    for (fs::directory_iterator entry("/proc", error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry->path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
        // After "pid (name)", where the name may hold blanks and parentheses: state, parent, group, session.
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        char state = 0;
        long parent = 0, group = 0, owner = 0;
        if (!(fields >> state >> parent >> group >> owner)) continue;
        if (owner == session && state != 'Z' && state != 'X') live.push_back(static_cast<pid_t>(std::stol(name)));
    }
    return live;
}

std::string CommandLineOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::replace(text.begin(), text.end(), '\0', ' ');
    return std::to_string(pid) + " " + text;
}

struct Settled {
    int status = -1;  // as waitpid gives it
    std::vector<std::string> leftBehind;  // the processes killed when the time was up
};

// Runs a shell command in a session of its own and waits for it, then for every other process of
// that session and of the session whose number the command writes to sessionFile (script(1) starts
// its command in a session of its own). Wine starts a Windows program's children (cmd's program,
// the console) as processes no shell waits for, and their outputs are whole only once they have
// ended. What still runs settleLimit after the command ended is killed and named, not waited for.
Settled RunSettled(const std::string& command, std::chrono::seconds settleLimit, const std::string& sessionFile = "") {
    Settled settled;
    const pid_t child = ::fork();
    if (child < 0) return settled;
    if (child == 0) {
        ::setsid();
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    while (::waitpid(child, &settled.status, 0) < 0 && errno == EINTR) {
    }
    std::vector<pid_t> sessions{child};
    if (!sessionFile.empty() && FileExists(sessionFile)) sessions.push_back(std::atoi(ReadFile(sessionFile).c_str()));
    const auto deadline = std::chrono::steady_clock::now() + settleLimit;
    std::set<pid_t> killed;
    for (const pid_t session : sessions) {
        for (std::vector<pid_t> live = LiveProcessesOf(session); !live.empty(); live = LiveProcessesOf(session)) {
            // A process killed goes on being listed until it has ended: it is named once.
            for (const pid_t pid : live) {
                if (std::chrono::steady_clock::now() < deadline || killed.count(pid) != 0) continue;
                settled.leftBehind.push_back(CommandLineOf(pid));
                killed.insert(pid);
                ::kill(pid, SIGKILL);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return settled;
}

// Far longer than any process of a run outlives the run on a busy machine: one still running then
// has hung, and is killed and named so that the suite goes on.
constexpr std::chrono::seconds kSettleLimit{60};

int ExitCode(const Settled& settled) {
    EXPECT_TRUE(settled.leftBehind.empty()) << "still running after the run: " << ::testing::PrintToString(settled.leftBehind);
    return WIFEXITED(settled.status) ? WEXITSTATUS(settled.status) : -1;
}

const char* const kHeader = "; MORVANE test header\r\n.Patch Names\r\n";
const char* const kTrailer = ".Instrument Definitions\r\n[Test]\r\n";

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile("Kronos_INS_header.ins", std::string(kHeader));
        WriteFile("Kronos_INS_trailer.ins", std::string(kTrailer));
        captureDir_ = fs::temp_directory_path() / ("morvane-e2e-capture-" + std::to_string(::getpid()));
        fs::create_directories(captureDir_);
    }
    void TearDown() override { fs::remove_all(captureDir_); }

    static std::string Executable() { return Env("MORVANE_EXE", MORVANE_DEFAULT_EXE); }

    // timeLimit: seconds after which the run is killed, for runs that once did not end.
    RunResult Morvane(const std::vector<std::string>& args, int timeLimit = 0) {
        return Run(Env("MORVANE_RUNNER", ""), Executable(), args, timeLimit);
    }

    // A copy of the executable under test in a folder of its own (outside the working
    // directory), so that no template lies beside it unless the test puts one there.
    std::string CopyOfExecutable(const std::string& subdirectory) {
        const fs::path directory = captureDir_ / subdirectory;
        fs::create_directories(directory);
        const fs::path copy = directory / fs::path(Executable()).filename();
        fs::copy_file(Executable(), copy, fs::copy_options::overwrite_existing);
        return copy.string();
    }
    RunResult MorvaneFrom(const std::string& exe, const std::vector<std::string>& args) {
        return Run(Env("MORVANE_RUNNER", ""), exe, args);
    }

    RunResult Run(const std::string& runner, const std::string& exe, const std::vector<std::string>& args,
                  int timeLimit = 0) {
        std::string command = timeLimit > 0 ? "timeout -s KILL " + std::to_string(timeLimit) + " " : "";
        command += runner;
        if (!command.empty()) command += " ";
        command += Quoted(exe);
        for (const std::string& arg : args) command += " " + Quoted(arg);
        const std::string out = (captureDir_ / "stdout").string(), err = (captureDir_ / "stderr").string();
        command += " </dev/null >" + Quoted(out) + " 2>" + Quoted(err);
        RunResult run;
        run.exitCode = ExitCode(RunSettled(command, kSettleLimit));
        run.out = ReadFile(out);
        run.err = ReadFile(err);
        return run;
    }

    testing_support::ScratchDirectory scratch_;
    fs::path captureDir_;
};

Bytes Records(std::uint32_t recordSize, const std::string& firstName) {
    Bytes records(128 * recordSize, 0);
    PutName(records, 0, firstName);
    return records;
}

// One program bank named Int A whose first program is firstName, then a wave sequence chunk.
Bytes SmallBank(const std::string& firstName) {
    return PcgFile({Chunk("PRG1", BankChunk("PBK1", 0, 4960, Records(4960, firstName))), Chunk("WSQ1", Bytes(4))});
}

// The sample bank file, converted in full: four program banks, two combination banks, one set
// list bank.
const Bytes& Sample() {
    static const Bytes sample = SamplePcg(SampleOptions{});
    return sample;
}

std::string Size(const Bytes& bytes) { return std::to_string(bytes.size()); }

std::string BareName(const std::string& name) { return name.substr(0, name.rfind('.')); }

// Line n of a console text counted from 0, or "<no line n>": a short output fails the check
// instead of reading past the end.
std::string LineAt(const std::string& text, std::size_t n) {
    const auto lines = Lines(text);
    return n < lines.size() ? lines[n] : "<no line " + std::to_string(n) + ">";
}

std::string LastLine(const std::string& text) {
    const auto lines = Lines(text);
    return lines.empty() ? "<no line>" : lines.back();
}

std::string BackslashesFor(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string Comment(const std::string& inputName) {
    return "; Kronos INS File generated by MORVANE from " + inputName + "\r\n";
}

// The section of SmallBank's program bank.
std::string Section(const std::string& firstName) {
    const std::string label = "IA";
    std::string section = "\r\n[Kronos Program Bank Int A]\r\n0=IA000 " + firstName + "\r\n";
    for (int i = 1; i < 128; ++i) {
        const std::string n = std::to_string(i);
        section += n + "=" + label + std::string(3 - n.size(), '0') + n + " \r\n";
    }
    return section;
}

std::string InsFor(const std::string& inputName, const std::string& firstName) {
    return Comment(inputName) + kHeader + Section(firstName) + kTrailer;
}

// Empties the working directory but for fresh templates.
void ResetDirectory() {
    for (const auto& entry : fs::directory_iterator(".")) fs::remove_all(entry.path());
    WriteFile("Kronos_INS_header.ins", std::string(kHeader));
    WriteFile("Kronos_INS_trailer.ins", std::string(kTrailer));
}

// A file's bytes and modification time. Taking it first sets the time to one long past, which any
// write to the file would replace with the present.
struct Snapshot {
    std::string path;
    std::string bytes;
    timespec modified{};
};

Snapshot TakeSnapshot(const std::string& path) {
    const timespec past[2] = {{946684800, 123456789}, {946684800, 123456789}};
    EXPECT_EQ(::utimensat(AT_FDCWD, path.c_str(), past, 0), 0) << path;
    Snapshot snapshot{path, ReadFile(path), {}};
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    snapshot.modified = info.st_mtim;
    return snapshot;
}

void ExpectUnchanged(const Snapshot& snapshot, const std::string& what) {
    EXPECT_EQ(ReadFile(snapshot.path), snapshot.bytes) << what << ": " << snapshot.path;
    struct stat info {};
    ASSERT_EQ(::stat(snapshot.path.c_str(), &info), 0) << what;
    EXPECT_EQ(info.st_mtim.tv_sec, snapshot.modified.tv_sec) << what << ": " << snapshot.path;
    EXPECT_EQ(info.st_mtim.tv_nsec, snapshot.modified.tv_nsec) << what << ": " << snapshot.path;
}

// The harness itself: a run is over when every process it started has ended, whatever the
// command's own status says and whichever session the processes are in; one that does not end is
// killed and named when the time is up, so that no wait hangs.
TEST(RunSettled, WaitsForEveryProcessTheRunLeftRunning) {
    testing_support::ScratchDirectory scratch;
    struct Case {
        const char* what;
        std::string command;
        int limit;
        int exitCode;
        const char* written;   // by the process left running, "" for none
        const char* killed;    // in the command line of the process killed, "" for none
    };
    const std::vector<Case> cases = {
        {"a child in the background", "(sleep 1; echo late >child.txt) & exit 3", 60, 3, "child.txt", ""},
        {"a session of its own, named",
         "setsid sh -c 'echo $$ >session.tmp && mv session.tmp session.txt; sleep 1; echo late >own.txt' & "
         "while [ ! -f session.txt ]; do sleep 0.01; done; exit 0",
         60, 0, "own.txt", ""},
        {"a process that does not end", "sleep 600 & exit 1", 1, 1, "", "sleep 600"},
    };
    for (const Case& c : cases) {
        fs::remove("session.txt");
        const auto start = std::chrono::steady_clock::now();
        const Settled settled = RunSettled(c.command, std::chrono::seconds(c.limit), "session.txt");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(c.limit + 10)) << c.what;
        EXPECT_TRUE(WIFEXITED(settled.status)) << c.what;
        EXPECT_EQ(WEXITSTATUS(settled.status), c.exitCode) << c.what;
        if (*c.written) {
            EXPECT_EQ(ReadFile(c.written), "late\n") << c.what;
        }
        if (*c.killed) {
            ASSERT_EQ(settled.leftBehind.size(), 1u) << c.what << ::testing::PrintToString(settled.leftBehind);
            EXPECT_NE(settled.leftBehind[0].find(c.killed), std::string::npos) << settled.leftBehind[0];
        } else {
            EXPECT_EQ(settled.leftBehind, std::vector<std::string>{}) << c.what;
        }
    }
}

TEST_F(EndToEnd, UsageWithoutPositionalArguments) {
    if (WindowsTarget()) GTEST_SKIP() << "Windows shows the usage in a message box";
    const std::string usage =
        "MORVANE Version 1.1 - Nov 2015\r\n"
        "Usage: MORVANE <infilename.pcg> \r\n"
        " INS file is generated as \"infilename.ins\"\r\n"
        "/V : Verbose Mode - debugging\r\n";
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"/V", "-t"}, {"", "bank.pcg"}}) {
        const RunResult run = Morvane(args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, usage);
        EXPECT_EQ(run.err, "");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);
}

TEST_F(EndToEnd, SingleFile) {
    const Bytes bank = SmallBank("Grand Piano");
    WriteFile("bank.pcg", bank);
    const RunResult run = Morvane({"bank.pcg"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Opened bank.pcg  Size: " + Size(bank) + "\r\nWriting file bank.ins\r\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFile("bank.ins"), InsFor("bank.pcg", "Grand Piano"));
    const auto listing = Lines(ReadFile("bank_out.txt"));
    ASSERT_EQ(listing.size(), 128u);
    EXPECT_EQ(listing[1], "PROGRAM Int A 001 \"" + std::string(24, ' ') + "\" 75944B80");
}

TEST_F(EndToEnd, OutputBaseFromTheThirdPositionalArgumentOnly) {
    const Bytes bank = SmallBank("P");
    WriteFile("a.pcg", bank);
    EXPECT_EQ(Morvane({"a.pcg", "out.ins"}).out, "Opened a.pcg  Size: " + Size(bank) + "\r\nWriting file a.ins\r\n");
    EXPECT_TRUE(FileExists("a.ins"));
    EXPECT_FALSE(FileExists("out.ins"));
    EXPECT_EQ(Morvane({"a.pcg", "out.ins", "x"}).out, "Opened a.pcg  Size: " + Size(bank) + "\r\nWriting file out.ins\r\n");
    EXPECT_TRUE(FileExists("out.ins"));
    EXPECT_TRUE(FileExists("out_out.txt"));
    EXPECT_EQ(ReadFile("out.ins"), ReadFile("a.ins"));
}

TEST_F(EndToEnd, ExtensionIsRemovedOnce) {
    const Bytes bank = SmallBank("P");
    WriteFile("my.bank.pcg", bank);
    WriteFile("r.x.y", bank);
    Morvane({"my.bank.pcg"});
    Morvane({"-V", "r.x.y", "-t"});
    EXPECT_TRUE(FileExists("my.bank.ins"));
    EXPECT_TRUE(FileExists("my.bank_out.txt"));
    EXPECT_TRUE(FileExists("r.x.ins"));
    EXPECT_FALSE(FileExists("my.ins"));
}

TEST_F(EndToEnd, InputInAnotherDirectoryWritesOutputsHere) {
    fs::create_directory("banks");
    const Bytes bank = SmallBank("Far Away");
    WriteFile("banks/far.pcg", bank);
    const std::string absolute = WindowsTarget() ? "Z:" + (fs::current_path() / "banks" / "far.pcg").string()
                                                 : (fs::current_path() / "banks" / "far.pcg").string();
    std::vector<std::string> names{"banks/far.pcg", absolute};
    if (WindowsTarget()) {
        names.push_back("banks\\far.pcg");
        names.push_back(BackslashesFor(absolute));
    }
    for (const std::string& name : names) {
        fs::remove("far.ins");
        const RunResult run = Morvane({name});
        EXPECT_EQ(run.out, "Opened " + name + "  Size: " + Size(bank) + "\r\nWriting file far.ins\r\n");
        EXPECT_EQ(ReadFile("far.ins"), InsFor(name, "Far Away"));
        EXPECT_FALSE(FileExists("banks/far.ins"));
    }
}

// The reason on standard error is the system's own; Windows words it its way.
TEST_F(EndToEnd, InputsThatCannotBeOpened) {
    fs::create_directory("folder.pcg");
    // A line break in a name does not break the report's line.
    const std::pair<const char*, const char*> cases[] = {{"missing.pcg", "No such file or directory"},
                                                         {"folder.pcg", "Is a directory"},
                                                         {"what?.pcg", "No such file or directory"},
                                                         {"line\nbreak.pcg", "No such file or directory"}};
    for (const auto& [name, reason] : cases) {
        std::string shown = name;
        // A Windows command line splits at the line break.
        if (WindowsTarget() && shown.find('\n') != std::string::npos) continue;
        const RunResult run = Morvane({name});
        EXPECT_EQ(run.exitCode, 1) << name;
        EXPECT_EQ(run.out, std::string("Could not open ") + name + "\r\n");
        std::replace(shown.begin(), shown.end(), '\n', ' ');
        const std::string lead = "morvane: " + shown + ": I/O error: ";
        EXPECT_EQ(run.err.substr(0, lead.size()), lead) << run.err;
        EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
        if (!WindowsTarget()) {
            EXPECT_EQ(run.err, lead + reason + "\r\n");
        }
    }
    EXPECT_FALSE(FileExists("missing.ins"));
    EXPECT_FALSE(FileExists("folder.ins"));
}

TEST_F(EndToEnd, InputNamedLikeItsOwnOutputIsNeverOverwritten) {
    const Bytes bank = SmallBank("Keep Me");
    WriteFile("x.ins", bank);
    const RunResult run = Morvane({"x.ins"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Opened x.ins  Size: " + Size(bank) + "\r\nCould not open x.ins\r\n");
    EXPECT_EQ(run.err, "morvane: x.ins: I/O error: output would overwrite the input\r\n");
    EXPECT_EQ(ReadFile("x.ins"), std::string(bank.begin(), bank.end()));
    EXPECT_EQ(ReadFile("x_out.txt"), "");
}

TEST_F(EndToEnd, RejectedFileStillGetsBothOutputs) {
    WriteFile("junk.pcg", std::string("KORG\x51"));
    const RunResult run = Morvane({"junk.pcg"});
    EXPECT_EQ(run.out, "Opened junk.pcg  Size: 5\r\nWriting file junk.ins\r\nPCG file does not have a valid KORG header.\r\n");
    EXPECT_EQ(ReadFile("junk.ins"), Comment("junk.pcg") + kHeader + kTrailer);
    EXPECT_EQ(ReadFile("junk_out.txt"), "");
}

TEST_F(EndToEnd, VerboseTrace) {
    const Bytes bank = SmallBank("Traced");
    WriteFile("bank.pcg", bank);
    const RunResult run = Morvane({"bank.pcg", "/v"});
    const auto lines = Lines(run.out);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], "Opened bank.pcg  Size: " + Size(bank));
    EXPECT_EQ(lines[1], "Writing file bank.ins");
    EXPECT_EQ(lines[2].substr(0, 30), "PCGChunk PCG1:   Name: PCG1  S");
    EXPECT_EQ(lines[3], " Start 2nd level parsing...");
    EXPECT_EQ(lines[4], "Enter Parse_Chunk with PRG1");
    EXPECT_EQ(lines[7], "HD1 Prog: PBK1 Bank Read: reading 634880 bytes into array");
    EXPECT_EQ(lines[8], "BankID: 00000000 Int A NumProgs: 128 SizeOfProg: 4960 1stName: Traced");
    EXPECT_EQ(lines.back(), " File contains no more programs.");
}

TEST_F(EndToEnd, ErrorDuringTheWalkInSingleFileMode) {
    const Bytes bank = PcgFile({Chunk("PRG1", BankChunk("PBK1", 0, 4960, Records(4960, "Listed"))),
                                Concat({ChunkHeaderBytes("WSQ1", 0x80000000u), Bytes(4)})});
    WriteFile("big.pcg", bank);
    const RunResult run = Morvane({"big.pcg"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Opened big.pcg  Size: " + Size(bank) + "\r\nWriting file big.ins\r\nCould not open big.pcg\r\n");
    EXPECT_EQ(run.err, "morvane: big.pcg: Range error: chunk size -2147483648 is negative\r\n");
    EXPECT_EQ(ReadFile("big.ins"), InsFor("big.pcg", "Listed"));
    EXPECT_EQ(Lines(ReadFile("big_out.txt")).size(), 128u);
}

TEST_F(EndToEnd, PatternModeConvertsEveryMatchInNameOrder) {
    fs::create_directory("banks");
    WriteFile("banks/b.pcg", SmallBank("Bravo"));
    WriteFile("banks/A.PCG", SmallBank("Alpha"));
    WriteFile("banks/c.txt", SmallBank("Not Me"));
    const std::string pattern = WindowsTarget() ? "banks\\*.pcg" : "banks/*.pcg";
    const std::string delimiter = WindowsTarget() ? "\\" : "/";
    const RunResult run = Morvane({pattern});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "\r\nOpened \"banks" + delimiter + "A.PCG\r\nWriting file A.ins\r\n"
                       "\r\nOpened \"banks" + delimiter + "b.pcg\r\nWriting file b.ins\r\n");
    EXPECT_EQ(ReadFile("A.ins"), InsFor(pattern, "Alpha"));
    EXPECT_EQ(ReadFile("b.ins"), InsFor(pattern, "Bravo"));
    EXPECT_TRUE(FileExists("A_out.txt"));
    EXPECT_FALSE(FileExists("c.ins"));
}

TEST_F(EndToEnd, PatternModeCarriesBankBuffersFromOneFileToTheNext) {
    WriteFile("1.pcg", SmallBank("From The First"));
    const Bytes mismatch = PcgFile({Chunk("PRG1", Chunk("PBK1", Concat({BankHeaderBytes(1, 4960, 0), Records(4960, "Unread")})))});
    WriteFile("2.pcg", mismatch);
    const RunResult run = Morvane({"*.pcg", "/V"});
    EXPECT_NE(run.out.find("HD1 Prog: PBK1 Error: bank header data size (4960 * 1 = 4960) doesn't match size of dest "
                           "array (634880)\r\nBankID: 00000000 Int A NumProgs: 1 SizeOfProg: 4960 1stName: From The First\r\n"),
              std::string::npos)
        << run.out;
}

TEST_F(EndToEnd, PatternThatMatchesNothing) {
    for (const char* pattern : {"*.pcg", "no-such-dir/*.pcg"}) {
        const RunResult run = Morvane({pattern});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, std::string("morvane: ") + pattern + ": no file matches the pattern\r\n");
    }
}

TEST_F(EndToEnd, MatchingSubdirectoryEndsThePatternRun) {
    fs::create_directory("banks");
    WriteFile("banks/a.pcg", SmallBank("First"));
    fs::create_directory("banks/b.pcg");
    WriteFile("banks/c.pcg", SmallBank("Never"));
    const RunResult run = Morvane({WindowsTarget() ? "banks\\*" : "banks/*"});
    EXPECT_EQ(run.exitCode, 1);
    const std::string delimiter = WindowsTarget() ? "\\" : "/";
    EXPECT_EQ(run.out, "\r\nOpened \"banks" + delimiter + "a.pcg\r\nWriting file a.ins\r\n");
    EXPECT_TRUE(FileExists("a.ins"));
    EXPECT_FALSE(FileExists("c.ins"));
    ASSERT_EQ(Lines(run.err).size(), 1u);
    const std::string lead = "morvane: banks" + delimiter + "b.pcg: I/O error: ";
    EXPECT_EQ(run.err.substr(0, lead.size()), lead) << run.err;
    EXPECT_EQ(run.err.substr(run.err.size() - 2), "\r\n");
}

// Both templates are looked for before any output is created: a missing one leaves the outputs
// of an earlier run as they were, and a pattern run stops at its first match.
TEST_F(EndToEnd, MissingTemplateStopsBeforeAnyOutputIsTouched) {
    const std::string bare = CopyOfExecutable("bare");
    const Bytes bank = SmallBank("P");
    for (const char* missing : {"Kronos_INS_header.ins", "Kronos_INS_trailer.ins"}) {
        for (const bool pattern : {false, true}) {
            const std::string what = std::string(missing) + (pattern ? ", pattern" : "");
            ResetDirectory();
            WriteFile("a.pcg", bank);
            WriteFile("b.pcg", bank);
            WriteFile("a.ins", std::string("earlier .ins"));
            WriteFile("a_out.txt", std::string("earlier listing"));
            fs::remove(missing);
            const Snapshot input = TakeSnapshot("a.pcg");
            const RunResult run = MorvaneFrom(bare, {pattern ? "*.pcg" : "a.pcg"});
            EXPECT_EQ(run.exitCode, 1) << what;
            const std::string opened = pattern ? "\r\nOpened \"a.pcg\r\n" : "Opened a.pcg  Size: " + Size(bank) + "\r\n";
            EXPECT_EQ(run.out, opened + "ERROR -- File not found:  " + missing + "\r\nError - file \"" + missing + "\" not found\r\n")
                << what;
            const std::string lead = std::string("morvane: ") + missing + ": template missing; looked in the working directory";
            EXPECT_EQ(run.err.substr(0, lead.size()), lead) << what << ": " << run.err;
            EXPECT_EQ(Lines(run.err).size(), 1u) << what;
            EXPECT_EQ(ReadFile("a.ins"), "earlier .ins") << what;
            EXPECT_EQ(ReadFile("a_out.txt"), "earlier listing") << what;
            EXPECT_FALSE(FileExists("b.ins")) << what;
            ExpectUnchanged(input, what);
        }
    }
}

// A file that is not converted is one line on standard error and exit status 1; in pattern mode
// the next matches are still converted.
TEST_F(EndToEnd, ExitStatusSaysWhetherEveryFileWasConverted) {
    struct Case {
        const char* name;
        Bytes bytes;
        const char* failure;  // empty: converted
    };
    const Case cases[] = {
        {"a-good.pcg", SmallBank("P"), ""},
        {"b-glb.pcg", PcgFile({Chunk("PRG1", BankChunk("PBK1", 0, 4960, Records(4960, "P"))), Chunk("GLB1", Bytes(3))}), ""},
        {"c-junk.pcg", Text("not a bank file"), "not a PCG file: it does not begin with a KORG header"},
        {"d-bad.pcg", PcgFile({Chunk("PRG1", Chunk("PBK1", Concat({BankHeaderBytes(1, 4960, 0), Records(4960, "P")})))}),
         "bank Int A (PBK1) is not a Kronos bank: 1 records of 4960 bytes, expected 128 of 4960"},
        {"e-cut.pcg", Concat({PcgFile({}), ChunkHeaderBytes("PRG1", 700000), ChunkHeaderBytes("PBK1", 700000), BankHeaderBytes(128, 4960, 0)}),
         "bank Int A (PBK1) is cut short"},
        // Cut where the walk only steps: after the program chunk (634916 bytes from offset 28).
        {"f-drums.pcg", Concat({PcgFile({Chunk("PRG1", BankChunk("PBK1", 0, 4960, Records(4960, "P")))}), ChunkHeaderBytes("DKT1", 65536), Bytes(100)}),
         "the DKT1 chunk at offset 634944 is cut short"},
        {"g-torn.pcg", Concat({SmallBank("P"), Bytes(5)}), "the chunk header at offset 634960 is cut short"},
    };
    std::string failures;
    for (const Case& c : cases) {
        WriteFile(c.name, c.bytes);
        const RunResult run = Morvane({c.name});
        const std::string failure = *c.failure ? std::string("morvane: ") + c.name + ": " + c.failure + "\r\n" : "";
        EXPECT_EQ(run.exitCode, *c.failure ? 1 : 0) << c.name;
        EXPECT_EQ(run.err, failure) << c.name;
        failures += failure;
        fs::remove(BareName(c.name) + ".ins");
    }
    const RunResult pattern = Morvane({"*.pcg"});
    EXPECT_EQ(pattern.exitCode, 1);
    EXPECT_EQ(pattern.err, failures);
    for (const Case& c : cases) EXPECT_TRUE(FileExists(BareName(c.name) + ".ins")) << c.name;
    // Stepping over every chunk passes the same cut.
    const RunResult topLevel = Morvane({"/T", "f-drums.pcg"});
    EXPECT_EQ(topLevel.exitCode, 1);
    EXPECT_EQ(topLevel.err, "morvane: f-drums.pcg: the DKT1 chunk at offset 634944 is cut short\r\n");
}

// Each template on its own: the working directory first, then beside the executable, then the
// installed layout's ../share/morvane.
TEST_F(EndToEnd, TemplatesAreFoundBesideTheProgramUnlessTheWorkingDirectoryHasOne) {
    const fs::path program = fs::path(CopyOfExecutable("program")).parent_path();
    WriteFile((program / "Kronos_INS_header.ins").string(), std::string("; beside\r\n"));
    WriteFile((program / "Kronos_INS_trailer.ins").string(), std::string("; trailer beside\r\n"));
    const std::string exe = (program / fs::path(Executable()).filename()).string();
    fs::remove("Kronos_INS_header.ins");
    fs::remove("Kronos_INS_trailer.ins");
    WriteFile("bank.pcg", SmallBank("Found"));
    const std::string section = Section("Found");

    EXPECT_EQ(MorvaneFrom(exe, {"bank.pcg"}).exitCode, 0);
    EXPECT_EQ(ReadFile("bank.ins"), Comment("bank.pcg") + "; beside\r\n" + section + "; trailer beside\r\n");
    WriteFile("Kronos_INS_header.ins", std::string("; mine\r\n"));
    EXPECT_EQ(MorvaneFrom(exe, {"bank.pcg"}).exitCode, 0);
    EXPECT_EQ(ReadFile("bank.ins"), Comment("bank.pcg") + "; mine\r\n" + section + "; trailer beside\r\n");
    // One that is there but cannot be read is never passed over for the program's own.
    fs::create_directory("Kronos_INS_trailer.ins");
    const RunResult unreadable = MorvaneFrom(exe, {"bank.pcg"});
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_EQ(LastLine(unreadable.out), "Error - file \"Kronos_INS_trailer.ins\" not found");
    EXPECT_EQ(unreadable.err, "morvane: Kronos_INS_trailer.ins: template Kronos_INS_trailer.ins cannot be read\r\n");
    fs::remove("Kronos_INS_trailer.ins");
    if (WindowsTarget()) return;

    const fs::path root = captureDir_ / "root";
    fs::create_directories(root / "bin");
    fs::create_directories(root / "share" / "morvane");
    fs::copy_file(exe, root / "bin" / "morvane");
    WriteFile((root / "share" / "morvane" / "Kronos_INS_trailer.ins").string(), std::string("; trailer installed\r\n"));
    EXPECT_EQ(MorvaneFrom((root / "bin" / "morvane").string(), {"bank.pcg"}).exitCode, 0);
    EXPECT_EQ(ReadFile("bank.ins"), Comment("bank.pcg") + "; mine\r\n" + section + "; trailer installed\r\n");
}

TEST_F(EndToEnd, HelpAndVersion) {
    WriteFile("bank.pcg", SmallBank("P"));
    const std::string help = Morvane({"--help"}).out;
    EXPECT_EQ(help.substr(0, 8 + std::string(MORVANE_VERSION).size()), "MORVANE " MORVANE_VERSION);
    for (const char* needed : {"/V ", "/T ", "/M ", "/R ", "/C ", "/L ", "/A ", "/D ", "Exit status", "Kronos_INS_header.ins", "Examples"})
        EXPECT_NE(help.find(needed), std::string::npos) << needed;
    for (const std::vector<std::string>& args : {std::vector<std::string>{"-?"}, {"/?", "bank.pcg"}, {"bank.pcg", "--help", "/V"}}) {
        const RunResult run = Morvane(args);
        EXPECT_EQ(run.exitCode, 0) << args[0];
        EXPECT_EQ(run.out, help) << args[0];
        EXPECT_EQ(run.err, "") << args[0];
    }
    EXPECT_FALSE(FileExists("bank.ins"));
    // The license line says what LICENSE says: its holder (the copyright line) and its title.
    const std::string license = ReadFile(MORVANE_LICENSE_FILE);
    const std::size_t holder = license.find("\nCopyright (c) ") + 1;
    const std::string licenseLine = license.substr(holder, license.find('\n', holder) - holder) + ", under the " +
                                    license.substr(0, license.find('\n'));
    const RunResult version = Morvane({"--version", "bank.pcg"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "MORVANE " MORVANE_VERSION "\r\n" + licenseLine + "\r\n");
    EXPECT_FALSE(FileExists("bank.ins"));
}

TEST_F(EndToEnd, NameWithBlanksIsOneArgument) {
    const Bytes bank = SmallBank("Spaced Out");
    WriteFile("my bank.pcg", bank);
    const RunResult run = Morvane({"/V", "my bank.pcg", "-t"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(LineAt(run.out, 0), "Opened my bank.pcg  Size: " + Size(bank));
    EXPECT_EQ(LineAt(run.out, 1), "Writing file my bank.ins");
    EXPECT_EQ(ReadFile("my bank.ins"), Comment("my bank.pcg") + kHeader + kTrailer);
    EXPECT_EQ(ReadFile("my bank_out.txt"), "");

    fs::remove("my bank.ins");
    const RunResult pattern = Morvane({"my *.pcg"});
    EXPECT_EQ(pattern.exitCode, 0);
    EXPECT_EQ(pattern.out, "\r\nOpened \"my bank.pcg\r\nWriting file my bank.ins\r\n");
    EXPECT_EQ(ReadFile("my bank.ins"), InsFor("my *.pcg", "Spaced Out"));
}

TEST_F(EndToEnd, PatternModeTakesHiddenAndReadOnlyFiles) {
    // Wine reports a name that begins with a dot as a hidden file and a file without write
    // permission as read-only.
    WriteFile(".hidden.pcg", SmallBank("Hidden"));
    WriteFile("locked.pcg", SmallBank("Read Only"));
    fs::permissions("locked.pcg", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const RunResult run = Morvane({"*.pcg"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("\r\nOpened \".hidden.pcg\r\nWriting file .hidden.ins\r\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\r\nOpened \"locked.pcg\r\nWriting file locked.ins\r\n"), std::string::npos) << run.out;
    EXPECT_EQ(ReadFile(".hidden.ins"), InsFor("*.pcg", "Hidden"));
    EXPECT_EQ(ReadFile("locked.ins"), InsFor("*.pcg", "Read Only"));
}

TEST_F(EndToEnd, SizeBeyond32BitsIsShownWhole) {
    WriteFile("huge.pcg", std::string("NOT A KORG FILE!"));
    // Sparse: the file system stores the first bytes only.
    const std::int64_t size = (std::int64_t{1} << 32) + 16;
    ASSERT_EQ(::truncate("huge.pcg", size), 0);
    const RunResult run = Morvane({"huge.pcg"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Opened huge.pcg  Size: 4294967312\r\nWriting file huge.ins\r\n"
                       "PCG file does not have a valid KORG header.\r\n");
    EXPECT_EQ(ReadFile("huge.ins"), Comment("huge.pcg") + kHeader + kTrailer);
}

// The bundled sample and templates through the build under test and through the reference
// build: every console byte, every output byte and the exit code agree.
TEST_F(EndToEnd, SameBytesAsTheReferenceBuild) {
    const std::string reference = Env("MORVANE_REFERENCE_EXE", "");
    if (reference.empty()) GTEST_SKIP() << "MORVANE_REFERENCE_EXE names no build to compare with";
    const fs::path home = fs::current_path();
    const std::vector<std::vector<std::string>> commandLines{{"sample.pcg"},       {"/V", "sample.pcg"},
                                                             {"sample.pcg", "-v", "/T"}, {"*.pcg", "/V"},
                                                             {"/A", "sample.pcg"}, {"/D", "sample.pcg", "sample.pcg"}};
    SampleOptions full;
    full.full = true;
    std::vector<std::pair<std::string, Bytes>> samples{
        {"sample:", SamplePcg(SampleOptions{})}, {"full sample:", SamplePcg(full)}, {"Triton Extreme sample:", TritonExtremeSample()},
        {"Kross 2 sample:", ContainerModelSample(0xC9)}};
    const std::string real = Env("MORVANE_REAL_TRITON", MORVANE_REAL_TRITON);
    if (FileExists(real)) {
        const std::string bytes = ReadFile(real);
        samples.emplace_back("real Triton bank:", Bytes(bytes.begin(), bytes.end()));
    }
    for (const auto& [label, sample] : samples) {
        for (const char* dir : {"tested", "reference"}) {
            fs::remove_all(home / dir);
            fs::create_directory(home / dir);
            WriteFile((home / dir / "sample.pcg").string(), sample);
            for (const auto& bundled : fs::directory_iterator(MORVANE_TEMPLATE_DIR)) fs::copy_file(bundled.path(), home / dir / bundled.path().filename());
        }
        for (const std::vector<std::string>& args : commandLines) {
            std::string what = label;
            for (const std::string& arg : args) what += " " + arg;
            fs::current_path(home / "tested");
            const RunResult tested = Morvane(args);
            fs::current_path(home / "reference");
            const RunResult expected = Run("", reference, args);
            fs::current_path(home);
            EXPECT_EQ(tested.exitCode, expected.exitCode) << what;
            EXPECT_EQ(tested.out, expected.out) << what;
            EXPECT_EQ(tested.err, expected.err) << what;
            EXPECT_EQ(expected.exitCode, 0) << what;
            for (const char* output : {"sample.ins", "sample_out.txt", "sample.midnam", "sample_programs.reabank",
                                       "sample_combis.reabank", "sample_cubase.txt", "sample.csv"}) {
                const std::string wanted = (home / "reference" / output).string(), got = (home / "tested" / output).string();
                EXPECT_EQ(FileExists(got), FileExists(wanted)) << what << ": " << output;
                if (!FileExists(wanted) || !FileExists(got)) continue;
                EXPECT_TRUE(ReadFile(got) == ReadFile(wanted)) << what << ": " << output << " differs";
                fs::remove(wanted);
                fs::remove(got);
            }
        }
    }
}

// ---- The extra output formats

// A program bank Int A and a combination bank User B.
Bytes TwoModes(const std::string& firstName) {
    return PcgFile({Chunk("PRG1", BankChunk("PBK1", 0, 4960, Records(4960, firstName))),
                    Chunk("CMB1", BankChunk("CBK1", 0x20001, 7810, Records(7810, "Split")))});
}

// Each switch adds its files after the walk, in a fixed order, and changes nothing else.
TEST_F(EndToEnd, ExtraFormatsForEachSwitch) {
    WriteFile("bank.pcg", TwoModes("Grand"));
    ASSERT_EQ(Morvane({"bank.pcg"}).exitCode, 0);
    const std::string ins = ReadFile("bank.ins"), listing = ReadFile("bank_out.txt");
    const std::vector<std::string> all{"bank.midnam", "bank_programs.reabank", "bank_combis.reabank", "bank_cubase.txt", "bank.csv"};
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {{"/M", "bank.pcg"}, {"bank.midnam"}},
        {{"bank.pcg", "-r"}, {"bank_programs.reabank", "bank_combis.reabank"}},
        {{"-Cubase", "bank.pcg"}, {"bank_cubase.txt"}},
        {{"/l", "bank.pcg"}, {"bank.csv"}},
        {{"-list", "bank.pcg", "/midnam"}, {"bank.midnam", "bank.csv"}},
        {{"bank.pcg", "/A"}, all},
    };
    for (const Case& c : cases) {
        for (const std::string& file : all) fs::remove(file);
        const RunResult run = Morvane(c.args);
        std::string out = "Opened bank.pcg  Size: " + Size(TwoModes("Grand")) + "\r\nWriting file bank.ins\r\n";
        for (const std::string& file : c.files) out += "Writing file " + file + "\r\n";
        EXPECT_EQ(run.exitCode, 0) << c.args[0];
        EXPECT_EQ(run.out, out);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(ReadFile("bank.ins"), ins) << c.args[0];
        EXPECT_EQ(ReadFile("bank_out.txt"), listing) << c.args[0];
        for (const std::string& file : all) {
            EXPECT_EQ(FileExists(file), std::find(c.files.begin(), c.files.end(), file) != c.files.end()) << c.args[0] << ": " << file;
        }
    }
    EXPECT_EQ(LineAt(ReadFile("bank_programs.reabank"), 3), "0 IA000 Grand");
    EXPECT_EQ(LineAt(ReadFile("bank_cubase.txt"), 11 + 130), "[p2, 0, 0, 9]UB000 Split");
}

// Each match gets its own files, which name the match, not the pattern.
TEST_F(EndToEnd, ExtraFormatsInPatternMode) {
    fs::create_directory("in");
    WriteFile("in/a.pcg", TwoModes("Alpha"));
    WriteFile("in/b.pcg", TwoModes("Bravo"));
    const std::string delimiter = WindowsTarget() ? "\\" : "/";
    const RunResult run = Morvane({"/A", "in" + delimiter + "*.pcg"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    for (const char* base : {"a", "b"}) {
        const std::string match = "in" + delimiter + base + ".pcg";
        EXPECT_NE(run.out.find("\r\nOpened \"" + match + "\r\nWriting file " + base + ".ins\r\nWriting file " + base + ".midnam\r\n"),
                  std::string::npos) << run.out;
        EXPECT_EQ(LineAt(ReadFile(std::string(base) + ".midnam"), 3), "  <Author>MORVANE " MORVANE_VERSION " from " + match + "</Author>");
        EXPECT_EQ(LineAt(ReadFile(std::string(base) + "_combis.reabank"), 0),
                  "// REAPER bank file: Korg Kronos combinations of " + match + ", written by MORVANE " MORVANE_VERSION);
        EXPECT_EQ(Lines(ReadFile(std::string(base) + ".csv")).size(), 257u);
    }
    EXPECT_EQ(LineAt(ReadFile("b.csv"), 1).substr(0, 27), "Program,Int A,0,IA000,Bravo");
}

TEST_F(EndToEnd, ExtraFormatNeverOverwritesTheInput) {
    const Bytes bank = TwoModes("Kept");
    WriteFile("x.csv", bank);
    const Snapshot input = TakeSnapshot("x.csv");
    const RunResult run = Morvane({"/L", "x.csv"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Opened x.csv  Size: " + Size(bank) + "\r\nWriting file x.ins\r\nCould not open x.csv\r\n");
    EXPECT_EQ(run.err, "morvane: x.csv: I/O error: output would overwrite the input\r\n");
    ExpectUnchanged(input, "x.csv");
}

// The MIDNAM file of the bundled sample against the MMA's DTD, where xmllint and the DTD are
// at hand (neither is needed to build or run the other tests).
TEST_F(EndToEnd, SampleMidnamValidatesAgainstTheDtd) {
    const std::string dtd = Env("MORVANE_MIDNAM_DTD", MORVANE_MIDNAM_DTD);
    if (!FileExists(dtd)) GTEST_SKIP() << "no MIDI Name Document DTD at " << dtd;
    if (std::system("xmllint --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xmllint";
    WriteFile("sample.pcg", Sample());
    ASSERT_EQ(Morvane({"/A", "sample.pcg"}).exitCode, 0);
    const std::string command = "xmllint --noout --nonet --dtdvalid " + Quoted(dtd) + " sample.midnam 2>xmllint.txt";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadFile("xmllint.txt");
}

// ---- Compare mode

// old.pcg and new.pcg: program 5 of Int A renamed, a combination bank only in the new file.
void WriteComparedPair() {
    Bytes programs = Records(4960, "Strings");
    PutName(programs, 5 * 4960, "Old Name");
    WriteFile("old.pcg", PcgFile({Chunk("PRG1", BankChunk("PBK1", 0, 4960, programs))}));
    PutName(programs, 5 * 4960, "New Name");
    WriteFile("new.pcg", PcgFile({Chunk("PRG1", BankChunk("PBK1", 0, 4960, programs)),
                                  Chunk("CMB1", BankChunk("CBK1", 0x20000, 7810, Records(7810, "Split")))}));
}

// Compare mode writes nothing and needs no template: run from a folder without any, by a copy
// of the program without any beside it.
TEST_F(EndToEnd, CompareTwoBankFiles) {
    const std::string bare = CopyOfExecutable("bare");
    fs::remove("Kronos_INS_header.ins");
    fs::remove("Kronos_INS_trailer.ins");
    WriteComparedPair();
    const RunResult run = MorvaneFrom(bare, {"/D", "old.pcg", "new.pcg", "/V", "-t"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "PROGRAM Int A  005 renamed \"Old Name\" -> \"New Name\"\r\n"
                       "COMBI   User A     only in new.pcg\r\n"
                       "127 same, 1 renamed, 0 changed, 0 moved, 0 copied; banks only in old.pcg: 0, only in new.pcg: 1\r\n");

    std::vector<std::string> sameFile{"old.pcg"};
    if (!WindowsTarget()) {
        fs::create_hard_link("old.pcg", "hard.pcg");
        fs::create_symlink("old.pcg", "soft.pcg");
        sameFile.insert(sameFile.end(), {"hard.pcg", "soft.pcg"});
    }
    for (const std::string& other : sameFile) {
        const RunResult same = MorvaneFrom(bare, {"-diff", "old.pcg", other});
        EXPECT_EQ(same.exitCode, 0) << other;
        EXPECT_EQ(same.out, "128 same, 0 renamed, 0 changed, 0 moved, 0 copied; banks only in old.pcg: 0, only in " + other + ": 0\r\n");
        EXPECT_EQ(same.err, "") << other;
    }
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(".")) left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    const std::vector<std::string> inputs = {"hard.pcg", "new.pcg", "old.pcg", "soft.pcg"};
    EXPECT_EQ(left, WindowsTarget() ? std::vector<std::string>(inputs.begin() + 1, inputs.begin() + 3) : inputs);
}

// Trouble is exit status 2 with the reason on standard error and no finding.
TEST_F(EndToEnd, CompareTrouble) {
    WriteComparedPair();
    WriteFile("junk.pcg", Text("not a bank file"));
    WriteFile("cut.pcg", Concat({PcgFile({}), ChunkHeaderBytes("PRG1", 700000), ChunkHeaderBytes("PBK1", 700000), BankHeaderBytes(128, 4960, 0)}));
    WriteFile("torn.pcg", ReadFile("new.pcg") + std::string(3, '\0'));
    fs::create_directory("folder.pcg");
    const std::string lead = "morvane: /D: compares exactly two bank files, as in morvane /D old.pcg new.pcg; ";
    struct Case {
        std::vector<std::string> args;
        std::string err;  // the whole line, or its start when it ends in the system's words
    };
    const Case cases[] = {
        {{"/D"}, lead + "0 file names were given\r\n"},
        {{"/D", "old.pcg"}, lead + "1 file name was given\r\n"},
        {{"/D", "old.pcg", "new.pcg", "x.pcg"}, lead + "3 file names were given\r\n"},
        {{"/D", "*.pcg", "new.pcg"}, "morvane: *.pcg: /D compares two files, not the matches of a pattern\r\n"},
        {{"/D", "old.pcg", "junk.pcg"}, "morvane: junk.pcg: not a PCG file: it does not begin with a KORG header\r\n"},
        {{"/D", "cut.pcg", "new.pcg"}, "morvane: cut.pcg: bank Int A (PBK1) is cut short\r\n"},
        {{"/D", "old.pcg", "torn.pcg"}, "morvane: torn.pcg: the chunk header at offset "},
        {{"/D", "missing.pcg", "new.pcg"}, "morvane: missing.pcg: I/O error: "},
        {{"/D", "old.pcg", "folder.pcg"}, "morvane: folder.pcg: I/O error: "},
    };
    for (const Case& c : cases) {
        const RunResult run = Morvane(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.err;
        EXPECT_EQ(run.out, "") << c.err;
        EXPECT_EQ(run.err.substr(0, c.err.size()), c.err);
        EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
    }
}

// ---- The Triton family

std::string TemplateText(const std::string& name) { return ReadFile(std::string(MORVANE_TEMPLATE_DIR "/") + name); }

// The Triton factory bank through the program with its bundled templates: nine banks, every
// format, each written as its reader takes it.
TEST_F(EndToEnd, RealTritonFactoryBank) {
    const std::string real = Env("MORVANE_REAL_TRITON", MORVANE_REAL_TRITON);
    if (!FileExists(real)) GTEST_SKIP() << "no real Triton bank file at " << real;
    fs::copy_file(real, "Factory_Triton.PCG");
    const RunResult run = Morvane({"/A", "Factory_Triton.PCG"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "Opened Factory_Triton.PCG  Size: 705960\r\nWriting file Factory_Triton.ins\r\n"
                       "Writing file Factory_Triton.midnam\r\nWriting file Factory_Triton_programs.reabank\r\n"
                       "Writing file Factory_Triton_combis.reabank\r\nWriting file Factory_Triton_cubase.txt\r\n"
                       "Writing file Factory_Triton.csv\r\n");
    const std::string ins = ReadFile("Factory_Triton.ins"), header = TemplateText("Triton_INS_header.ins"),
                      trailer = TemplateText("Triton_INS_trailer.ins");
    const std::string comment = "; Triton INS File generated by MORVANE from Factory_Triton.PCG\r\n";
    ASSERT_GT(ins.size(), comment.size() + header.size() + trailer.size());
    EXPECT_EQ(ins.substr(0, comment.size() + header.size()), comment + header);
    EXPECT_EQ(ins.substr(ins.size() - trailer.size()), trailer);
    std::vector<std::string> heads;
    std::size_t entries = 0;
    const std::string sections = ins.substr(comment.size() + header.size(), ins.size() - comment.size() - header.size() - trailer.size());
    for (const std::string& line : Lines(sections)) {
        if (line.rfind("[Triton ", 0) == 0) heads.push_back(line);
        if (!line.empty() && line[0] != '[') ++entries;
    }
    const std::vector<std::string> expectedHeads{"[Triton Program Bank A]", "[Triton Program Bank B]", "[Triton Program Bank C]",
                                                 "[Triton Program Bank D]", "[Triton Program Bank E]", "[Triton Combi Bank A]",
                                                 "[Triton Combi Bank B]",   "[Triton Combi Bank C]",   "[Triton Combi Bank D]"};
    EXPECT_EQ(heads, expectedHeads);
    EXPECT_EQ(entries, 1152u);
    EXPECT_NE(sections.find("\r\n[Triton Program Bank A]\r\n0=A000 Noisy Stabber   \r\n"), std::string::npos);
    EXPECT_NE(sections.find("\r\n[Triton Combi Bank A]\r\n0=A000 Romance Layers  \r\n"), std::string::npos);
    const auto listing = Lines(ReadFile("Factory_Triton_out.txt"));
    ASSERT_EQ(listing.size(), 1152u);
    EXPECT_EQ(listing[0], "PROGRAM    A 000 \"        Noisy Stabber   \" 70356F22");
    EXPECT_EQ(listing[640].substr(0, 44), "COMBI      A 000 \"        Romance Layers  \" ");
    EXPECT_EQ(LineAt(ReadFile("Factory_Triton_programs.reabank"), 3), "0 A000 Noisy Stabber");
    EXPECT_EQ(LineAt(ReadFile("Factory_Triton_cubase.txt"), 5), "[device name]Triton");
    EXPECT_EQ(Lines(ReadFile("Factory_Triton.csv")).size(), 1153u);

    const std::string dtd = Env("MORVANE_MIDNAM_DTD", MORVANE_MIDNAM_DTD);
    if (FileExists(dtd) && std::system("xmllint --version >/dev/null 2>&1") == 0) {
        const std::string command = "xmllint --noout --nonet --dtdvalid " + Quoted(dtd) + " Factory_Triton.midnam 2>xmllint.txt";
        EXPECT_EQ(std::system(command.c_str()), 0) << ReadFile("xmllint.txt");
    }
}

// A built Triton Extreme file beside a Kronos file: each converts with its own model's templates,
// in one pattern run too; compare takes two files of one model and refuses two models.
TEST_F(EndToEnd, TritonExtremeBesideKronos) {
    const Bytes extreme = TritonExtremeSample();
    WriteFile("te.pcg", extreme);
    WriteFile("kronos.pcg", SmallBank("Grand"));
    const RunResult run = Morvane({"*.pcg"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFile("kronos.ins"), InsFor("*.pcg", "Grand"));  // the working directory's Kronos templates
    const std::string ins = ReadFile("te.ins");
    const std::string lead = "; Triton Extreme INS File generated by MORVANE from *.pcg\r\n" + TemplateText("TritonExtreme_INS_header.ins");
    EXPECT_EQ(ins.substr(0, lead.size()), lead);
    std::string heads;
    for (const std::string& line : Lines(ins)) {
        if (line.rfind("[Triton Extreme ", 0) == 0) heads += line.substr(16, line.size() - 17) + ",";
    }
    EXPECT_EQ(heads, "Program Bank A,Program Bank B,Program Bank C,Program Bank D,Program Bank E,Program Bank F,"
                     "Program Bank H,Program Bank I,Program Bank J,Program Bank K,Program Bank L,Program Bank M,Program Bank N,"
                     "Combi Bank A,Combi Bank B,Combi Bank C,Combi Bank D,Combi Bank E,"
                     "Combi Bank H,Combi Bank I,Combi Bank J,Combi Bank K,Combi Bank L,Combi Bank M,Combi Bank N,");
    EXPECT_NE(ins.find("\r\n[Triton Extreme Program Bank F]\r\n0=F000 F Prog 0        \r\n"), std::string::npos);
    EXPECT_EQ(Lines(ReadFile("te_out.txt")).size(), 25u * 128u);

    Bytes renamed = extreme;
    const std::size_t at = std::string(extreme.begin(), extreme.end()).find("H Prog 5  ");
    ASSERT_NE(at, std::string::npos);
    std::copy_n("Renamed", 7, renamed.begin() + static_cast<std::ptrdiff_t>(at));
    WriteFile("te2.pcg", renamed);
    const RunResult compared = Morvane({"/D", "te.pcg", "te2.pcg"});
    EXPECT_EQ(compared.exitCode, 1);
    EXPECT_EQ(compared.out, "PROGRAM H      005 renamed \"H Prog 5        \" -> \"Renamed5        \"\r\n"
                            "3199 same, 1 renamed, 0 changed, 0 moved, 0 copied; banks only in te.pcg: 0, only in te2.pcg: 0\r\n");
    WriteFile("classic.pcg", TritonPcgFile({}));
    const RunResult models = Morvane({"/D", "te.pcg", "classic.pcg"});
    EXPECT_EQ(models.exitCode, 2);
    EXPECT_EQ(models.out, "");
    EXPECT_EQ(models.err, "morvane: te.pcg is a Triton Extreme file and classic.pcg a Triton file\r\n");
}

// A bank that fails the check, and a file cut short: standard error says why, standard output
// keeps its two lines. A model's templates are found before any output is touched.
TEST_F(EndToEnd, TritonTroubleGoesToStandardError) {
    const Bytes bad = TritonPcgFile({TritonChunk("PRG1", TritonBankChunk("PBK1", 0x20000, 540, Bytes(100 * 540), 100))}, 0x50, 1);
    WriteFile("bad.pcg", bad);
    RunResult run = Morvane({"bad.pcg"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Opened bad.pcg  Size: " + Size(bad) + "\r\nWriting file bad.ins\r\n");
    EXPECT_EQ(run.err, "morvane: bad.pcg: bank H (PBK1) is not a Triton bank: 100 records of 540 bytes in 54012 bytes\r\n");

    const std::string bare = CopyOfExecutable("bare");
    WriteFile("bad.ins", std::string("earlier"));
    run = MorvaneFrom(bare, {"bad.pcg"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(LineAt(run.out, 1), "ERROR -- File not found:  TritonExtreme_INS_header.ins");
    EXPECT_EQ(run.err.substr(0, 60), "morvane: TritonExtreme_INS_header.ins: template missing; loo");
    EXPECT_EQ(ReadFile("bad.ins"), "earlier");
}

// ---- The Kronos-container models

// The heads of a file's sections, in file order, without the word: "Program Bank U-A".
std::vector<std::string> Heads(const std::string& ins, const std::string& word) {
    std::vector<std::string> heads;
    for (const std::string& line : Lines(ins)) {
        if (line.rfind("[" + word + " ", 0) == 0) heads.push_back(line.substr(word.size() + 2, line.size() - word.size() - 3));
    }
    return heads;
}

std::vector<std::string> BankHeads(const char* kind, std::initializer_list<const char*> banks) {
    std::vector<std::string> heads;
    for (const char* bank : banks) heads.push_back(std::string(kind) + " Bank " + bank);
    return heads;
}

// Built files of three of them through every format with the bundled templates: each model's
// word, its banks in file order under its own names, labels of the bank name and the number.
TEST_F(EndToEnd, KronosContainerModelsThroughEveryFormat) {
    struct Case {
        const char* file;
        std::uint8_t productCode;
        const char* word;
        const char* templates;
        std::vector<std::string> heads;
        const char* firstEntry;  // of the first user program bank
    };
    auto heads = [](std::initializer_list<const char*> programs, std::initializer_list<const char*> combinations) {
        std::vector<std::string> all = BankHeads("Program", programs);
        for (const std::string& head : BankHeads("Combi", combinations)) all.push_back(head);
        return all;
    };
    const Case cases[] = {
        {"KROME.PCG", 0x95, "Krome", "Krome",
         heads({"A", "B", "C", "D", "E", "F", "U-A", "U-B", "U-C", "U-D", "U-E", "U-F"}, {"A", "B", "C", "D"}), "0=U-A000 U-A Prog 0"},
        {"k2.pcg", 0xC9, "Kross 2", "Kross2",
         heads({"A", "B", "C", "D", "E", "F", "UA", "UB", "UC", "UD"}, {"A", "B", "C", "D", "UA", "UB", "UC", "UD"}), "0=UA000 UA Prog 0"},
        {"micro.pcg", 0x8D, "microSTATION", "microSTATION", heads({"A", "B", "C", "D"}, {"A", "B", "C", "D"}), nullptr},
    };
    for (const Case& c : cases) {
        WriteFile(c.file, ContainerModelSample(c.productCode));
        const std::string base = BareName(c.file);
        const RunResult run = Morvane({"/A", c.file});
        EXPECT_EQ(run.exitCode, 0) << c.word;
        EXPECT_EQ(run.err, "") << c.word;
        EXPECT_EQ(LineAt(run.out, 1), "Writing file " + base + ".ins") << c.word;
        const std::string ins = ReadFile(base + ".ins");
        const std::string lead = "; " + std::string(c.word) + " INS File generated by MORVANE from " + c.file + "\r\n" +
                                 TemplateText(std::string(c.templates) + "_INS_header.ins");
        const std::string trailer = TemplateText(std::string(c.templates) + "_INS_trailer.ins");
        EXPECT_EQ(ins.substr(0, lead.size()), lead) << c.word;
        EXPECT_EQ(ins.substr(ins.size() - std::min(ins.size(), trailer.size())), trailer) << c.word;
        EXPECT_EQ(Heads(ins, c.word), c.heads) << c.word;
        EXPECT_NE(ins.find("\r\n[" + std::string(c.word) + " Program Bank A]\r\n0=A000 A Prog 0\r\n1=A001 A Prog 1\r\n"), std::string::npos)
            << c.word;
        if (c.firstEntry) {
            EXPECT_NE(ins.find(std::string("\r\n") + c.firstEntry + "\r\n"), std::string::npos) << c.word;
        }
        const auto listing = Lines(ReadFile(base + "_out.txt"));
        ASSERT_EQ(listing.size(), c.heads.size() * 128) << c.word;
        EXPECT_EQ(listing[0].substr(0, 44), "PROGRAM    A 000 \"                A Prog 0\" ") << c.word;
        EXPECT_EQ(listing.back().substr(0, 8), "COMBI   ") << c.word;
        EXPECT_EQ(LineAt(ReadFile(base + "_cubase.txt"), 5), std::string("[device name]") + c.word) << c.word;
        EXPECT_EQ(LineAt(ReadFile(base + "_programs.reabank"), 2), std::string("Bank 0 0 ") + c.word + " Program Bank A") << c.word;
        EXPECT_EQ(Lines(ReadFile(base + ".csv")).size(), 1 + c.heads.size() * 128) << c.word;
        const std::string dtd = Env("MORVANE_MIDNAM_DTD", MORVANE_MIDNAM_DTD);
        if (FileExists(dtd) && std::system("xmllint --version >/dev/null 2>&1") == 0) {
            const std::string command = "xmllint --noout --nonet --dtdvalid " + Quoted(dtd) + " " + Quoted(base + ".midnam") + " 2>xmllint.txt";
            EXPECT_EQ(std::system(command.c_str()), 0) << c.word << ": " << ReadFile("xmllint.txt");
        }
    }
}

// One pattern run takes every model, each with its own templates and walker; compare takes two
// files of one model and refuses two models.
TEST_F(EndToEnd, ContainerModelsBesideKronosAndTritonFiles) {
    const Bytes krome = ContainerModelSample(0x95);
    WriteFile("a-kronos.pcg", SmallBank("Grand"));
    WriteFile("b-extreme.pcg", TritonExtremeSample());
    WriteFile("c-krome.pcg", krome);
    WriteFile("d-nautilus.pcg", ContainerPcgFile({Chunk("SLS1", Bytes(30)), Chunk("PRG1", BankChunk("PBK1", 0x20021, 24, NamedRecords(24, {"t"})))}, 0xDD));
    const RunResult run = Morvane({"*.pcg"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFile("a-kronos.ins"), InsFor("*.pcg", "Grand"));
    EXPECT_EQ(LineAt(ReadFile("b-extreme.ins"), 0), "; Triton Extreme INS File generated by MORVANE from *.pcg");
    EXPECT_EQ(LineAt(ReadFile("c-krome.ins"), 0), "; Krome INS File generated by MORVANE from *.pcg");
    EXPECT_EQ(Heads(ReadFile("d-nautilus.ins"), "Nautilus"), std::vector<std::string>{"Program Bank t"});
    EXPECT_EQ(LineAt(ReadFile("d-nautilus_out.txt"), 0).substr(0, 44), "PROGRAM    t 000 \"                       t\" ");

    Bytes renamed = krome;
    const std::size_t at = std::string(krome.begin(), krome.end()).find(std::string("U-B Prog 5\0", 11));
    ASSERT_NE(at, std::string::npos);
    std::copy_n("Renamed", 7, renamed.begin() + static_cast<std::ptrdiff_t>(at));
    WriteFile("krome2.pcg", renamed);
    const RunResult compared = Morvane({"/D", "c-krome.pcg", "krome2.pcg"});
    EXPECT_EQ(compared.exitCode, 1);
    EXPECT_EQ(compared.out, "PROGRAM U-B    005 renamed \"U-B Prog 5\" -> \"Renamedg 5\"\r\n"
                            "2047 same, 1 renamed, 0 changed, 0 moved, 0 copied; banks only in c-krome.pcg: 0, only in krome2.pcg: 0\r\n");
    const RunResult models = Morvane({"/D", "c-krome.pcg", "d-nautilus.pcg"});
    EXPECT_EQ(models.exitCode, 2);
    EXPECT_EQ(models.out, "");
    EXPECT_EQ(models.err, "morvane: c-krome.pcg is a Krome file and d-nautilus.pcg a Nautilus file\r\n");
}

// A bank that fails the check goes on to the next; a file cut short keeps the banks it holds whole.
TEST_F(EndToEnd, ContainerModelTroubleGoesToStandardError) {
    const Bytes bad = ContainerPcgFile({Chunk("PRG1", Concat({Chunk("PBK1", Concat({BankHeaderBytes(100, 1212, 0x20000), Bytes(100 * 1212)})),
                                                              BankChunk("PBK1", 1, 24, NamedRecords(24, {"Good"}))}))},
                                       0x95);
    WriteFile("bad.pcg", bad);
    RunResult run = Morvane({"bad.pcg"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Opened bad.pcg  Size: " + Size(bad) + "\r\nWriting file bad.ins\r\n");
    EXPECT_EQ(run.err, "morvane: bad.pcg: bank U-A (PBK1) is not a Krome bank: 100 records of 1212 bytes in 121212 bytes\r\n");
    EXPECT_EQ(Heads(ReadFile("bad.ins"), "Krome"), std::vector<std::string>{"Program Bank B"});

    const Bytes whole = ContainerModelSample(0xC9);
    WriteFile("cut.pcg", Bytes(whole.begin(), whole.begin() + 1000000));
    run = Morvane({"cut.pcg"});
    EXPECT_EQ(run.exitCode, 1);
    // Programs A, B and C (12 + 12 + 128 x 2224 bytes each, from offset 540) lie whole before the cut.
    EXPECT_EQ(run.err, "morvane: cut.pcg: bank D (PBK1) is cut short\r\n");
    EXPECT_EQ(Heads(ReadFile("cut.ins"), "Kross 2"), (std::vector<std::string>{"Program Bank A", "Program Bank B", "Program Bank C"}));
}

// ---- Windows only: the command line as GetCommandLineA gives it, '\' paths

TEST_F(EndToEnd, LonePairOfQuotesSeparatesArgumentsOnWindows) {
    if (!WindowsTarget()) GTEST_SKIP() << "on POSIX an empty argument ends the arguments";
    // Wine passes an empty argument as "" on the command line.
    const Bytes bank = SmallBank("After The Pair");
    WriteFile("bank.pcg", bank);
    const RunResult run = Morvane({"", "bank.pcg", "", "/V"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(LineAt(run.out, 0), "Opened bank.pcg  Size: " + Size(bank));
    EXPECT_EQ(LineAt(run.out, 2).substr(0, 15), "PCGChunk PCG1: ");
    EXPECT_EQ(ReadFile("bank.ins"), InsFor("bank.pcg", "After The Pair"));
}

TEST_F(EndToEnd, EverySlashArgumentIsASwitchOnWindows) {
    if (!WindowsTarget()) GTEST_SKIP() << "on POSIX /dir/x.pcg is a path";
    fs::create_directory("banks");
    WriteFile("banks/far.pcg", SmallBank("Far"));
    WriteFile("near.pcg", SmallBank("Near"));
    const RunResult run = Morvane({"/banks/far.pcg", "near.pcg"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(LineAt(run.out, 0).substr(0, 16), "Opened near.pcg ");
    EXPECT_TRUE(FileExists("near.ins"));
    EXPECT_FALSE(FileExists("far.ins"));
}

TEST_F(EndToEnd, BackslashOutputBaseOnWindows) {
    if (!WindowsTarget()) GTEST_SKIP() << "'\\' is no directory separator on POSIX";
    const Bytes bank = SmallBank("Based");
    WriteFile("a.pcg", bank);
    const RunResult run = Morvane({"a.pcg", "out\\dir\\named.x", "third"});
    EXPECT_EQ(run.out, "Opened a.pcg  Size: " + Size(bank) + "\r\nWriting file named.ins\r\n");
    EXPECT_EQ(ReadFile("named.ins"), InsFor("a.pcg", "Based"));
    EXPECT_TRUE(FileExists("named_out.txt"));
    EXPECT_FALSE(FileExists("out"));
}

TEST_F(EndToEnd, OutputThatIsTheTrailerTemplateEnds) {
    if (WindowsTarget()) GTEST_SKIP() << "whether Windows opens a template that is being written is its file layer's call";
    // A header template larger than the output buffer: part of the .ins file is on disk when the
    // same file is opened as the trailer template. Copying what the copy itself appends never
    // ended and filled the disk.
    std::string header;
    for (int i = 0; header.size() < 600000; ++i) header += "; header line " + std::to_string(i) + "\r\n";
    WriteFile("Kronos_INS_header.ins", header);
    const Bytes bank = SmallBank("Self");
    WriteFile("Kronos_INS_trailer.pcg", bank);
    const RunResult run = Morvane({"Kronos_INS_trailer.pcg"}, 10);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Opened Kronos_INS_trailer.pcg  Size: " + Size(bank) + "\r\nWriting file Kronos_INS_trailer.ins\r\n");
    EXPECT_EQ(Lines(ReadFile("Kronos_INS_trailer_out.txt")).size(), 128u);

    // The trailer is what the file held when it was opened as the template: whole lines from the
    // start of what the run had written.
    const std::string written = Comment("Kronos_INS_trailer.pcg") + header + Section("Self");
    ASSERT_LT(fs::file_size("Kronos_INS_trailer.ins"), 2 * written.size());
    const std::string ins = ReadFile("Kronos_INS_trailer.ins");
    ASSERT_GT(ins.size(), written.size());
    EXPECT_EQ(ins.substr(0, written.size()), written);
    const std::string trailer = ins.substr(written.size());
    EXPECT_EQ(written.substr(0, trailer.size()), trailer);
    EXPECT_EQ(trailer.substr(trailer.size() - 2), "\r\n");
}

// ---- POSIX only: locks, FIFOs, links, devices

TEST_F(EndToEnd, InputLockedByAnotherProgram) {
    if (WindowsTarget()) GTEST_SKIP() << "flock does not reach into Wine";
    WriteFile("bank.pcg", SmallBank("P"));
    const int fd = ::open("bank.pcg", O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const RunResult run = Morvane({"bank.pcg"});
    ::close(fd);
    EXPECT_EQ(run.out, "Could not open bank.pcg\r\n");
    EXPECT_FALSE(FileExists("bank.ins"));
}

TEST_F(EndToEnd, FifoAsInputFailsWithoutBlocking) {
    if (WindowsTarget()) GTEST_SKIP() << "no FIFOs on Windows";
    ASSERT_EQ(::mkfifo("pipe.pcg", 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    const RunResult run = Morvane({"pipe.pcg"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(run.out, "Could not open pipe.pcg\r\n");
}

TEST_F(EndToEnd, SlashPathIsAnInputOnPosix) {
    if (WindowsTarget()) GTEST_SKIP() << "on Windows /path is a switch";
    const Bytes bank = SmallBank("Rooted");
    WriteFile("rooted.pcg", bank);
    const std::string absolute = (fs::current_path() / "rooted.pcg").string();
    const RunResult run = Morvane({"/V", absolute, "-"});
    EXPECT_EQ(LineAt(run.out, 0), "Opened " + absolute + "  Size: " + Size(bank));
    EXPECT_TRUE(FileExists("rooted.ins"));
}

const std::vector<std::string> kSampleSections = {
    "[Kronos Program Bank Int A]",  "[Kronos Program Bank Int F]", "[Kronos Program Bank User A]",
    "[Kronos Program Bank User AA]", "[Kronos Combi Bank Int A]",   "[Kronos Combi Bank User B]",
};
constexpr std::size_t kSampleListingLines = 6 * 128 + 128 * 129;

std::vector<std::string> SectionHeads(const std::string& ins) {
    std::vector<std::string> heads;
    for (const std::string& line : Lines(ins)) {
        if (line.compare(0, 8, "[Kronos ") == 0) heads.push_back(line);
    }
    return heads;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Both files of a converted sample, whole: the preamble, every section and the trailer; every
// listing line with its line end, the last set list slot last.
void ExpectCompleteSample(const std::string& inputName, const std::string& base, const std::string& what) {
    const std::string ins = ReadFile(base + ".ins");
    EXPECT_EQ(ins.substr(0, Comment(inputName).size() + std::string(kHeader).size()), Comment(inputName) + kHeader) << what;
    EXPECT_TRUE(EndsWith(ins, kTrailer)) << what;
    EXPECT_EQ(SectionHeads(ins), kSampleSections) << what;
    EXPECT_EQ(Lines(ins).size(), 1 + 2 + kSampleSections.size() * 130 + 2) << what;
    const std::string listing = ReadFile(base + "_out.txt");
    const auto lines = Lines(listing);
    EXPECT_TRUE(EndsWith(listing, "\r\n")) << what;
    ASSERT_EQ(lines.size(), kSampleListingLines) << what;
    EXPECT_EQ(lines.back().substr(0, 13), "SETLIST 127 \"") << what;
    EXPECT_NE(lines.back().find("\" Slot 127 \""), std::string::npos) << what;
}

TEST_F(EndToEnd, OutputsAreCompleteAfterASuccessfulRun) {
    WriteFile("sample.pcg", Sample());
    const RunResult run = Morvane({"sample.pcg"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Opened sample.pcg  Size: " + Size(Sample()) + "\r\nWriting file sample.ins\r\n");
    ExpectCompleteSample("sample.pcg", "sample", "single file");

    fs::create_directory("in");
    WriteFile("in/sample.pcg", Sample());
    fs::remove("sample.ins");
    fs::remove("sample_out.txt");
    const std::string pattern = WindowsTarget() ? "in\\*.pcg" : "in/*.pcg";
    EXPECT_EQ(Morvane({pattern}).exitCode, 0);
    ExpectCompleteSample(pattern, "sample", "pattern");
}

TEST_F(EndToEnd, InputIsNeverChangedWhateverTheRunDoes) {
    const bool haveDevFull = FileExists("/dev/full");
    const Bytes bank = SmallBank("Kept");
    const Bytes mismatch = PcgFile({Chunk("PRG1", Chunk("PBK1", Concat({BankHeaderBytes(1, 4960, 0), Records(4960, "Unread")})))});
    const Bytes rangeError = PcgFile({Chunk("PRG1", BankChunk("PBK1", 0, 4960, Records(4960, "Listed"))),
                                      Concat({ChunkHeaderBytes("GLB1", 0x80000000u), Bytes(4)})});
    auto write = [](const char* name, const Bytes& bytes) { return [name, bytes] { WriteFile(name, bytes); }; };
    auto withLink = [bank](const char* link, bool symbolic) {
        return [bank, link, symbolic] {
            WriteFile("bank.pcg", bank);
            symbolic ? fs::create_symlink("bank.pcg", link) : fs::create_hard_link("bank.pcg", link);
        };
    };
    struct Case {
        const char* what;
        bool posixOnly;
        std::function<void()> setup;
        std::vector<std::string> args;
        std::vector<std::string> inputs;
        int exitCode;
        std::string lastLine;
    };
    const Case cases[] = {
        {"converted", false, write("bank.pcg", bank), {"bank.pcg"}, {"bank.pcg"}, 0, "Writing file bank.ins"},
        {"traced, top level only", false, write("bank.pcg", bank), {"/V", "bank.pcg", "-T"}, {"bank.pcg"}, 0, " File contains no more programs."},
        {"rejected", false, write("junk.pcg", Text("not a bank file")), {"junk.pcg"}, {"junk.pcg"}, 1, "PCG file does not have a valid KORG header."},
        {"stopped by a bank size mismatch", false, write("bad.pcg", mismatch), {"bad.pcg"}, {"bad.pcg"}, 1,
         "Error: bank header data size (4960 * 1 = 4960) doesn't match size of dest array (634880)"},
        {"ended by an error during the walk", false, write("big.pcg", rangeError), {"big.pcg"}, {"big.pcg"}, 1, "Could not open big.pcg"},
        {"named like its own .ins", false, write("x.ins", bank), {"x.ins"}, {"x.ins"}, 1, "Could not open x.ins"},
        {"named like its own listing", false, write("y_out.txt", bank), {"y_out.txt", "y", "third"}, {"y_out.txt"}, 1, "Could not open y_out.txt"},
        {"the .ins a hard link to it", true, withLink("hard.ins", false), {"bank.pcg", "hard.x", "third"}, {"bank.pcg"}, 1, "Could not open bank.pcg"},
        {"the .ins a symbolic link to it", true, withLink("soft.ins", true), {"bank.pcg", "soft.x", "third"}, {"bank.pcg"}, 1, "Could not open bank.pcg"},
        {"the listing a hard link to it", true, withLink("hard_out.txt", false), {"bank.pcg", "hard", "third"}, {"bank.pcg"}, 1, "Could not open bank.pcg"},
        {"the listing a symbolic link to it", true, withLink("soft_out.txt", true), {"bank.pcg", "soft", "third"}, {"bank.pcg"}, 1, "Could not open bank.pcg"},
        {"opened through a symbolic link named like its .ins", true,
         [bank] {
             WriteFile("real.pcg", bank);
             fs::create_symlink("real.pcg", "a.ins");
         },
         {"a.ins"}, {"real.pcg"}, 1, "Could not open a.ins"},
        {"a pattern match named like its own .ins", false,
         [bank] {
             WriteFile("p.ins", bank);
             WriteFile("p.pcg", bank);
         },
         {"p.*"}, {"p.ins", "p.pcg"}, 1, "Opened \"p.ins"},
        {"the listing on a full disk", true,
         [bank] {
             WriteFile("bank.pcg", bank);
             fs::create_symlink("/dev/full", "bank_out.txt");
         },
         {"bank.pcg"}, {"bank.pcg"}, 1, "Could not open bank.pcg"},
    };
    for (const Case& c : cases) {
        if (c.posixOnly && (WindowsTarget() || !haveDevFull)) continue;
        ResetDirectory();
        c.setup();
        std::vector<Snapshot> snapshots;
        for (const std::string& input : c.inputs) snapshots.push_back(TakeSnapshot(input));
        const RunResult run = Morvane(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.what;
        EXPECT_EQ(LastLine(run.out), c.lastLine) << c.what;
        for (const Snapshot& snapshot : snapshots) ExpectUnchanged(snapshot, c.what);
    }
}

TEST_F(EndToEnd, FailedWriteIsReportedNotTakenForSuccess) {
    if (WindowsTarget() || !FileExists("/dev/full")) GTEST_SKIP() << "needs /dev/full";
    struct Case {
        const char* what;
        const char* fullOutput;  // a symbolic link to /dev/full under the name of this output
        bool sample;             // the sample's listing outgrows the output buffer during the walk
        bool pattern;
    };
    const Case cases[] = {
        {"listing, failing when it is closed", "bank_out.txt", false, false},
        {".ins, failing when it is closed", "bank.ins", false, false},
        {"listing, failing during the walk", "bank_out.txt", true, false},
        {"listing in pattern mode", "bank_out.txt", false, true},
        {".ins in pattern mode", "bank.ins", false, true},
        {"listing in pattern mode, failing during the walk", "bank_out.txt", true, true},
    };
    for (const Case& c : cases) {
        ResetDirectory();
        WriteFile("bank.pcg", c.sample ? Sample() : SmallBank("P"));
        fs::create_symlink("/dev/full", c.fullOutput);
        const std::string inputName = c.pattern ? "*.pcg" : "bank.pcg";
        const RunResult run = Morvane({inputName});
        // The report names the file, the kind of error and the system's reason.
        EXPECT_EQ(run.exitCode, 1) << c.what;
        EXPECT_EQ(run.err, std::string("morvane: ") + c.fullOutput + ": I/O error: No space left on device\r\n") << c.what;
        if (c.pattern) {
            EXPECT_EQ(run.out, "\r\nOpened \"bank.pcg\r\nWriting file bank.ins\r\n") << c.what;
        } else {
            EXPECT_EQ(LastLine(run.out), "Could not open bank.pcg") << c.what;
        }
        // The other file is still written whole: the clean-up runs every step.
        if (std::string(c.fullOutput) == "bank.ins") {
            EXPECT_EQ(Lines(ReadFile("bank_out.txt")).size(), 128u) << c.what;
        } else if (c.sample) {
            const std::string ins = ReadFile("bank.ins");
            EXPECT_EQ(SectionHeads(ins), kSampleSections) << c.what;
            EXPECT_TRUE(EndsWith(ins, kTrailer)) << c.what;
        } else {
            EXPECT_EQ(ReadFile("bank.ins"), InsFor(inputName, "P")) << c.what;
        }
    }
}


// ---- Windows only: files dropped on the program in Explorer

// A run as Explorer starts it: script(1) gives Wine a terminal of its own, from which Wine makes
// a console for this process alone, with standard output that console. The program is the test
// build of morvane.exe, whose message box goes to a file (MORVANE_BOXFILE_EXE, default beside
// MORVANE_EXE); LC_ALL=C.UTF-8 makes Wine read the Unix arguments as UTF-8.
class DropOnProgram : public EndToEnd {
protected:
    struct Box {
        int exitCode = -1;
        bool shown = false;
        std::string icon;
        std::string title;
        std::string text;
    };

    void SetUp() override {
        EndToEnd::SetUp();
        if (!WindowsTarget()) GTEST_SKIP() << "only Windows has Explorer";
        ASSERT_TRUE(FileExists(BoxFileExecutable())) << BoxFileExecutable();
        ASSERT_EQ(std::system("command -v script >/dev/null"), 0) << "the drop tests need script(1)";
    }

    static std::string BoxFileExecutable() {
        return Env("MORVANE_BOXFILE_EXE", (fs::path(Executable()).parent_path() / "morvane_boxfile.exe").c_str());
    }
    static std::string WindowsPath(const fs::path& path) { return "Z:" + BackslashesFor(fs::absolute(path).string()); }

    // prefix: a Windows command that starts the program (such as "cmd /c"), which then gets its
    // Windows path.
    Box Drop(const std::vector<std::string>& args, const std::string& exe = BoxFileExecutable(),
             const std::string& prefix = "") {
        const fs::path boxFile = captureDir_ / "box.txt", sessionFile = captureDir_ / "session";
        fs::remove(boxFile);
        fs::remove(sessionFile);
        // The shell script(1) starts leads the session of the terminal; it names it, then becomes the run.
        std::string inner = "echo $$ >" + Quoted(sessionFile.string()) + "; exec env LC_ALL=C.UTF-8 MORVANE_BOX_FILE=" +
                            Quoted(WindowsPath(boxFile)) + " " + Env("MORVANE_RUNNER", "") + " " + prefix + " " +
                            Quoted(prefix.empty() ? exe : WindowsPath(exe));
        for (const std::string& arg : args) inner += " " + Quoted(arg);
        const std::string command = "script -qec " + Quoted(inner) + " /dev/null </dev/null >/dev/null 2>&1";
        Box box;
        box.exitCode = ExitCode(RunSettled(command, kSettleLimit, sessionFile.string()));
        box.shown = FileExists(boxFile.string());
        const std::string content = box.shown ? ReadFile(boxFile.string()) : "";
        const std::size_t iconEnd = content.find("\r\n"), titleEnd = content.find("\r\n", iconEnd + 2);
        if (titleEnd == std::string::npos) return box;
        box.icon = content.substr(0, iconEnd);
        box.title = content.substr(iconEnd + 2, titleEnd - iconEnd - 2);
        box.text = content.substr(titleEnd + 2);
        return box;
    }

    // A copy of the test build in a folder with a non-ASCII name, with its own templates beside it.
    std::string ProgramInNonAsciiFolder() {
        const fs::path folder = captureDir_ / "Prögram Ж";
        fs::create_directories(folder);
        fs::copy_file(BoxFileExecutable(), folder / "morvane.exe", fs::copy_options::overwrite_existing);
        WriteFile((folder / "Kronos_INS_header.ins").string(), std::string("; beside\r\n"));
        WriteFile((folder / "Kronos_INS_trailer.ins").string(), std::string("; trailer beside\r\n"));
        return (folder / "morvane.exe").string();
    }

    static std::vector<std::string> Entries(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// The .ins of SmallBank(firstName) with the templates ProgramInNonAsciiFolder puts beside the program.
std::string InsBeside(const std::string& inputName, const std::string& firstName) {
    return Comment(inputName) + "; beside\r\n" + Section(firstName) + "; trailer beside\r\n";
}

// The box's line for a converted SmallBank.
std::string Listed(const std::string& inputName, const std::string& files) {
    return inputName + ": " + files + " (1 program bank, 0 combination banks)";
}

// Each file's outputs beside it, whatever folder the program started in; a switch from the
// shortcut's target applies to every file; an edited template beside the bank file wins, the
// program's own are found beside it in a folder with a non-ASCII name.
TEST_F(DropOnProgram, TwoFilesInFoldersWithBlanksAndNonAsciiNames) {
    const fs::path first = "My Banks", second = fs::path("Баня 日本 é") / "Sub Folder";
    fs::create_directories(first);
    fs::create_directories(second);
    WriteFile((first / "Live Set.pcg").string(), SmallBank("One"));
    WriteFile((second / "Grüße Ж.pcg").string(), SmallBank("Two"));
    fs::rename("Kronos_INS_header.ins", first / "Kronos_INS_header.ins");
    fs::rename("Kronos_INS_trailer.ins", first / "Kronos_INS_trailer.ins");
    const Snapshot input = TakeSnapshot((second / "Grüße Ж.pcg").string());

    const Box box = Drop({"/L", WindowsPath(first / "Live Set.pcg"), WindowsPath(second / "Grüße Ж.pcg")},
                         ProgramInNonAsciiFolder());
    EXPECT_EQ(box.exitCode, 0);
    EXPECT_EQ(box.icon, "information");
    EXPECT_EQ(box.title, "MORVANE " MORVANE_VERSION);
    EXPECT_EQ(box.text, Listed("Live Set.pcg", "Live Set.ins, Live Set_out.txt and Live Set.csv") + "\r\n" +
                            Listed("Grüße Ж.pcg", "Grüße Ж.ins, Grüße Ж_out.txt and Grüße Ж.csv"));
    EXPECT_EQ(ReadFile((first / "Live Set.ins").string()), InsFor("Live Set.pcg", "One"));
    EXPECT_EQ(ReadFile((second / "Grüße Ж.ins").string()), InsBeside("Grüße Ж.pcg", "Two"));
    EXPECT_EQ(Lines(ReadFile((second / "Grüße Ж_out.txt").string())).size(), 128u);
    EXPECT_TRUE(FileExists((second / "Grüße Ж.csv").string()));
    EXPECT_EQ(Entries("."), (std::vector<std::string>{"My Banks", "Баня 日本 é"}));
    ExpectUnchanged(input, "dropped input");
}

// A folder gives its own *.pcg files in name order, not those of its subfolders; a file that is
// not a PCG file says why and the others are still converted.
TEST_F(DropOnProgram, FolderAndAFileThatIsNotAPcgFile) {
    const fs::path folder = "Drop Folder";
    fs::create_directories(folder / "Inner");
    fs::create_directories(folder / "dir.pcg");
    WriteFile((folder / "b.pcg").string(), SmallBank("B"));
    WriteFile((folder / "a.PCG").string(), SmallBank("A"));
    WriteFile((folder / "c.pcgx").string(), SmallBank("C"));
    WriteFile((folder / "Inner" / "d.pcg").string(), SmallBank("D"));
    WriteFile("notes.txt", Text("not a bank file"));

    const Box box = Drop({WindowsPath(folder), WindowsPath("notes.txt")}, ProgramInNonAsciiFolder());
    EXPECT_EQ(box.exitCode, 1);
    EXPECT_EQ(box.icon, "warning");
    EXPECT_EQ(box.text, Listed("a.PCG", "a.ins and a_out.txt") + "\r\n" + Listed("b.pcg", "b.ins and b_out.txt") + "\r\n" +
                            "notes.txt: not converted: not a PCG file: it does not begin with a KORG header");
    EXPECT_EQ(ReadFile((folder / "a.ins").string()), InsBeside("a.PCG", "A"));
    EXPECT_EQ(Entries(folder), (std::vector<std::string>{"Inner", "a.PCG", "a.ins", "a_out.txt", "b.ins", "b.pcg",
                                                         "b_out.txt", "c.pcgx", "dir.pcg"}));
    EXPECT_EQ(Entries(folder / "Inner"), std::vector<std::string>{"d.pcg"});
}

// An output that cannot be created (here a folder in its place: Wine runs as root in CI, which
// no permission stops) costs that input alone, and nothing else in its folder is touched.
TEST_F(DropOnProgram, FolderThatCannotBeWritten) {
    fs::create_directories("Locked");
    WriteFile("Locked/Bank.pcg", SmallBank("L"));
    fs::create_directories("Locked/Bank_out.txt");
    WriteFile("Open.pcg", SmallBank("O"));
    const Snapshot input = TakeSnapshot("Locked/Bank.pcg");

    const Box box = Drop({WindowsPath("Locked/Bank.pcg"), WindowsPath("Open.pcg")});
    EXPECT_EQ(box.exitCode, 1);
    EXPECT_EQ(box.icon, "warning");
    const std::string why = "Bank.pcg: not converted: Bank_out.txt: I/O error: ";
    EXPECT_EQ(box.text.substr(0, why.size()), why) << box.text;
    EXPECT_EQ(LastLine(box.text), Listed("Open.pcg", "Open.ins and Open_out.txt"));
    EXPECT_EQ(Entries("Locked"), (std::vector<std::string>{"Bank.pcg", "Bank_out.txt"}));
    ExpectUnchanged(input, "input in a folder that cannot be written");
}

// A missing template ends the run inside the conversion; the box still says so before the end.
TEST_F(DropOnProgram, MissingTemplateStillShowsTheBox) {
    const fs::path alone = captureDir_ / "alone";
    fs::create_directories(alone);
    fs::copy_file(BoxFileExecutable(), alone / "morvane.exe");
    fs::create_directories("banks");
    WriteFile("banks/one.pcg", SmallBank("1"));
    WriteFile("banks/two.pcg", SmallBank("2"));

    const Box box = Drop({WindowsPath("banks")}, (alone / "morvane.exe").string());
    EXPECT_EQ(box.exitCode, 1);
    EXPECT_EQ(box.icon, "warning");
    const std::string why = "one.pcg: not converted: Kronos_INS_header.ins: template missing; looked in ";
    EXPECT_EQ(box.text.substr(0, why.size()), why) << box.text;
    EXPECT_EQ(LastLine(box.text), "two.pcg: not converted: the run ended before this file");
    EXPECT_EQ(Entries("banks"), (std::vector<std::string>{"one.pcg", "two.pcg"}));
}

TEST_F(DropOnProgram, DoubleClickWithoutFilesExplainsThenShowsTheUsage) {
    const Box box = Drop({});
    EXPECT_EQ(box.exitCode, 0);
    EXPECT_EQ(box.icon, "information");
    const std::string usage =
        "Usage: MORVANE <infilename.pcg> \r\n INS file is generated as \"infilename.ins\"\r\n/V : Verbose Mode - debugging";
    ASSERT_GT(box.text.size(), usage.size()) << box.text;
    EXPECT_EQ(box.text.substr(box.text.size() - usage.size()), usage);
    EXPECT_NE(box.text.find("Drop .pcg files"), std::string::npos) << box.text;
    EXPECT_EQ(Entries("."), (std::vector<std::string>{"Kronos_INS_header.ins", "Kronos_INS_trailer.ins"}));
}

TEST_F(DropOnProgram, CompareTwoDroppedFiles) {
    fs::create_directories("pair");
    fs::current_path("pair");
    WriteComparedPair();
    fs::current_path("..");
    const Box box = Drop({"/D", WindowsPath("pair/old.pcg"), WindowsPath("pair/new.pcg")});
    EXPECT_EQ(box.exitCode, 1);
    EXPECT_EQ(box.icon, "information");
    EXPECT_EQ(box.text, "PROGRAM Int A  005 renamed \"Old Name\" -> \"New Name\"\r\n"
                        "COMBI   User A     only in new.pcg\r\n"
                        "127 same, 1 renamed, 0 changed, 0 moved, 0 copied; banks only in old.pcg: 0, only in new.pcg: 1");
    EXPECT_EQ(Entries("pair"), (std::vector<std::string>{"new.pcg", "old.pcg"}));
}

// A console of the user's (cmd's, shared) or redirected output: today's behaviour, no box.
TEST_F(DropOnProgram, ConsoleRunsAreUnchanged) {
    fs::create_directories("banks");
    WriteFile("banks/far.pcg", SmallBank("F"));
    const std::string dropped = WindowsPath("banks/far.pcg");
    const RunResult reference = Morvane({dropped});
    ASSERT_EQ(reference.exitCode, 0);
    const std::string ins = ReadFile("far.ins");
    fs::remove("far.ins");

    const Box fromCmd = Drop({dropped}, BoxFileExecutable(), "cmd /c");
    EXPECT_EQ(fromCmd.exitCode, 0);
    EXPECT_FALSE(fromCmd.shown);
    EXPECT_EQ(ReadFile("far.ins"), ins);
    fs::remove("far.ins");

    const RunResult redirected = Run(Env("MORVANE_RUNNER", ""), BoxFileExecutable(), {dropped});
    EXPECT_EQ(redirected.exitCode, 0);
    EXPECT_EQ(redirected.out, reference.out);
    EXPECT_EQ(redirected.err, reference.err);
    EXPECT_EQ(ReadFile("far.ins"), ins);
    EXPECT_FALSE(FileExists((captureDir_ / "box.txt").string()));
    EXPECT_EQ(Entries("banks"), std::vector<std::string>{"far.pcg"});
}

}  // namespace
