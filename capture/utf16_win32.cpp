#include "capture/utf16_win32.h"

#include <windows.h>

#include <climits>

bool Utf16Of(const std::string& utf8, std::wstring* wide) {
  wide->clear();
  if (utf8.empty()) return true;
  if (utf8.size() > INT_MAX) return false;
  const int size = static_cast<int>(utf8.size());
  const int length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (length <= 0) return false;
  wide->resize(static_cast<std::size_t>(length));
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide->data(),
                             length) == length;
}

std::wstring Utf16Of(const std::string& utf8) {
  std::wstring wide;
  if (!Utf16Of(utf8, &wide)) wide.clear();
  return wide;
}

std::string Utf8Of(const std::wstring& wide) {
  if (wide.empty() || wide.size() > INT_MAX) return std::string();
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}
