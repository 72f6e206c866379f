#include "launch/win_main.h"

#include "launch/launch_sequence.h"

int WinMain(void* /*instance*/, void* /*previousInstance*/, char* commandLineTail,
            int /*showCommand*/) {
    return RunLaunchSequence(commandLineTail);
}
