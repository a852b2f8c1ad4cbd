#include <QWidget>
#include <cstring>

#include "platform/user/dragdrop_p.h"
#include "platform/user/shellapi.h"
#include "platform/user/window_p.h"

namespace {

struct DropBlock {
  DWORD magic = 0x44524F50;  // "DROP": tells a drop block from a stray handle
  std::vector<std::string> paths;
  POINT point{};
};

DropBlock* BlockOf(HDROP drop) {
  auto* block = reinterpret_cast<DropBlock*>(drop);
  return block && block->magic == 0x44524F50 ? block : nullptr;
}

}  // namespace

namespace user_p {

HDROP MakeDrop(const std::vector<std::string>& ansiPaths, POINT point) {
  auto* block = new DropBlock;
  block->paths = ansiPaths;
  block->point = point;
  return reinterpret_cast<HDROP>(block);
}

}  // namespace user_p

void DragAcceptFiles(HWND hWnd, BOOL accept) {
  user_p::RunOnOwnerThread(hWnd, [&] {
    if (QWidget* widget = user_p::WidgetOf(hWnd)) widget->setAcceptDrops(accept != FALSE);
  });
}

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size) {
  DropBlock* block = BlockOf(drop);
  if (!block) return 0;
  if (index == 0xFFFFFFFFu) return static_cast<UINT>(block->paths.size());
  if (index >= block->paths.size()) return 0;
  const std::string& path = block->paths[index];
  if (!file) return static_cast<UINT>(path.size());
  if (size == 0) return 0;
  size_t count = std::min<size_t>(path.size(), size - 1);
  std::memcpy(file, path.data(), count);
  file[count] = '\0';
  return static_cast<UINT>(count);
}

BOOL DragQueryPoint(HDROP drop, LPPOINT point) {
  DropBlock* block = BlockOf(drop);
  if (!block || !point) return FALSE;
  *point = block->point;
  return TRUE;
}

void DragFinish(HDROP drop) {
  if (DropBlock* block = BlockOf(drop)) {
    block->magic = 0;
    delete block;
  }
}
