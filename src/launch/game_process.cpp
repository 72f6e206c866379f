#include "launch/game_process.h"

#include "common/bounded_text.h"
#include "common/game_folder.h"
#include "platform/platform.h"

bool BuildGameCommandLine(const char* tail, char* buffer, size_t capacity) {
    if (!CopyText(buffer, capacity, kGameCommand)) {
        return false;
    }
    if (tail == nullptr || tail[0] == '\0') {
        return true;
    }
    const size_t commandLength = TextLength(buffer);
    if (!AppendText(buffer, capacity, " ") || !AppendText(buffer, capacity, tail)) {
        buffer[commandLength] = '\0';
        return false;
    }
    return true;
}

void RunGameAndWait(const char* tail) {
    // A tail too long for the system's limit cannot reach the game at all; the game is then
    // started with its own command alone rather than with a tail cut in the middle of an option.
    char commandLine[kMaxCommandLine];
    BuildGameCommandLine(tail, commandLine, sizeof commandLine);
    RunProcessAndWait(commandLine);
}
