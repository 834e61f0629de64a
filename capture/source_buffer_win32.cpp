#include <windows.h>

#include "capture/source_buffer.h"

SourceBuffer::~SourceBuffer() { Release(); }

// Straight from the system: committed pages arrive zeroed by the kernel, so
// nothing here writes a byte before the read does.
bool SourceBuffer::Allocate(std::size_t size) {
  Release();
  if (size == 0) return false;
  data_ = static_cast<char*>(VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (!data_) return false;
  size_ = size;
  mapped_ = size;
  return true;
}

void SourceBuffer::Release() {
  if (data_) VirtualFree(data_, 0, MEM_RELEASE);
  data_ = nullptr;
  size_ = 0;
  mapped_ = 0;
}
