#include "platform/mfc/imagelist.h"

#include <QImage>
#include <QPainter>
#include <mutex>
#include <set>
#include <vector>

#include "platform/gdi/gdi_p.h"
#include "platform/mfc/cdc.h"

struct ImageListData {
  int cx;
  int cy;
  std::vector<QImage> pictures;
};

namespace {

std::mutex g_mutex;
std::set<HIMAGELIST> g_lists;

bool IsLive(HIMAGELIST list) { return list && g_lists.count(list); }

}  // namespace

namespace mfc_p {

/// The picture at `index` (null image for a bad list or index); list controls draw with it.
QImage ImageListPicture(HIMAGELIST list, int index) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!IsLive(list) || index < 0 || index >= static_cast<int>(list->pictures.size())) return QImage();
  return list->pictures[index];
}

}  // namespace mfc_p

HIMAGELIST ImageList_Create(int cx, int cy, UINT, int initial, int) {
  if (cx <= 0 || cy <= 0) return nullptr;
  auto* list = new ImageListData{cx, cy, {}};
  list->pictures.reserve(initial > 0 ? initial : 0);
  std::lock_guard<std::mutex> lock(g_mutex);
  g_lists.insert(list);
  return list;
}

BOOL ImageList_Destroy(HIMAGELIST list) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!IsLive(list)) return FALSE;
  g_lists.erase(list);
  delete list;
  return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST list) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return IsLive(list) ? static_cast<int>(list->pictures.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!IsLive(list)) return FALSE;
  if (cx) *cx = list->cx;
  if (cy) *cy = list->cy;
  return TRUE;
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP) {
  gdi_p::Bitmap* bitmap = gdi_p::BitmapFromHandle(image);
  if (!bitmap || bitmap->image.isNull()) return -1;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!IsLive(list)) return -1;
  QImage picture = bitmap->image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (bitmap->bottomUp) picture = picture.mirrored(false, true);
  if (picture.width() != list->cx || picture.height() != list->cy)
    picture = picture.scaled(list->cx, list->cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  list->pictures.push_back(picture);
  return static_cast<int>(list->pictures.size() - 1);
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT) {
  QImage picture = mfc_p::ImageListPicture(list, index);
  gdi_p::DC* target = gdi_p::DcFromHandle(dc);
  if (picture.isNull() || !target) return FALSE;
  QPainter* painter = gdi_p::Painter(*target);
  if (!painter) return FALSE;
  painter->drawImage(x, y, picture);
  return TRUE;
}

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
  if (m_hImageList) return FALSE;
  m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
  return m_hImageList ? TRUE : FALSE;
}

BOOL CImageList::DeleteImageList() {
  if (!m_hImageList) return FALSE;
  ImageList_Destroy(m_hImageList);
  m_hImageList = nullptr;
  return TRUE;
}

int CImageList::Add(CBitmap* image, CBitmap* mask) {
  return ImageList_Add(m_hImageList, image ? static_cast<HBITMAP>(*image) : nullptr,
                       mask ? static_cast<HBITMAP>(*mask) : nullptr);
}

BOOL CImageList::Draw(CDC* dc, int index, POINT point, UINT style) {
  return dc ? ImageList_Draw(m_hImageList, index, dc->GetSafeHdc(), point.x, point.y, style) : FALSE;
}
