#pragma once
// The synthesizer models MORVANE reads, as data: how a file header names each, how its file is
// laid out, what its banks are called and selected by, the word its outputs use and its
// templates. A new model is a row here and two template files.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

namespace morvane {

// Which walker reads the file.
enum class Layout {
    Kronos,      // the Kronos's own walk: fixed record sizes, set lists
    SizeDriven,  // every chunk bounded by its size, record sizes from each bank header
};

// Control Change 0 (MSB) and 32 (LSB), sent before the Program Change.
struct BankSelect {
    std::uint8_t msb;
    std::uint8_t lsb;
};

struct ModelBank {
    ChunkType kind;  // PRG1 or CMB1
    std::uint32_t bankId;
    std::string name;  // the listing's bank name: "Int A", "EXB-A", "H"
    BankSelect select;
};

constexpr int kAnySubId = -1;

struct Model {
    const char* word;          // in every output: "Kronos", "Triton Extreme"
    std::uint8_t productCode;  // file header byte 4
    int subId;                 // file header byte 8, or kAnySubId
    Layout layout;
    std::uint32_t chunkHeaderSize;
    std::uint32_t nameLength;     // the name field that begins every record
    std::uint32_t minRecordSize;  // a bank of smaller records is not one of this model's
    const char* bankWord;         // in "bank A (PBK1) is not a Triton bank"
    std::vector<ModelBank> banks;
    const char* headerTemplate;
    const char* trailerTemplate;
};

const std::vector<Model>& Models();
const Model& KronosModel();

// The model a 16-byte file header names: "KORG", a product code of a model, a zero byte, and for
// a model that needs it the sub id in byte 8. Null for a header that names none.
const Model* ModelOfHeader(const std::uint8_t* header, std::size_t size);

// "Invalid Bank" for an id the model does not name.
std::string BankNameOf(const Model& model, ChunkType kind, std::uint32_t bankId);
// None for a bank the model cannot select ("Invalid Bank").
std::optional<BankSelect> BankSelectOf(const Model& model, ChunkType kind, std::string_view bankName);

}  // namespace morvane
