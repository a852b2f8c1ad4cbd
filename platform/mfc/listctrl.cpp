// The list view window class: a Qt item view over a model of rows (items) and columns
// (sub-items) inside the control's window, answering the LVM_ messages and telling the
// parent of selection changes, clicks and custom drawing by WM_NOTIFY.
#include "platform/mfc/listctrl.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QListView>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <mutex>
#include <set>
#include <string>

#include "platform/gdi/dc_p.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/window_p.h"

namespace mfc_p {
QImage ImageListPicture(HIMAGELIST list, int index);
}

namespace {

constexpr int kDataRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;

class ListHost;

// Hands each item to the parent first when it asked to draw items (custom draw).
class ItemDelegate : public QStyledItemDelegate {
 public:
  explicit ItemDelegate(ListHost* host);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  ListHost* m_host;
};

// An item view that asks the parent at the start of each paint whether it draws items.
template <class Base>
class DrawnView : public Base {
 public:
  DrawnView(ListHost* host, QWidget* parent) : Base(parent), m_host(host) {}

 protected:
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  ListHost* m_host;
};

class ListHost : public QWidget {
 public:
  ListHost(HWND hwnd, DWORD style, QWidget* parent) : QWidget(parent), m_hwnd(hwnd), m_style(style) {
    m_model.setColumnCount(1);
    if ((style & LVS_TYPEMASK) == LVS_REPORT) {
      auto* tree = new DrawnView<QTreeView>(this, this);
      tree->setRootIsDecorated(false);
      tree->setUniformRowHeights(true);
      tree->setItemsExpandable(false);
      tree->setAllColumnsShowFocus(true);
      tree->header()->setStretchLastSection(false);
      m_view = tree;
    } else {
      auto* list = new DrawnView<QListView>(this, this);
      list->setViewMode(QListView::IconMode);
      list->setResizeMode(QListView::Adjust);
      list->setMovement(QListView::Static);
      list->setWrapping(true);
      list->setWordWrap(!(style & LVS_NOLABELWRAP));
      list->setUniformItemSizes(true);
      m_view = list;
    }
    m_view->setModel(&m_model);
    m_view->setItemDelegate(new ItemDelegate(this));
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode((style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                     : QAbstractItemView::ExtendedSelection);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFocusProxy(m_view);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
              SelectionChanged(selected, deselected);
            });
    connect(m_view, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) { Activate(NM_CLICK, i); });
    connect(m_view, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& i) { Activate(NM_DBLCLK, i); });
  }

  bool IsReport() const { return (m_style & LVS_TYPEMASK) == LVS_REPORT; }
  int Count() const { return m_model.rowCount(); }
  bool ValidRow(int row) const { return row >= 0 && row < Count(); }
  QAbstractItemView* View() const { return m_view; }
  QSize Spacing() const { return m_spacing; }

  LRESULT Notify(NMHDR* hdr) {
    hdr->hwndFrom = m_hwnd;
    hdr->idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hwnd));
    HWND parent = ::GetParent(m_hwnd);
    return parent ? ::SendMessageA(parent, WM_NOTIFY, hdr->idFrom, reinterpret_cast<LPARAM>(hdr)) : 0;
  }

  LPARAM DataOf(int row) const {
    QStandardItem* item = m_model.item(row, 0);
    return item ? static_cast<LPARAM>(item->data(kDataRole).toLongLong()) : 0;
  }

  bool IsSelected(int row) const { return m_view->selectionModel()->isRowSelected(row, QModelIndex()); }
  bool IsFocused(int row) const { return m_view->selectionModel()->currentIndex().row() == row; }

  UINT StateOf(int row, UINT mask) const {
    UINT state = 0;
    if ((mask & LVIS_SELECTED) && IsSelected(row)) state |= LVIS_SELECTED;
    if ((mask & LVIS_FOCUSED) && IsFocused(row)) state |= LVIS_FOCUSED;
    return state;
  }

  void SetState(int row, UINT state, UINT mask) {
    QItemSelectionModel* selection = m_view->selectionModel();
    QModelIndex index = m_model.index(row, 0);
    if (mask & LVIS_SELECTED) {
      bool single = (m_style & LVS_SINGLESEL) != 0;
      QItemSelectionModel::SelectionFlags flags =
          (state & LVIS_SELECTED) ? (single ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select)
                                  : QItemSelectionModel::Deselect;
      selection->select(index, flags | QItemSelectionModel::Rows);
    }
    if (mask & LVIS_FOCUSED) {
      selection->setCurrentIndex((state & LVIS_FOCUSED) ? index : QModelIndex(), QItemSelectionModel::NoUpdate);
    }
  }

  int SelectedCount() const {
    std::set<int> rows;
    for (const QModelIndex& index : m_view->selectionModel()->selectedIndexes()) rows.insert(index.row());
    return static_cast<int>(rows.size());
  }

  void Decorate(int row) {
    QStandardItem* item = m_model.item(row, 0);
    if (!item) return;
    QImage picture = mfc_p::ImageListPicture(m_images[IsReport() ? LVSIL_SMALL : LVSIL_NORMAL],
                                             item->data(kImageRole).toInt());
    item->setData(picture.isNull() ? QVariant() : QVariant(picture), Qt::DecorationRole);
  }

  HIMAGELIST SetImages(int kind, HIMAGELIST list) {
    if (kind != LVSIL_NORMAL && kind != LVSIL_SMALL) return nullptr;
    HIMAGELIST old = m_images[kind];
    m_images[kind] = list;
    int cx = 0, cy = 0;
    if (kind == (IsReport() ? LVSIL_SMALL : LVSIL_NORMAL) && ImageList_GetIconSize(list, &cx, &cy))
      m_view->setIconSize(QSize(cx, cy));
    for (int row = 0; row < Count(); ++row) Decorate(row);
    return old;
  }

  int ColumnCount() const { return std::max(m_columns, 1); }

  int InsertColumn(int column, const LVCOLUMNA& info) {
    column = std::clamp(column, 0, m_columns);
    if (m_columns > 0) m_model.insertColumn(column);
    ++m_columns;
    QString heading = (info.mask & LVCF_TEXT) ? user_p::ToQString(info.pszText) : QString();
    m_model.setHorizontalHeaderItem(column, new QStandardItem(heading));
    if (auto* tree = qobject_cast<QTreeView*>(m_view); tree && (info.mask & LVCF_WIDTH) && info.cx >= 0)
      tree->setColumnWidth(column, info.cx);
    return column;
  }

  BOOL SetColumnWidth(int column, int width) {
    auto* tree = qobject_cast<QTreeView*>(m_view);
    if (!tree || column < 0 || column >= ColumnCount()) return FALSE;
    tree->setColumnWidth(column, width);
    return TRUE;
  }

  QStandardItem* Cell(int row, int column) {
    QStandardItem* item = m_model.item(row, column);
    if (!item) {
      item = new QStandardItem;
      item->setEditable(false);
      m_model.setItem(row, column, item);
    }
    return item;
  }

  int Insert(const LVITEMA& info) {
    if (info.iSubItem != 0) return -1;
    int row = std::clamp(info.iItem, 0, Count());
    QList<QStandardItem*> cells;
    for (int column = 0; column < ColumnCount(); ++column) {
      auto* cell = new QStandardItem;
      cell->setEditable(false);
      cells.append(cell);
    }
    cells[0]->setData(static_cast<qlonglong>((info.mask & LVIF_PARAM) ? info.lParam : 0), kDataRole);
    cells[0]->setData((info.mask & LVIF_IMAGE) ? info.iImage : -1, kImageRole);
    if (info.mask & LVIF_TEXT) cells[0]->setText(user_p::ToQString(info.pszText));
    m_model.insertRow(row, cells);
    Decorate(row);
    if (info.mask & LVIF_STATE) SetState(row, info.state, info.stateMask);
    return row;
  }

  BOOL Set(const LVITEMA& info) {
    if (!ValidRow(info.iItem) || info.iSubItem < 0 || info.iSubItem >= ColumnCount()) return FALSE;
    if (info.mask & LVIF_TEXT) Cell(info.iItem, info.iSubItem)->setText(user_p::ToQString(info.pszText));
    if (info.iSubItem == 0) {
      if (info.mask & LVIF_PARAM) Cell(info.iItem, 0)->setData(static_cast<qlonglong>(info.lParam), kDataRole);
      if (info.mask & LVIF_IMAGE) {
        Cell(info.iItem, 0)->setData(info.iImage, kImageRole);
        Decorate(info.iItem);
      }
      if (info.mask & LVIF_STATE) SetState(info.iItem, info.state, info.stateMask);
    }
    return TRUE;
  }

  /// The text of a cell; false for a missing item or column.
  bool TextOf(int row, int column, std::string* text) const {
    if (!ValidRow(row) || column < 0 || column >= ColumnCount()) return false;
    QStandardItem* item = m_model.item(row, column);
    *text = item ? user_p::FromQString(item->text()) : std::string();
    return true;
  }

  BOOL Get(LVITEMA* info) const {
    if (!info || !ValidRow(info->iItem)) return FALSE;
    if (info->mask & LVIF_TEXT) {
      std::string text;
      if (!TextOf(info->iItem, info->iSubItem, &text)) return FALSE;
      CopyText(text, info->pszText, info->cchTextMax);
    }
    if (info->mask & LVIF_PARAM) info->lParam = DataOf(info->iItem);
    if (info->mask & LVIF_IMAGE) info->iImage = m_model.item(info->iItem, 0)->data(kImageRole).toInt();
    if (info->mask & LVIF_STATE) info->state = StateOf(info->iItem, info->stateMask);
    return TRUE;
  }

  static int CopyText(const std::string& text, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    int n = std::min(static_cast<int>(text.size()), size - 1);
    std::copy_n(text.data(), n, buffer);
    buffer[n] = '\0';
    return n;
  }

  BOOL Remove(int first, int count) {
    if (first < 0 || count < 0 || first + count > Count()) return FALSE;
    m_quiet = true;  // deleted items report no state change
    m_model.removeRows(first, count);
    m_quiet = false;
    return TRUE;
  }

  /// The item's bounds in the item area; empty for a missing item.
  QRect Bounds(int row, UINT code) const {
    if (!ValidRow(row)) return QRect();
    QRect rect = m_view->visualRect(m_model.index(row, 0));
    if (IsReport() && code == LVIR_BOUNDS) {
      for (int column = 1; column < ColumnCount(); ++column)
        rect = rect.united(m_view->visualRect(m_model.index(row, column)));
    }
    return rect;
  }

  void BeginPaint() {
    m_skippedRow = -1;
    m_prepaint = CDRF_DODEFAULT;
    QSize size = m_view->viewport()->size();
    if (m_canvas.width() < size.width() || m_canvas.height() < size.height())
      m_canvas = QImage(size.expandedTo(m_canvas.size()), QImage::Format_ARGB32_Premultiplied);
    if (m_canvas.isNull()) return;
    // What the parent draws here is not shown; only its answer counts.
    HDC dc = gdi_p::CreatePaintDeviceDC(&m_canvas);
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = CDDS_PREPAINT;
    draw.nmcd.hdc = dc;
    draw.nmcd.rc = {0, 0, size.width(), size.height()};
    m_prepaint = Notify(&draw.nmcd.hdr);
    if (dc) gdi_p::DestroyDC(dc);
  }

  /// True when the parent drew the item itself (its drawing is copied to the view).
  bool DrawItem(QPainter* painter, const QModelIndex& index) {
    if (!(m_prepaint & CDRF_NOTIFYITEMDRAW)) return false;
    int row = index.row();
    if (index.column() > 0) return row == m_skippedRow;
    QRect rect = Bounds(row, LVIR_BOUNDS);
    QSize needed(rect.right() + 1, rect.bottom() + 1);
    if (rect.isEmpty() || rect.left() < 0 || rect.top() < 0) return false;
    if (m_canvas.width() < needed.width() || m_canvas.height() < needed.height()) {
      m_canvas = QImage(needed.expandedTo(m_canvas.size()), QImage::Format_ARGB32_Premultiplied);
      if (m_canvas.isNull()) return false;
    }
    {
      QPainter clear(&m_canvas);
      clear.fillRect(rect, m_view->palette().color(QPalette::Base));
    }
    HDC dc = gdi_p::CreatePaintDeviceDC(&m_canvas);
    if (!dc) return false;
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.nmcd.hdc = dc;
    draw.nmcd.rc = {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
    draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    draw.nmcd.uItemState = (IsSelected(row) ? CDIS_SELECTED : 0u) | (IsFocused(row) ? CDIS_FOCUS : 0u);
    draw.nmcd.lItemlParam = DataOf(row);
    draw.clrText = RGB(0, 0, 0);
    draw.clrTextBk = RGB(255, 255, 255);
    LRESULT answer = Notify(&draw.nmcd.hdr);
    gdi_p::DestroyDC(dc);
    if (!(answer & CDRF_SKIPDEFAULT)) return false;
    painter->save();
    painter->setClipping(false);
    painter->drawImage(rect, m_canvas, rect);
    painter->restore();
    m_skippedRow = row;
    return true;
  }

  void SetSpacing(QSize spacing) {
    m_spacing = spacing;
    if (auto* list = qobject_cast<QListView*>(m_view)) list->setGridSize(spacing);
  }

  DWORD m_exStyle = 0;

 private:
  void SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    if (m_quiet) return;
    std::set<int> gone, added;
    for (const QModelIndex& index : deselected.indexes()) gone.insert(index.row());
    for (const QModelIndex& index : selected.indexes()) added.insert(index.row());
    for (int row : gone) {
      if (IsSelected(row)) continue;
      SendItemChanged(row, LVIS_SELECTED, 0);
    }
    for (int row : added) SendItemChanged(row, 0, LVIS_SELECTED);
  }

  void SendItemChanged(int row, UINT oldState, UINT newState) {
    NMLISTVIEW change{};
    change.hdr.code = LVN_ITEMCHANGED;
    change.iItem = row;
    change.uOldState = oldState;
    change.uNewState = newState;
    change.uChanged = LVIF_STATE;
    change.lParam = DataOf(row);
    Notify(&change.hdr);
  }

  void Activate(UINT code, const QModelIndex& index) {
    NMITEMACTIVATE activate{};
    activate.hdr.code = code;
    activate.iItem = index.isValid() ? index.row() : -1;
    activate.iSubItem = index.isValid() ? index.column() : 0;
    activate.lParam = index.isValid() ? DataOf(index.row()) : 0;
    Notify(&activate.hdr);
  }

  HWND m_hwnd;
  DWORD m_style;
  QStandardItemModel m_model;
  QAbstractItemView* m_view = nullptr;
  HIMAGELIST m_images[2] = {nullptr, nullptr};
  QSize m_spacing;
  int m_columns = 0;
  bool m_quiet = false;
  LRESULT m_prepaint = CDRF_DODEFAULT;
  int m_skippedRow = -1;
  QImage m_canvas;
};

