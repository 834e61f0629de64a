// Breaks a message into lines that fit a width, as a message box shows it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Width of a piece of UTF-8 text in the caller's units (pixels when drawing).
using TextWidth = std::function<double(std::string_view)>;

// Lines of `text` (UTF-8) no wider than `maxWidth`: broken at spaces where it
// can be, inside a word that is wider than a whole line, and at every '\n'.
// A user's level name can be one long word, so it must still show in full.
// A code point is never split; a line holds at least one.
std::vector<std::string> WrapText(std::string_view text, double maxWidth, const TextWidth& width);
