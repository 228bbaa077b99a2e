#pragma once

// The program's entry, in its order: the single-instance test, the splash,
// the application title, the data module, the main window and the hidden
// about plug-in dialog, then the message loop. Returns the exit code.
int runProgram(int argc, char* argv[]);
