// The least a launcher can do: start the game with the mod's definition and wait until it has
// ended. The benchmark of the product under 32-bit Wine times it beside the product, so that
// what both pay to Wine (their own start, the game's start and end) shows as such, and what is
// left is the product's own work. A GUI program like the product, so that neither gets a
// console; unlike the product it has the C runtime's start-up, which makes it a little slower.
#include <windows.h>

#include "mod_identity.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char commandLine[] = GAME_EXECUTABLE_PATH " -game:" MOD_DEFINITION_NAME;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION game = {};
    if (CreateProcessA(GAME_EXECUTABLE_PATH, commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &game) == 0) {
        return 1;
    }
    WaitForSingleObject(game.hProcess, INFINITE);
    CloseHandle(game.hThread);
    CloseHandle(game.hProcess);
    return 0;
}
