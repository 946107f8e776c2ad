// What the program answers on its command line without opening a window: its usage and
// its version, as any command does.
#pragma once

// Answers --help or --version on standard output and returns true; returns false for any
// other command line, which the window system reads as its own.
bool AnswerCommandLine(int argc, char* argv[]);
