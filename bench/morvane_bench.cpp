// Times, in one run: (a) morvane converting a full-size Kronos bank file, (b) the floor: reading
// the same file and computing zlib's CRC-32 over every byte, (c) morvane /V on it, (d) morvane
// on a 64 MB file whose program chunk makes every re-entry of the walk step one byte, (e) morvane
// /A on the full-size file (every extra format), (f) morvane /D comparing it with another
// full-size file in which every record differs, and (g) the floor of (f): both files read and
// checksummed; then two 64 MB Triton files: (h) a chunk header every 8 bytes, the most the walk
// has to step over, and (i) banks of the smallest records, the most it has to list (about 330 MB
// of output), and the same two for a Krome, (j) a header every 12 bytes and (k) banks of 24-byte
// records. Reports medians of several interleaved runs ((d), (h) to (k) after the others), the
// ratios against the floors and the peak RSS of (a), (e) and (f).
// Usage: morvane_bench <morvane> <crc_floor> <templates dir> [runs]
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PcgBuilder.h"

namespace {

namespace fs = std::filesystem;

struct Sample {
    double seconds;
    long maxRssKb;
};

Sample RunOnce(const std::vector<std::string>& command, int expectedStatus = 0) {
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    // fork, not posix_spawn: a child that shares this process's memory until exec would report
    // this process's peak RSS as its own.
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (pid < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != expectedStatus) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(1);
    }
#ifdef __APPLE__
    const long maxRssKb = usage.ru_maxrss / 1024;  // bytes there
#else
    const long maxRssKb = usage.ru_maxrss;
#endif
    return {seconds, maxRssKb};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Write(const fs::path& path, const pcgbuild::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A program chunk of size 1 followed by 64 MB of bytes that never form a known header.
pcgbuild::Bytes Adversarial() {
    pcgbuild::Bytes file = pcgbuild::Concat({pcgbuild::PcgFile({}), pcgbuild::ChunkHeaderBytes("PRG1", 1)});
    file.resize(file.size() + (64u << 20), 'x');
    return file;
}

// 64 MB of one thing over and over.
pcgbuild::Bytes Repeated(const pcgbuild::Bytes& unit) {
    pcgbuild::Bytes body;
    body.reserve(64u << 20);
    while (body.size() + unit.size() <= (64u << 20)) pcgbuild::Append(body, unit);
    return body;
}

// 64 MB of empty chunks, each a header and nothing more.
pcgbuild::Bytes TritonEmptyChunks() { return pcgbuild::TritonPcgFile({Repeated(pcgbuild::TritonChunkHeaderBytes("XXXX", 0))}); }
pcgbuild::Bytes KromeEmptyChunks() { return pcgbuild::ContainerPcgFile({Repeated(pcgbuild::ChunkHeaderBytes("XXXX", 0))}, 0x95); }

// 64 MB of program banks of the smallest records, every one listed.
pcgbuild::Bytes TritonSmallestBanks() {
    const std::vector<std::string> names(128, "Smallest Record");
    return pcgbuild::TritonPcgFile({pcgbuild::TritonChunk("PRG1", Repeated(pcgbuild::TritonBankChunk("PBK1", 0, 16, pcgbuild::TritonRecords(16, names))))});
}
pcgbuild::Bytes KromeSmallestBanks() {
    const std::vector<std::string> names(128, "Smallest Record Of Krome");
    return pcgbuild::ContainerPcgFile({pcgbuild::Chunk("PRG1", Repeated(pcgbuild::BankChunk("PBK1", 0, 24, pcgbuild::NamedRecords(24, names))))}, 0x95);
}

void TimeApart(const std::vector<std::string>& command, int runs, std::vector<double>& times, int expectedStatus = 0) {
    RunOnce(command, expectedStatus);
    for (int i = 0; i < runs; ++i) times.push_back(RunOnce(command, expectedStatus).seconds);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: morvane_bench <morvane> <crc_floor> <templates dir> [runs]\n");
        return 2;
    }
    const std::string morvane = fs::absolute(argv[1]).string();
    const std::string floor = fs::absolute(argv[2]).string();
    const fs::path templates = fs::absolute(argv[3]);
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 11;

    const fs::path work = fs::temp_directory_path() / ("morvane-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    fs::current_path(work);
    for (const auto& bundled : fs::directory_iterator(templates)) fs::copy_file(bundled.path(), bundled.path().filename());
    // Written by a child process, so that this one stays small: a forked child starts with
    // this process's resident memory, which would count in its peak RSS.
    if (const pid_t writer = fork(); writer == 0) {
        pcgbuild::SampleOptions options;
        options.full = true;
        Write("full.pcg", pcgbuild::SamplePcg(options));
        options.seed += 1;
        Write("other.pcg", pcgbuild::SamplePcg(options));
        Write("adversarial.pcg", Adversarial());
        Write("triton-chunks.pcg", TritonEmptyChunks());
        Write("triton-banks.pcg", TritonSmallestBanks());
        Write("krome-chunks.pcg", KromeEmptyChunks());
        Write("krome-banks.pcg", KromeSmallestBanks());
        _exit(0);
    } else {
        int status = 0;
        waitpid(writer, &status, 0);
    }
    std::printf("full.pcg: %ju bytes; adversarial.pcg: %ju bytes; %d runs each, interleaved\n",
                static_cast<std::uintmax_t>(fs::file_size("full.pcg")),
                static_cast<std::uintmax_t>(fs::file_size("adversarial.pcg")), runs);

    const std::vector<std::string> convert{morvane, "full.pcg"};
    const std::vector<std::string> crcFloor{floor, "full.pcg"};
    const std::vector<std::string> verbose{morvane, "/V", "full.pcg"};
    const std::vector<std::string> adversarial{morvane, "adversarial.pcg"};
    const std::vector<std::string> everyFormat{morvane, "/A", "full.pcg"};
    const std::vector<std::string> compare{morvane, "/D", "full.pcg", "other.pcg"};
    const std::vector<std::string> compareFloor{floor, "full.pcg", "other.pcg"};
    constexpr int kDiffers = 1;

    // The adversarial file is timed on its own, after the others: reading its 64 MB pushes the
    // full-size files out of a small page cache, and whichever run came next would read them
    // from disk.
    for (const auto* command : {&convert, &crcFloor, &verbose, &everyFormat, &compareFloor}) RunOnce(*command);  // warm the cache
    RunOnce(compare, kDiffers);

    std::vector<double> a, b, c, d, e, f, g;
    long rss = 0, rssFormats = 0, rssCompare = 0;
    for (int i = 0; i < runs; ++i) {
        const Sample sample = RunOnce(convert);
        a.push_back(sample.seconds);
        rss = std::max(rss, sample.maxRssKb);
        b.push_back(RunOnce(crcFloor).seconds);
        c.push_back(RunOnce(verbose).seconds);
        const Sample formats = RunOnce(everyFormat);
        e.push_back(formats.seconds);
        rssFormats = std::max(rssFormats, formats.maxRssKb);
        const Sample compared = RunOnce(compare, kDiffers);
        f.push_back(compared.seconds);
        rssCompare = std::max(rssCompare, compared.maxRssKb);
        g.push_back(RunOnce(compareFloor).seconds);
    }
    std::vector<double> h, tritonBanks, kromeChunks, kromeBanks;
    // Its last header, whole at the very end of the file, says more bytes follow: cut short.
    constexpr int kNotConverted = 1;
    TimeApart(adversarial, runs, d, kNotConverted);
    TimeApart({morvane, "triton-chunks.pcg"}, runs, h);
    TimeApart({morvane, "triton-banks.pcg"}, runs, tritonBanks);
    TimeApart({morvane, "krome-chunks.pcg"}, runs, kromeChunks);
    TimeApart({morvane, "krome-banks.pcg"}, runs, kromeBanks);
    const double ma = Median(a), mb = Median(b), mc = Median(c), md = Median(d), me = Median(e), mf = Median(f), mg = Median(g);
    std::printf("(a) morvane full.pcg            median %8.2f ms\n", ma * 1e3);
    std::printf("(b) read + zlib crc32 (floor)   median %8.2f ms\n", mb * 1e3);
    std::printf("(c) morvane /V full.pcg         median %8.2f ms\n", mc * 1e3);
    std::printf("(d) morvane adversarial.pcg     median %8.2f ms\n", md * 1e3);
    std::printf("(e) morvane /A full.pcg         median %8.2f ms\n", me * 1e3);
    std::printf("(f) morvane /D full other       median %8.2f ms\n", mf * 1e3);
    std::printf("(g) floor of both files         median %8.2f ms\n", mg * 1e3);
    std::printf("(h) morvane triton-chunks.pcg   median %8.2f ms\n", Median(h) * 1e3);
    std::printf("(i) morvane triton-banks.pcg    median %8.2f ms\n", Median(tritonBanks) * 1e3);
    std::printf("(j) morvane krome-chunks.pcg    median %8.2f ms\n", Median(kromeChunks) * 1e3);
    std::printf("(k) morvane krome-banks.pcg     median %8.2f ms\n", Median(kromeBanks) * 1e3);
    std::printf("a/b = %.2f   c/a = %.2f   e/b = %.2f   f/g = %.2f\n", ma / mb, mc / ma, me / mb, mf / mg);
    std::printf("peak RSS: (a) %.1f MB   (e) %.1f MB   (f) %.1f MB\n", rss / 1024.0, rssFormats / 1024.0, rssCompare / 1024.0);

    fs::current_path(fs::temp_directory_path());
    fs::remove_all(work);
    return 0;
}
