#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "app/Driver.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

int main(int argc, char** argv) {
    using namespace morvane;
    platform::StartProcess();
    // Faulting in 11.6 MB of bank buffers page by page costs more than reading a whole bank file.
    const std::pair<std::uint8_t*, std::size_t> buffers[] = {
        {ProgramBankHD1, sizeof ProgramBankHD1}, {ProgramBankEXi, sizeof ProgramBankEXi}, {CombiBank, sizeof CombiBank},
        {SetListBank, sizeof SetListBank},       {SetListDataBlock, sizeof SetListDataBlock}};
    std::uintptr_t begin = UINTPTR_MAX, end = 0;
    for (const auto& [buffer, size] : buffers) {
        begin = std::min(begin, reinterpret_cast<std::uintptr_t>(buffer));
        end = std::max(end, reinterpret_cast<std::uintptr_t>(buffer + size));
    }
    platform::PreferLargePages(reinterpret_cast<void*>(begin), end - begin);
    platform::ExitProcess(RunMorvane(platform::GetCommandLine(argc, argv)));
}
