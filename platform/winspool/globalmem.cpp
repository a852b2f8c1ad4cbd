// Global memory blocks: a live set of handles so that a stale handle fails instead of crashing.
#include "platform/winspool/globalmem.h"

#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

#include "platform/win32/error.h"

namespace {

struct Block {
  size_t size;
  int locks = 0;
  unsigned char* data;
};

std::mutex& BlockMutex() {
  static std::mutex m;
  return m;
}
std::unordered_set<Block*>& Blocks() {
  static std::unordered_set<Block*> blocks;
  return blocks;
}

// Called with BlockMutex held.
Block* Find(HGLOBAL handle) {
  auto* block = static_cast<Block*>(handle);
  if (!handle || !Blocks().count(block)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return block;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  // A zero-byte block still gets an address, so callers can lock it.
  auto* data = new (std::nothrow) unsigned char[bytes ? bytes : 1];
  if (!data) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (flags & GMEM_ZEROINIT) std::memset(data, 0, bytes ? bytes : 1);
  auto* block = new Block{bytes, 0, data};
  std::lock_guard<std::mutex> lock(BlockMutex());
  Blocks().insert(block);
  return block;
}

LPVOID GlobalLock(HGLOBAL handle) {
  std::lock_guard<std::mutex> lock(BlockMutex());
  Block* block = Find(handle);
  if (!block) return nullptr;
  ++block->locks;
  return block->data;
}

BOOL GlobalUnlock(HGLOBAL handle) {
  std::lock_guard<std::mutex> lock(BlockMutex());
  Block* block = Find(handle);
  if (!block) return FALSE;
  if (block->locks > 0) --block->locks;
  SetLastError(NO_ERROR);
  return block->locks > 0;
}

SIZE_T GlobalSize(HGLOBAL handle) {
  std::lock_guard<std::mutex> lock(BlockMutex());
  Block* block = Find(handle);
  return block ? block->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL handle) {
  std::lock_guard<std::mutex> lock(BlockMutex());
  Block* block = Find(handle);
  if (!block) return handle;
  Blocks().erase(block);
  delete[] block->data;
  delete block;
  return nullptr;
}
