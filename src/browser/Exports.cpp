// The functions the page's worker calls. Texts cross as UTF-8 with a terminating zero; input
// bytes are written by the worker into memory it allocated here and are viewed where they lie.
#include <cstdlib>
#include <string>

#include "app/Driver.h"
#include "browser/BundledTemplates.h"
#include "browser/Entry.h"
#include "platform/web/FileTable.h"

using namespace morvane;

namespace {

browser::Conversion& LastConversion() {
    static browser::Conversion conversion;
    return conversion;
}

browser::Comparison& LastComparison() {
    static browser::Comparison comparison;
    return comparison;
}

std::string& LastJson() {
    static std::string json;
    return json;
}

void AddBundledTemplates() {
    static bool added = false;
    if (added) return;
    added = true;
    for (std::size_t i = 0; i < browser::kBundledTemplateCount; ++i) {
        const browser::BundledFile& file = browser::kBundledTemplates[i];
        platform::web::AddFile(std::string(platform::web::kProgramDataDirectory) + file.name, file.data, file.size);
    }
}

// The outputs of the last conversion are dropped before the next run and before the memory
// they point into can be handed back.
void ForgetLastRun() {
    LastConversion() = browser::Conversion{};
    LastComparison() = browser::Comparison{};
    platform::web::ClearOutputs();
}

const platform::web::Output* OutputAt(int index) {
    const auto& outputs = LastConversion().outputs;
    if (index < 0 || static_cast<std::size_t>(index) >= outputs.size()) return nullptr;
    return &outputs[static_cast<std::size_t>(index)];
}

}  // namespace

extern "C" {

void* morvane_allocate(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

void morvane_release(void* data) { std::free(data); }

void morvane_add_file(const char* path, const std::uint8_t* data, std::size_t size) { platform::web::AddFile(path, data, size); }

void morvane_remove_file(const char* path) { platform::web::RemoveFile(path); }

// Inputs, your templates and outputs go; the bundled templates stay.
void morvane_clear_files() {
    ForgetLastRun();
    platform::web::ClearWorkingDirectory();
}

const char* morvane_convert(const char* name) {
    AddBundledTemplates();
    ForgetLastRun();
    browser::ConvertInput(name, LastConversion());
    LastJson() = browser::ConversionJson(LastConversion());
    return LastJson().c_str();
}

const std::uint8_t* morvane_output_data(int index) {
    const platform::web::Output* output = OutputAt(index);
    return output ? reinterpret_cast<const std::uint8_t*>(output->bytes->data()) : nullptr;
}

std::size_t morvane_output_size(int index) {
    const platform::web::Output* output = OutputAt(index);
    return output ? output->bytes->size() : 0;
}

const char* morvane_compare(const char* oldName, const char* newName) {
    AddBundledTemplates();
    ForgetLastRun();
    browser::CompareInputs(oldName, newName, LastComparison());
    LastJson() = browser::ComparisonJson(LastComparison());
    return LastJson().c_str();
}

const char* morvane_version() { return kVersion; }

}  // extern "C"
