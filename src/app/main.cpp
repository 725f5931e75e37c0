#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "app/Driver.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
    using namespace morvane;
    platform::StartProcess();
    // Faulting in 11.6 MB of bank buffers page by page costs more than reading a whole bank file.
    platform::PreferLargePages(BankBuffersBegin(), BankBuffersSize());
    platform::ExitProcess(RunMorvane(platform::GetCommandLine(argc, argv)));
}
