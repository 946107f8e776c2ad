// The book tool's exit statuses, as its usage and manual page give them.
#pragma once

constexpr int kExitDone = 0;
// A problem in the book or the source: not a sound book, no such record, too large.
constexpr int kExitProblem = 1;
// A bad command line, or a file that cannot be opened, read or written.
constexpr int kExitUsage = 2;
