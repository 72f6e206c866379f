// The launcher's program entry as Windows defines it for a GUI program, in plain types: the
// instance handles and the show state are ignored, and the command-line tail is all it uses.
// Each system's process entry computes the tail and calls this; its result is the exit status.
#pragma once

int WinMain(void* instance, void* previousInstance, char* commandLineTail, int showCommand);
