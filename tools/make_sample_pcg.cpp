// Writes a realistic bank file: make_sample_pcg <output.pcg> [--full] [--seed N] [--model WORD]
// A Kronos file by default; --model "Triton Extreme" or any Kronos-container model ("Krome",
// "Kross 2", ...) writes that model's sample instead.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "PcgBuilder.h"
#include "models/Models.h"

namespace {

bool ModelSample(const std::string& word, pcgbuild::Bytes& bytes) {
    if (word == "Triton Extreme") {
        bytes = pcgbuild::TritonExtremeSample();
        return true;
    }
    for (const morvane::Model& model : morvane::Models()) {
        if (word != model.word || model.layout != morvane::Layout::SizeDriven || model.chunkHeaderSize != 12) continue;
        bytes = pcgbuild::ContainerModelSample(model.productCode);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    pcgbuild::SampleOptions options;
    const char* output = nullptr;
    const char* model = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--full") == 0) {
            options.full = true;
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--model") == 0 && i + 1 < argc) {
            model = argv[++i];
        } else if (!output) {
            output = argv[i];
        } else {
            output = nullptr;
            break;
        }
    }
    if (!output) {
        std::fprintf(stderr, "usage: make_sample_pcg <output.pcg> [--full] [--seed N] [--model WORD]\n");
        return 2;
    }
    pcgbuild::Bytes bytes;
    if (!model || std::strcmp(model, "Kronos") == 0) {
        bytes = pcgbuild::SamplePcg(options);
    } else if (!ModelSample(model, bytes)) {
        std::fprintf(stderr, "make_sample_pcg: no sample of a model '%s' (Kronos, Triton Extreme, or a Kronos-container model)\n", model);
        return 2;
    }
    std::FILE* file = std::fopen(output, "wb");
    if (!file) {
        std::perror(output);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        std::perror(output);
        return 1;
    }
    std::printf("%s: %zu bytes\n", output, bytes.size());
    return 0;
}
