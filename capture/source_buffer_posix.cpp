#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "capture/source_buffer.h"

namespace {

constexpr std::size_t kHugePage = 2u << 20;

}  // namespace

SourceBuffer::~SourceBuffer() { Release(); }

// A large map faults in page by page, and on virtual machines each fault is
// dear: ask for huge pages over the whole 2 MiB blocks of the buffer, and
// only those, so the memory used stays the source's size to the page.
// Smaller maps come from the heap, whose pages are usually there already.
bool SourceBuffer::Allocate(std::size_t size) {
  Release();
  if (size == 0 || size > SIZE_MAX - 2 * kHugePage) return false;
  if (size < kHugePage) {
    data_ = new (std::nothrow) char[size];  // default-initialised: no zero fill
    size_ = data_ ? size : 0;
    return data_ != nullptr;
  }
  const std::size_t page = 4096;
  const std::size_t length = (size + page - 1) / page * page;
  void* mapping = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return false;
  // Trim the mapping so that it starts on a huge-page boundary.
  const auto start = reinterpret_cast<std::uintptr_t>(mapping);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~(std::uintptr_t{kHugePage} - 1);
  if (aligned > start) munmap(mapping, aligned - start);
  if (aligned - start < kHugePage)
    munmap(reinterpret_cast<void*>(aligned + length), kHugePage - (aligned - start));
  madvise(reinterpret_cast<void*>(aligned), length / kHugePage * kHugePage, MADV_HUGEPAGE);
  data_ = reinterpret_cast<char*>(aligned);
  size_ = size;
  mapped_ = length;
  return true;
}

void SourceBuffer::Release() {
  if (mapped_)
    munmap(data_, mapped_);
  else
    delete[] data_;
  data_ = nullptr;
  size_ = 0;
  mapped_ = 0;
}