ItemDelegate::ItemDelegate(ListHost* host) : QStyledItemDelegate(host), m_host(host) {}

void ItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  if (m_host->DrawItem(painter, index)) return;
  QStyledItemDelegate::paint(painter, option, index);
}

QSize ItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  // With a set spacing an icon item fills its cell, as the parent's drawing expects.
  if (!m_host->IsReport() && m_host->Spacing().isValid()) return m_host->Spacing();
  return QStyledItemDelegate::sizeHint(option, index);
}

template <class Base>
void DrawnView<Base>::paintEvent(QPaintEvent* event) {
  m_host->BeginPaint();
  Base::paintEvent(event);
}

// The view makes its first item current when it gets the focus, so the first Down would
// land on the second item; a list without a current item keeps none, and Down or Up then
// makes the first item current and selects it.
template <class Base>
void DrawnView<Base>::focusInEvent(QFocusEvent* event) {
  bool hadCurrent = this->currentIndex().isValid();
  Base::focusInEvent(event);
  if (!hadCurrent && this->currentIndex().isValid())
    this->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

ListHost* HostOf(HWND hWnd) {
  QWidget* widget = user_p::WidgetOf(hWnd);
  return widget ? widget->findChild<ListHost*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

LRESULT Answer(ListHost* host, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  int row = static_cast<int>(static_cast<INT_PTR>(wParam));
  auto* item = reinterpret_cast<LVITEMA*>(lParam);
  switch (message) {
    case LVM_GETITEMCOUNT: return host->Count();
    case LVM_INSERTITEMA: return item ? host->Insert(*item) : -1;
    case LVM_SETITEMA: return item ? host->Set(*item) : FALSE;
    case LVM_GETITEMA: return host->Get(item);
    case LVM_SETITEMTEXTA: {
      if (!item) return FALSE;
      LVITEMA text{LVIF_TEXT, row, item->iSubItem, 0, 0, item->pszText, 0, 0, 0};
      return host->Set(text);
    }
    case LVM_GETITEMTEXTA: {
      std::string text;
      if (!item || !host->TextOf(row, item->iSubItem, &text)) return 0;
      return ListHost::CopyText(text, item->pszText, item->cchTextMax);
    }
    case LVM_DELETEITEM: return host->Remove(row, 1);
    case LVM_DELETEALLITEMS: return host->Remove(0, host->Count());
    case LVM_SETITEMSTATE: {
      if (!item) return FALSE;
      if (row == -1) {
        for (int i = 0; i < host->Count(); ++i) host->SetState(i, item->state, item->stateMask);
        return TRUE;
      }
      if (!host->ValidRow(row)) return FALSE;
      host->SetState(row, item->state, item->stateMask);
      return TRUE;
    }
    case LVM_GETITEMSTATE: return host->ValidRow(row) ? host->StateOf(row, static_cast<UINT>(lParam)) : 0;
    case LVM_GETNEXTITEM: {
      for (int i = std::max(row + 1, 0); i < host->Count(); ++i) {
        if ((lParam & LVNI_SELECTED) && !host->IsSelected(i)) continue;
        if ((lParam & LVNI_FOCUSED) && !host->IsFocused(i)) continue;
        return i;
      }
      return -1;
    }
    case LVM_GETSELECTEDCOUNT: return host->SelectedCount();
    case LVM_ENSUREVISIBLE:
      if (!host->ValidRow(row)) return FALSE;
      host->View()->scrollTo(host->View()->model()->index(row, 0), QAbstractItemView::EnsureVisible);
      return TRUE;
    case LVM_GETITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      QRect bounds = rect ? host->Bounds(row, static_cast<UINT>(rect->left)) : QRect();
      if (bounds.isNull()) return FALSE;
      *rect = {bounds.left(), bounds.top(), bounds.right() + 1, bounds.bottom() + 1};
      return TRUE;
    }
    case LVM_INSERTCOLUMNA: {
      auto* column = reinterpret_cast<LVCOLUMNA*>(lParam);
      return column ? host->InsertColumn(row, *column) : -1;
    }
    case LVM_SETCOLUMNWIDTH: return host->SetColumnWidth(row, static_cast<int>(lParam));
    case LVM_SETIMAGELIST:
      return reinterpret_cast<LRESULT>(host->SetImages(row, reinterpret_cast<HIMAGELIST>(lParam)));
    case LVM_SETICONSPACING: {
      QSize old = host->Spacing();
      host->SetSpacing(QSize(LOWORD(lParam), HIWORD(lParam)));
      return old.isValid() ? MAKELONG(old.width(), old.height()) : 0;
    }
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      DWORD old = host->m_exStyle;
      DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
      host->m_exStyle = (old & ~mask) | (static_cast<DWORD>(lParam) & mask);
      return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return host->m_exStyle;
  }
  return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

LRESULT CALLBACK ListViewProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    // A list made off the UI thread has no widget and stays empty.
    if (QWidget* widget = user_p::WidgetOf(hWnd)) {
      auto* host = new ListHost(hWnd, static_cast<DWORD>(::GetWindowLongPtrA(hWnd, GWL_STYLE)), widget);
      auto* layout = new QVBoxLayout(widget);
      layout->setContentsMargins(0, 0, 0, 0);
      layout->addWidget(host);
      widget->setFocusProxy(host);
    }
    return 0;
  }
  if (message >= LVM_FIRST && message < LVM_FIRST + 0x100) {
    ListHost* host = HostOf(hWnd);
    if (!host) return (message == LVM_GETNEXTITEM || message == LVM_INSERTITEMA || message == LVM_INSERTCOLUMNA) ? -1 : 0;
    return Answer(host, hWnd, message, wParam, lParam);
  }
  return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace

BOOL AfxRegisterListViewClass() {
  static std::once_flag once;
  static BOOL registered = FALSE;
  std::call_once(once, [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ListViewProc;
    wc.lpszClassName = WC_LISTVIEW;
    registered = ::RegisterClassA(&wc) != 0;
  });
  return registered;
}

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  AfxRegisterListViewClass();
  return CWnd::Create(WC_LISTVIEW, "", style, rect, parent, id);
}

