// The floor a conversion is measured against: read each file and compute zlib's CRC-32 over every
// byte of it. Usage: crc_floor <file>...
#include <zlib.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: crc_floor <file>...\n");
        return 2;
    }
    std::vector<unsigned char> buffer(1 << 20);
    for (int i = 1; i < argc; ++i) {
        std::FILE* file = std::fopen(argv[i], "rb");
        if (!file) {
            std::perror(argv[i]);
            return 1;
        }
        uLong crc = crc32(0L, Z_NULL, 0);
        std::size_t got;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) crc = crc32(crc, buffer.data(), static_cast<uInt>(got));
        std::fclose(file);
        std::printf("%08lX %s\n", crc, argv[i]);
    }
    return 0;
}
