#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "app/DropMode.h"
#include "app/Driver.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
    using namespace morvane;
    platform::StartProcess();
    // Faulting in 11.6 MB of bank buffers page by page costs more than reading a whole bank file.
    platform::PreferLargePages(BankBuffersBegin(), BankBuffersSize());
    // Started by Explorer, nobody reads the console: the outputs go beside each dropped file and
    // a message box says what became of it.
    if (platform::StartedByExplorer()) platform::ExitProcess(RunDropMode(platform::GetUtf8CommandLine(argc, argv)));
    platform::ExitProcess(RunMorvane(platform::GetCommandLine(argc, argv)));
}
