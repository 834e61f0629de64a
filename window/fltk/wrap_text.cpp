#include "window/fltk/wrap_text.h"

namespace {

// Length in bytes of the UTF-8 sequence that starts at `at`.
std::size_t CodePointLength(std::string_view text, std::size_t at) {
  std::size_t end = at + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  return end - at;
}

// Appends `word`, too wide for any line, as full lines; keeps the rest open in `line`.
void BreakWord(std::string_view word, double maxWidth, const TextWidth& width,
               std::vector<std::string>& lines, std::string& line) {
  std::size_t start = 0, end = 0;
  while (end < word.size()) {
    const std::size_t next = end + CodePointLength(word, end);
    if (end > start && width(word.substr(start, next - start)) > maxWidth) {
      lines.emplace_back(word.substr(start, end - start));
      start = end;
    }
    end = next;
  }
  line.assign(word.substr(start));
}

void WrapParagraph(std::string_view paragraph, double maxWidth, const TextWidth& width,
                   std::vector<std::string>& lines) {
  std::string line;
  bool first = true;
  std::size_t at = 0;
  for (;;) {
    const std::size_t space = paragraph.find(' ', at);
    const std::string_view word =
        paragraph.substr(at, space == std::string_view::npos ? std::string_view::npos : space - at);
    // Runs of spaces are kept as typed, so every word but the first brings its space.
    std::string candidate = first ? std::string(word) : line + ' ' + std::string(word);
    if (first || width(candidate) <= maxWidth) {
      line = std::move(candidate);
    } else {
      lines.push_back(std::move(line));
      line.assign(word);
    }
    if (width(line) > maxWidth) BreakWord(std::string(line), maxWidth, width, lines, line);
    first = false;
    if (space == std::string_view::npos) break;
    at = space + 1;
  }
  lines.push_back(std::move(line));
}

}  // namespace

std::vector<std::string> WrapText(std::string_view text, double maxWidth, const TextWidth& width) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (;;) {
    const std::size_t newline = text.find('\n', at);
    WrapParagraph(text.substr(at, newline == std::string_view::npos ? std::string_view::npos
                                                                    : newline - at),
                  maxWidth, width, lines);
    if (newline == std::string_view::npos) break;
    at = newline + 1;
  }
  return lines;
}
