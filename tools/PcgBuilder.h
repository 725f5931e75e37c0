#pragma once
// Composes PCG files from headers, chunks, banks and records, for the sample tool, the tests,
// the fuzz seeds and the benchmark.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace pcgbuild {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& out, const Bytes& more);
Bytes Concat(std::initializer_list<Bytes> parts);
void PutBigEndian32(Bytes& out, std::uint32_t value);
Bytes Text(std::string_view text);

// "KORG", the product code, the zero byte and ten bytes nobody reads.
Bytes FileHeaderBytes(std::uint8_t productCode = 0x68, std::uint8_t zeroByte = 0);
Bytes ChunkHeaderBytes(std::string_view id, std::uint32_t size, std::uint32_t parm2 = 0);
// A chunk whose Size is its contents' length.
Bytes Chunk(std::string_view id, const Bytes& contents, std::uint32_t parm2 = 0);
Bytes BankHeaderBytes(std::uint32_t recordCount, std::uint32_t recordSize, std::uint32_t bankId);
// A bank chunk: header, BankHeader (128 records of recordSize) and the records.
Bytes BankChunk(std::string_view id, std::uint32_t bankId, std::uint32_t recordSize, const Bytes& records);
// File header, PCG1 header sized for the chunks, and the chunks.
Bytes PcgFile(std::initializer_list<Bytes> level2Chunks);
Bytes PcgFile(const std::vector<Bytes>& level2Chunks);

// A record of the given size: the name (at most 24 bytes, zero-padded) then filler.
Bytes Record(std::uint32_t size, std::string_view name, std::uint8_t filler = 0);
// Puts a name into the 24 name bytes at offset, zero-padded.
void PutName(Bytes& out, std::size_t offset, std::string_view name);

// The Triton family: a 16-byte file header whose byte 8 tells a Triton Extreme (1) from the other
// Tritons (0), and 8-byte chunk headers (identifier, big-endian body size).
Bytes TritonFileHeaderBytes(std::uint8_t productCode = 0x50, std::uint8_t subId = 0);
Bytes TritonChunkHeaderBytes(std::string_view id, std::uint32_t size);
Bytes TritonChunk(std::string_view id, const Bytes& contents);
// A bank chunk: header, bank header (recordCount records of recordSize) and the records.
Bytes TritonBankChunk(std::string_view id, std::uint32_t bankId, std::uint32_t recordSize, const Bytes& records,
                      std::uint32_t recordCount = 128);
// File header, PCG1 header sized for the chunks, and the chunks.
Bytes TritonPcgFile(const std::vector<Bytes>& level2Chunks, std::uint8_t productCode = 0x50, std::uint8_t subId = 0);
// 128 records of recordSize: record i named names[i] (its 16 name bytes padded with spaces, as the
// instruments pad them), the rest filler.
Bytes TritonRecords(std::uint32_t recordSize, const std::vector<std::string>& names, std::uint8_t filler = 0);
// A Triton Extreme bank file laid out as its factory file is: DIV1, an INI1 whose item names hold
// "GLB1" and "PBK1", program banks A-E, F (MOSS, 604-byte records) and H-N, combination banks A-E
// and H-N, then drum kits, arpeggios and global data. Program i of bank X is named "X Prog i",
// combination i "X Combi i".
Bytes TritonExtremeSample();

// The Kronos-container models (Oasys, M3, M50, microSTATION, Krome, Krome EX, Kross, Kross 2,
// Nautilus): the Kronos's 16-byte file header with the model's product code, 12-byte chunk headers,
// record sizes from each bank header, 24-byte names.
Bytes ContainerPcgFile(const std::vector<Bytes>& level2Chunks, std::uint8_t productCode);
// 128 records of recordSize: record i named names[i] (its 24 name bytes zero-padded), the rest filler.
Bytes NamedRecords(std::uint32_t recordSize, const std::vector<std::string>& names, std::uint8_t filler = 0);
// A bank file of the container model with that product code, laid out as such files are: DIV1,
// INI2 (whose entries name "PBK1" and "CBK1" as text), INI1, a program bank for every program
// bank the model names and a combination bank for every combination bank, in the model's order
// (a bank with two ids under its last one), then drum kits, wave sequences and global data, and
// on the Nautilus set lists. Program i of bank X is named "X Prog i", combination i "X Combi i".
Bytes ContainerModelSample(std::uint8_t productCode);

// A small deterministic generator, the same on every platform and compiler.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    std::uint32_t Below(std::uint32_t bound) { return static_cast<std::uint32_t>(Next() % bound); }
    void Fill(std::uint8_t* data, std::size_t size);

private:
    std::uint64_t state_;
};

struct SampleOptions {
    bool full = false;       // every bank a Kronos holds, about 40 MB
    std::uint64_t seed = 2015;
};
// A realistic bank file: unknown chunks first, program, combination and set list banks with
// readable names, then drum kits, wave sequences, arpeggios and global data.
Bytes SamplePcg(const SampleOptions& options);

}  // namespace pcgbuild
