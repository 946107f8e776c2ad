// The reading as a terminal shows it: line feeds only, words wrapped to the width, and
// no control character that the terminal would act on.
#pragma once

#include <string>

// The widest a reading is wrapped on a terminal, as other text tools do.
constexpr int kWidestTerminalText = 80;

// Whether fd is a terminal.
bool IsTerminal(int fd);

// The columns of the terminal at fd (its window size, otherwise $COLUMNS, otherwise the
// widest), at most kWidestTerminalText.
int TerminalWidth(int fd);

// Each line end the text box knows ("\r\r\n", "\r\n", "\n" or a lone "\r") as one line
// feed: the lines the window shows.
std::wstring WithLineFeeds(const std::wstring& text);

// Each line longer than width broken between words, so that no line is longer unless it
// is a single word. Lines that fit are left as they are.
std::wstring WrappedWords(const std::wstring& text, int width);

// Control characters other than tab and line feed as U+FFFD, so that a book cannot move
// the cursor or send the terminal commands.
std::wstring WithVisibleControls(const std::wstring& text);
