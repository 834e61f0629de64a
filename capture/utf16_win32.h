// UTF-8 inside the program, UTF-16 at the Windows API: the one place the
// two meet.
#pragma once

#include <string>

// False for text that is not valid UTF-8, rather than naming something else.
bool Utf16Of(const std::string& utf8, std::wstring* wide);
// For text shown to the user; empty when not valid UTF-8.
std::wstring Utf16Of(const std::string& utf8);
// Unpaired surrogates become U+FFFD.
std::string Utf8Of(const std::wstring& wide);
