// The source of a book: plain UTF-8 text, one marker line before each record.
//
//   Anything before the first marker is a note and is not stored.
//   @@ 0
//   The book's title
//   Its subtitle
//   @@ 1
//   The reading for 1 January ...
//
// Markers number the records 0, 1, 2 ... in order, with none left out. A record's text is
// the lines after its marker, without leading and trailing blank lines, joined by single
// line feeds. Text is stored in Windows-1252.
#pragma once

#include <string>
#include <vector>

struct BookSourceError {
    int line = 0;  // 1-based; 0 when the error is not on one line
    std::string message;
};

// The records of a source, each in Windows-1252; false with error set when the source is
// not a valid one.
bool ParseBookSource(const std::string& utf8Source, std::vector<std::string>& records, BookSourceError& error);

// UTF-8 to Windows-1252. False (with the offending character in badCharacter, or -1 for
// bytes that are not UTF-8) when the text holds a character that code page cannot hold.
bool EncodeWindows1252(const std::string& utf8, std::string& out, long& badCharacter);
