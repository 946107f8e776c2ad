// UTF-8, the host's text for file names, terminals and book sources, to and from the
// platform's wide characters.
#pragma once

#include <string>

// Decodes the character at i and moves i past it. A byte that starts no well-formed
// sequence (cut short, overlong, a surrogate, past U+10FFFF) gives -1 and moves one byte.
long DecodeUtf8(const std::string& text, std::size_t& i);
void AppendUtf8(std::string& out, unsigned long character);
std::string Utf8FromWide(const std::wstring& wide);