int CListCtrl::InsertItem(UINT mask, int index, LPCSTR text, UINT state, UINT stateMask, int image, LPARAM data) {
  LVITEMA item{mask, index, 0, state, stateMask, const_cast<LPSTR>(text), 0, image, data};
  return InsertItem(&item);
}

BOOL CListCtrl::SetItemText(int index, int subItem, LPCSTR text) {
  LVITEMA item{LVIF_TEXT, index, subItem, 0, 0, const_cast<LPSTR>(text), 0, 0, 0};
  return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

CString CListCtrl::GetItemText(int index, int subItem) const {
  CString text;
  for (int size = 256;; size *= 2) {
    LVITEMA item{LVIF_TEXT, index, subItem, 0, 0, text.GetBuffer(size), size, 0, 0};
    item.pszText[0] = '\0';
    int length = static_cast<int>(
        SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    text.ReleaseBuffer(length);
    if (length < size - 1) return text;
  }
}

BOOL CListCtrl::SetItemData(int index, DWORD_PTR data) {
  LVITEMA item{LVIF_PARAM, index, 0, 0, 0, nullptr, 0, 0, static_cast<LPARAM>(data)};
  return SetItem(&item);
}

DWORD_PTR CListCtrl::GetItemData(int index) const {
  LVITEMA item{LVIF_PARAM, index, 0, 0, 0, nullptr, 0, 0, 0};
  return GetItem(&item) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

BOOL CListCtrl::SetItemState(int index, UINT state, UINT mask) {
  LVITEMA item{LVIF_STATE, index, 0, state, mask, nullptr, 0, 0, 0};
  return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::GetItemRect(int index, LPRECT rect, UINT code) const {
  if (!rect) return FALSE;
  rect->left = static_cast<LONG>(code);
  return static_cast<BOOL>(SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
}

int CListCtrl::InsertColumn(int column, LPCSTR heading, int format, int width, int subItem) {
  LVCOLUMNA info{LVCF_TEXT | LVCF_FMT, format, width, const_cast<LPSTR>(heading), 0, subItem};
  if (width >= 0) info.mask |= LVCF_WIDTH;
  if (subItem >= 0) info.mask |= LVCF_SUBITEM;
  return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)));
}

CImageList* CListCtrl::SetImageList(CImageList* list, int kind) {
  SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(kind),
              reinterpret_cast<LPARAM>(list ? list->GetSafeHandle() : nullptr));
  if (kind != LVSIL_NORMAL && kind != LVSIL_SMALL) return nullptr;
  CImageList* old = m_imageLists[kind];
  m_imageLists[kind] = list;
  return old;
}
