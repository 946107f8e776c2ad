// The book tool's five commands. Each writes its output to standard output, its refusal
// to standard error (naming the file and why), and returns the exit status.
#pragma once

#include <string>

#include "platform/core/Types.h"

int BuildBook(const std::string& sourcePath, const std::string& outPath);
// The exact text of record indexText; on a terminal it ends with a line feed.
int ShowRecord(const std::string& bookPath, const std::string& indexText);
// "Verse N:", a blank line and the reading, with line feeds only; wrapped to width
// columns (0: the terminal's when standard output is one, otherwise not at all).
int ReadVerse(const std::string& bookPath, const SYSTEMTIME& date, int width);
int ListRecords(const std::string& bookPath);
// At most the first kProblemsShown problems, then how many more.
int CheckStructure(const std::string& bookPath);

constexpr std::size_t kProblemsShown = 20;

// Writes "solmira-book: message" on standard error and returns status.
int Refuse(int status, const std::string& message);
