// Writes a realistic Kronos bank file: make_sample_pcg <output.pcg> [--full] [--seed N]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "PcgBuilder.h"

int main(int argc, char** argv) {
    pcgbuild::SampleOptions options;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--full") == 0) {
            options.full = true;
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (!output) {
            output = argv[i];
        } else {
            output = nullptr;
            break;
        }
    }
    if (!output) {
        std::fprintf(stderr, "usage: make_sample_pcg <output.pcg> [--full] [--seed N]\n");
        return 2;
    }
    const pcgbuild::Bytes bytes = pcgbuild::SamplePcg(options);
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
