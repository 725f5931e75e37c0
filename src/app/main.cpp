#include "app/Driver.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
    morvane::platform::StartProcess();
    const int exitCode = morvane::RunMorvane(morvane::platform::GetCommandLine(argc, argv));
    morvane::platform::ExitProcess(exitCode);
}
