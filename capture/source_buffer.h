// Memory for a whole current.thm: one block, never zero-filled by us, that
// each platform gets from the system in its cheapest way.
#pragma once

#include <cstddef>

class SourceBuffer {
 public:
  SourceBuffer() = default;
  ~SourceBuffer();
  SourceBuffer(const SourceBuffer&) = delete;
  SourceBuffer& operator=(const SourceBuffer&) = delete;

  // Replaces what the buffer held. False when the memory cannot be had;
  // the buffer is then empty.
  bool Allocate(std::size_t size);
  char* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  void Release();

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // length of the mapping; 0 for heap memory
};
