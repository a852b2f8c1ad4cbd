#include "platform/mfc/dlgtemplate.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGuiApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "platform/mfc/datetimectrl.h"
#include "platform/mfc/listctrl.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/window_p.h"

namespace {

std::mutex g_mutex;
std::map<UINT, DlgTemplate> g_templates;

struct ControlClass {
  const char* className;
  DWORD style;
  bool labelled;  // gets a label in the left column
};

ControlClass ClassOf(DlgItemKind kind) {
  const DWORD child = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  switch (kind) {
    case DlgItemKind::Label: return {"STATIC", WS_CHILD | WS_VISIBLE, false};
    case DlgItemKind::Edit: return {"EDIT", child | ES_AUTOHSCROLL, true};
    case DlgItemKind::Number: return {"EDIT", child | ES_AUTOHSCROLL | ES_NUMBER, true};
    case DlgItemKind::MultiLine: return {"EDIT", child | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL, true};
    case DlgItemKind::Password: return {"EDIT", child | ES_AUTOHSCROLL | ES_PASSWORD, true};
    case DlgItemKind::ReadOnly: return {"EDIT", child | ES_AUTOHSCROLL | ES_READONLY, true};
    case DlgItemKind::Check: return {"BUTTON", child | BS_AUTOCHECKBOX, false};
    case DlgItemKind::Radio: return {"BUTTON", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, false};
    case DlgItemKind::Combo: return {"COMBOBOX", child | CBS_DROPDOWNLIST | WS_VSCROLL, true};
    case DlgItemKind::ComboEdit: return {"COMBOBOX", child | CBS_DROPDOWN | WS_VSCROLL, true};
    case DlgItemKind::List: return {"LISTBOX", child | LBS_NOTIFY | WS_VSCROLL | WS_BORDER, true};
    case DlgItemKind::Slider: return {"msctls_trackbar32", child, true};
    case DlgItemKind::Spin: return {"msctls_updown32", WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS, false};
    case DlgItemKind::Progress: return {"msctls_progress32", WS_CHILD | WS_VISIBLE, true};
    case DlgItemKind::Button: return {"BUTTON", child | BS_PUSHBUTTON, false};
    case DlgItemKind::DefButton: return {"BUTTON", child | BS_DEFPUSHBUTTON, false};
    case DlgItemKind::Picture: return {"STATIC", WS_CHILD | WS_VISIBLE | SS_NOTIFY, false};
    case DlgItemKind::Report:
      return {WC_LISTVIEW, child | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, true};
    case DlgItemKind::Icons:
      return {WC_LISTVIEW, child | WS_BORDER | LVS_ICON | LVS_AUTOARRANGE | LVS_SHOWSELALWAYS, true};
    case DlgItemKind::Date: return {DATETIMEPICK_CLASS, child | DTS_SHORTDATEFORMAT, true};
    case DlgItemKind::Time: return {DATETIMEPICK_CLASS, child | DTS_TIMEFORMAT | DTS_UPDOWN, true};
  }
  return {"STATIC", WS_CHILD | WS_VISIBLE, false};
}

HWND MakeControl(HWND window, const char* className, DWORD style, const char* text, int id) {
  return ::CreateWindowExA(0, className, text ? text : "", style, 0, 0, 0, 0, window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

// Rows close together, so that the long forms fit a laptop's screen.
const int kRowSpacing = 2;
const int kColumnSpacing = 6;

QFormLayout* NewForm() {
  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->setRowWrapPolicy(QFormLayout::DontWrapRows);
  form->setVerticalSpacing(kRowSpacing);
  form->setHorizontalSpacing(kColumnSpacing);
  return form;
}

// The controls of a dialog above its button row. It is as large as they are, but never larger
// than the screen leaves it: then it scrolls, and the button row stays in sight below it.
class DialogBody : public QScrollArea {
 public:
  explicit DialogBody(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    // Tab goes from control to control, never to the area that holds them.
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
  void SetLimit(QSize limit) {
    if (limit == m_limit) return;
    m_limit = limit;
    updateGeometry();
  }
  QSize Natural() const {
    QWidget* content = widget();
    return content ? content->sizeHint().expandedTo(content->minimumSizeHint()) : QSize(0, 0);
  }
  QSize sizeHint() const override {
    QSize hint = Natural();
    const int barWidth = verticalScrollBar()->sizeHint().width();
    const int barHeight = horizontalScrollBar()->sizeHint().height();
    bool tall = hint.height() > m_limit.height();
    if (tall) hint = QSize(hint.width() + barWidth, m_limit.height());
    if (hint.width() > m_limit.width()) {
      hint.setWidth(m_limit.width());
      if (!tall) hint.setHeight(std::min(hint.height() + barHeight, std::max(m_limit.height(), 1)));
    }
    return hint;
  }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  bool event(QEvent* event) override {
    // The controls grew or shrank (a list filled, a control shown): the dialog follows.
    if (event->type() == QEvent::LayoutRequest) updateGeometry();
    return QScrollArea::event(event);
  }
  bool viewportEvent(QEvent* event) override {
    if (event->type() == QEvent::LayoutRequest) updateGeometry();
    return QScrollArea::viewportEvent(event);
  }

 private:
  QSize m_limit{QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
};

// The size a top-level window's frame adds, and the screen's free area it opens on.
QSize FrameExtra(QWidget* window) { return user_p::OuterRect(window).size() - window->size(); }

QRect FreeAreaOf(QWidget* window) {
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

QDialogButtonBox::ButtonRole RoleOf(int id) {
  if (id == IDOK) return QDialogButtonBox::AcceptRole;
  if (id == IDCANCEL) return QDialogButtonBox::RejectRole;
  return QDialogButtonBox::ActionRole;
}

const char kPlacedAreaClass[] = "TavorinPlacedArea";

// The controls of a placed group belong to the dialog: their notifications go on to it.
LRESULT CALLBACK PlacedAreaProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    HWND dialog = ::GetParent(hWnd);
    return dialog ? ::SendMessageA(dialog, message, wParam, lParam) : 0;
  }
  return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

void RegisterPlacedAreaClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSA cls{};
    cls.lpfnWndProc = PlacedAreaProc;
    cls.lpszClassName = kPlacedAreaClass;
    ::RegisterClassA(&cls);
  });
}

// Keeps a placed area as tall as its shown children reach, whoever moves, shows or hides them.
class PlacedAreaHeight : public QObject {
 public:
  explicit PlacedAreaHeight(QWidget* area) : QObject(area), m_area(area) {}
  void Watch(QWidget* child) { child->installEventFilter(this); }
  void Fit() {
    int bottom = 0;
    for (QWidget* child : m_area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (!child->isHidden()) bottom = std::max(bottom, child->geometry().bottom() + 1);
    if (m_area->minimumHeight() != bottom || m_area->maximumHeight() != bottom) m_area->setFixedHeight(bottom);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::ShowToParent:
      case QEvent::HideToParent:
        Fit();
        // Children of a window not shown yet hear of their moves only when it shows: look again
        // once the caller has placed them all.
        if (!m_pending) {
          m_pending = true;
          QMetaObject::invokeMethod(
              this,
              [this] {
                m_pending = false;
                Fit();
              },
              Qt::QueuedConnection);
        }
        break;
      default: break;
    }
    return false;
  }

 private:
  QWidget* m_area;
  bool m_pending = false;
};

struct PlacedArea {
  HWND area = nullptr;
  QWidget* widget = nullptr;
  QWidget* box = nullptr;
  std::vector<QWidget*> controls;
};

// First places, one control to a row inside the box, until the program places them itself.
// The controls stand in rows, so they share the tallest one's height.
void PlaceInitially(PlacedArea& placed) {
  int height = 0, widest = 0;
  for (QWidget* control : placed.controls) {
    height = std::max(height, control->sizeHint().height());
    widest = std::max(widest, control->sizeHint().width());
  }
  const int gap = std::max(height / 8, 1);
  int top = placed.box ? placed.box->fontMetrics().height() + gap : gap;
  for (QWidget* control : placed.controls) {
    control->setGeometry(2 * gap, top, control->sizeHint().width(), height);
    top += height + gap;
  }
  if (placed.box) placed.box->setGeometry(gap, 0, widest + 2 * gap, top);
  placed.widget->setMinimumWidth(widest + 3 * gap);
}

}  // namespace

void AfxRegisterDialogTemplate(const DlgTemplate& dialogTemplate) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_templates[dialogTemplate.id] = dialogTemplate;
}

const DlgTemplate* AfxFindDialogTemplate(UINT id) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_templates.find(id);
  return it == g_templates.end() ? nullptr : &it->second;
}

BOOL AfxBuildDialogControls(HWND window, const DlgTemplate& dialogTemplate, BOOL formView) {
  QWidget* host = user_p::WidgetOf(window);
  if (!host) return FALSE;
  AfxRegisterListViewClass();
  AfxRegisterDateTimeClass();
  if (dialogTemplate.manualLayout) {
    bool made = true;
    for (const DlgItem& item : dialogTemplate.items) {
      ControlClass cls = ClassOf(item.kind);
      HWND control = MakeControl(window, cls.className, cls.style, item.label ? item.label : "", item.id);
      QWidget* widget = user_p::WidgetOf(control);
      if (!widget) {
        made = false;
        continue;
      }
      widget->resize(widget->sizeHint());
    }
    return made ? TRUE : FALSE;
  }
  // A painted dialog keeps its controls in a column at the left and leaves the rest to its paint.
  const bool painted = dialogTemplate.paintedClientArea && !formView;
  QWidget* controls = host;
  if (painted) {
    auto* row = new QHBoxLayout(host);
    controls = new QWidget(host);
    controls->setObjectName("DialogControls");
    row->addWidget(controls, 0, Qt::AlignLeft | Qt::AlignTop);
    row->addStretch(1);
  }
  // A dialog's controls stand in a body that scrolls when the screen is too small for them; the
  // button row stays below it. A form view is sized by its frame and lays out as it is.
  QVBoxLayout* frame = nullptr;
  DialogBody* scroller = nullptr;
  QWidget* body = controls;
  if (!formView) {
    frame = new QVBoxLayout(controls);
    frame->setSpacing(4);
    frame->setContentsMargins(6, 6, 6, 6);
    scroller = new DialogBody(controls);
    scroller->setObjectName("DialogBody");
    body = new QWidget(scroller->viewport());
  }
  auto* outer = new QVBoxLayout(body);
  outer->setSpacing(4);
  if (!formView) outer->setContentsMargins(0, 0, 0, 0);
  // Boxes go into the current column; a group named in columnStarts opens the next one.
  QBoxLayout* column = outer;
  std::vector<QVBoxLayout*> columns;
  QHBoxLayout* columnRow = nullptr;
  std::map<std::string, QFormLayout*> sections;
  QDialogButtonBox* buttons = nullptr;
  HWND lastEdit = nullptr;
  QHBoxLayout* lastEditRow = nullptr;
  DlgItemKind previous = DlgItemKind::Label;
  // Labels by the column their box stands in.
  std::map<QBoxLayout*, std::vector<QWidget*>> labels;
  std::map<QFormLayout*, QBoxLayout*> columnOfForm;
  bool ok = true;

  if (!dialogTemplate.grid.rows.empty()) {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(2);
    for (size_t column = 0; column < dialogTemplate.grid.headings.size(); ++column) {
      HWND heading = MakeControl(window, "STATIC", WS_CHILD | WS_VISIBLE, dialogTemplate.grid.headings[column].c_str(),
                                 IDC_STATIC);
      if (QWidget* widget = user_p::WidgetOf(heading)) grid->addWidget(widget, 0, static_cast<int>(column));
    }
    for (size_t row = 0; row < dialogTemplate.grid.rows.size(); ++row) {
      const std::vector<DlgItem>& cells = dialogTemplate.grid.rows[row];
      for (size_t column = 0; column < cells.size(); ++column) {
        const ControlClass cls = ClassOf(cells[column].kind);
        HWND control = MakeControl(window, cls.className, cls.style, cells[column].label, cells[column].id);
        QWidget* widget = user_p::WidgetOf(control);
        if (!widget) {
          ok = false;
          continue;
        }
        // Narrow number fields: a table of twelve rows must leave room for the page.
        if (cls.labelled && cells[column].kind != DlgItemKind::Combo) widget->setFixedWidth(52);
        if (cells[column].kind == DlgItemKind::Button) widget->setFixedWidth(widget->sizeHint().height() + 8);
        grid->addWidget(widget, static_cast<int>(row) + 1, static_cast<int>(column));
      }
    }
    outer->addLayout(grid);
  }

  // The column a new group's box goes into.
  auto columnFor = [&](const std::string& name) -> QBoxLayout* {
    const auto& starts = dialogTemplate.columnStarts;
    if (columns.empty() || std::find(starts.begin(), starts.end(), name) != starts.end()) {
      if (!starts.empty()) {
        if (!columnRow) {
          columnRow = new QHBoxLayout;
          outer->addLayout(columnRow);
        }
        columns.push_back(new QVBoxLayout);
        columnRow->addLayout(columns.back(), 1);
        column = columns.back();
      }
    }
    return column;
  };
  auto boxWindowFor = [&](const std::string& name, HWND parent) -> QGroupBox* {
    for (const auto& [group, id] : dialogTemplate.groupIds) {
      if (group != name) continue;
      HWND boxWindow = MakeControl(parent, "BUTTON", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, name.c_str(), id);
      return qobject_cast<QGroupBox*>(user_p::WidgetOf(boxWindow));
    }
    return nullptr;
  };
  auto sectionFor = [&](const char* group) -> QFormLayout* {
    std::string name = group ? group : "";
    QFormLayout*& form = sections[name];
    if (!form) {
      form = NewForm();
      if (name.empty()) {
        outer->addLayout(form);
        columnOfForm[form] = outer;
      } else {
        QBoxLayout* target = columnFor(name);
        columnOfForm[form] = target;
        QGroupBox* box = boxWindowFor(name, window);
        if (!box) box = new QGroupBox(user_p::ToQString(name), host);
        box->setLayout(form);
        form->setContentsMargins(6, 2, 6, 4);
        target->addWidget(box);
      }
    }
    return form;
  };
  std::map<std::string, PlacedArea> placedAreas;
  std::vector<std::string> placedOrder;
  auto placedAreaFor = [&](const char* group) -> PlacedArea* {
    if (!group) return nullptr;
    const auto& placed = dialogTemplate.placedGroups;
    if (std::find(placed.begin(), placed.end(), std::string(group)) == placed.end()) return nullptr;
    auto found = placedAreas.find(group);
    if (found != placedAreas.end()) return found->second.area ? &found->second : nullptr;
    PlacedArea& area = placedAreas[group];
    RegisterPlacedAreaClass();
    area.area = MakeControl(window, kPlacedAreaClass, WS_CHILD | WS_VISIBLE, "", IDC_STATIC);
    area.widget = user_p::WidgetOf(area.area);
    if (!area.widget) {
      area.area = nullptr;
      return nullptr;
    }
    placedOrder.push_back(group);
    columnFor(group)->addWidget(area.widget);
    area.box = boxWindowFor(group, area.area);
    return &area;
  };

  for (size_t index = 0; index < dialogTemplate.items.size(); ++index) {
    const DlgItem& item = dialogTemplate.items[index];
    ControlClass cls = ClassOf(item.kind);
    DWORD style = cls.style;
    if (item.kind == DlgItemKind::Radio && previous != DlgItemKind::Radio) style |= WS_GROUP | WS_TABSTOP;
    bool ownText = !cls.labelled;
    PlacedArea* placed = placedAreaFor(item.group);
    HWND control = MakeControl(placed ? placed->area : window, cls.className, style,
                               ownText || placed ? item.label : "", item.id);
    QWidget* widget = user_p::WidgetOf(control);
    if (!control || !widget) {
      ok = false;
      continue;
    }
    // A hidden control keeps its place and size, as programs that swap controls expect.
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
    if (item.binding) {
      widget->setObjectName(user_p::ToQString(item.binding));
      widget->setAccessibleName(user_p::ToQString(item.binding));
    }
    if (placed) {
      placed->controls.push_back(widget);
      previous = item.kind;
      continue;
    }
    switch (item.kind) {
      case DlgItemKind::Slider:
        ::SendMessageA(control, TBM_SETRANGEMIN, FALSE, item.minValue);
        ::SendMessageA(control, TBM_SETRANGEMAX, TRUE, item.maxValue);
        break;
      case DlgItemKind::Spin:
        ::SendMessageA(control, UDM_SETRANGE32, static_cast<WPARAM>(item.minValue), item.maxValue);
        break;
      case DlgItemKind::Progress:
        ::SendMessageA(control, PBM_SETRANGE32, static_cast<WPARAM>(item.minValue), item.maxValue);
        break;
      case DlgItemKind::Picture:
        // In a form the picture yields width to the other columns (the program draws it at the
        // size it gets); a dialog is made to fit it whole.
        widget->setMinimumSize(std::max(formView ? item.minValue / 2 : item.minValue, 1), std::max(item.maxValue, 1));
        break;
      case DlgItemKind::Combo:
      case DlgItemKind::ComboEdit:
        // As wide as its longest entry, also for entries the program adds later.
        if (auto* combo = qobject_cast<QComboBox*>(widget)) combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        break;
      default: break;
    }

    bool bottomButton = (item.kind == DlgItemKind::Button || item.kind == DlgItemKind::DefButton) && !item.group;
    if (bottomButton) {
      if (!buttons) {
        buttons = new QDialogButtonBox(Qt::Horizontal, host);
        buttons->setObjectName("DialogButtons");
      }
      if (auto* push = qobject_cast<QPushButton*>(widget)) buttons->addButton(push, RoleOf(item.id));
    } else if (item.kind == DlgItemKind::Spin && lastEditRow && previous == DlgItemKind::Edit) {
      // The arrows sit at the right of the edit they step.
      lastEditRow->addWidget(widget);
      ::SendMessageA(control, UDM_SETBUDDY, reinterpret_cast<WPARAM>(lastEdit), 0);
      if (QWidget* edit = user_p::WidgetOf(lastEdit)) widget->setFixedHeight(edit->sizeHint().height());
    } else {
      QFormLayout* form = sectionFor(item.group);
      if (cls.labelled || item.kind == DlgItemKind::Spin) {
        HWND label = MakeControl(window, "STATIC", WS_CHILD | WS_VISIBLE, item.label, IDC_STATIC);
        QWidget* labelWidget = user_p::WidgetOf(label);
        if (labelWidget) labels[columnOfForm[form]].push_back(labelWidget);
        if (item.kind == DlgItemKind::Edit || item.kind == DlgItemKind::Number) {
          lastEditRow = new QHBoxLayout;
          lastEditRow->setSpacing(2);
          lastEditRow->addWidget(widget, 1);
          form->addRow(labelWidget, lastEditRow);
          lastEdit = control;
        } else {
          form->addRow(labelWidget, widget);
        }
      } else if (item.kind == DlgItemKind::Label || item.kind == DlgItemKind::Picture) {
        // A picture takes the whole width of its box, so that its box is made wide enough for it.
        form->addRow(widget);
      } else if (!dialogTemplate.columnStarts.empty() &&
                 (item.kind == DlgItemKind::Check || item.kind == DlgItemKind::Radio)) {
        // Boxes side by side: a check box takes its row from the left edge, so that its text
        // does not widen the field column of its whole column.
        form->addRow(widget);
      } else {
        form->addRow(QString(), widget);
      }
    }
    previous = item.kind;
  }
  // One label width for the boxes of a column, so the fields line up from box to box; a column
  // beside it keeps its own, so that one long label does not widen them all.
  for (auto& [column, columnLabels] : labels) {
    int labelWidth = 0;
    for (QWidget* label : columnLabels) labelWidth = std::max(labelWidth, label->sizeHint().width());
    for (QWidget* label : columnLabels) label->setMinimumWidth(labelWidth);
  }
  for (const std::string& name : placedOrder) {
    PlacedArea& placed = placedAreas[name];
    PlaceInitially(placed);
    auto* height = new PlacedAreaHeight(placed.widget);
    if (placed.box) height->Watch(placed.box);
    for (QWidget* control : placed.controls) height->Watch(control);
    height->Fit();
  }
  for (QVBoxLayout* each : columns) each->addStretch(1);
  if (formView) {
    outer->addStretch(1);
    if (buttons) {
      outer->addSpacing(6);
      outer->addWidget(buttons);
    }
    host->adjustSize();
    return ok ? TRUE : FALSE;
  }
  scroller->setWidget(body);
  frame->addWidget(scroller, 1);
  if (buttons) {
    // Buttons that do not fit beside OK and Cancel stand in rows above them (see below).
    auto* more = new QWidget(controls);
    more->setObjectName("DialogMoreButtons");
    auto* grid = new QGridLayout(more);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    frame->addWidget(more);
    frame->addWidget(buttons);
  }
  if (painted) {
    host->resize(controls->sizeHint().width() + 600, std::max(controls->sizeHint().height(), 450));
  } else {
    frame->setSizeConstraint(QLayout::SetFixedSize);
  }
  AfxFitDialogToScreen(window);
  if (!painted) host->adjustSize();
  return ok ? TRUE : FALSE;
}

namespace {

// A button row wider than the room: the buttons other than OK, Cancel and the default one go
// into rows above it, as many to a row as fit.
void WrapButtons(QWidget* controls, int room) {
  auto* buttons = controls->findChild<QDialogButtonBox*>("DialogButtons", Qt::FindDirectChildrenOnly);
  auto* more = controls->findChild<QWidget*>("DialogMoreButtons", Qt::FindDirectChildrenOnly);
  if (!buttons || !more || buttons->sizeHint().width() <= room) return;
  std::vector<QPushButton*> moved;
  for (QAbstractButton* button : buttons->buttons()) {
    auto* push = qobject_cast<QPushButton*>(button);
    if (push && buttons->buttonRole(push) == QDialogButtonBox::ActionRole && !push->isDefault()) moved.push_back(push);
  }
  if (moved.empty()) return;
  auto* grid = static_cast<QGridLayout*>(more->layout());
  int widest = 1;
  for (QPushButton* push : moved) widest = std::max(widest, push->sizeHint().width());
  const int perRow = std::max(1, (room + grid->spacing()) / (widest + grid->spacing()));
  for (size_t index = 0; index < moved.size(); ++index) {
    QPushButton* push = moved[index];
    const bool hidden = push->isHidden();
    buttons->removeButton(push);
    grid->addWidget(push, static_cast<int>(index) / perRow, static_cast<int>(index) % perRow);
    push->setVisible(!hidden);
  }
}

}  // namespace

void AfxFitDialogToScreen(HWND window) {
  QWidget* host = user_p::WidgetOf(window);
  if (!host) return;
  // The dialog's own body, not one of a page inside it.
  QWidget* column = host->findChild<QWidget*>("DialogControls", Qt::FindDirectChildrenOnly);
  auto* body = (column ? column : host)->findChild<DialogBody*>("DialogBody", Qt::FindDirectChildrenOnly);
  if (!body) return;
  // The room is the screen's free area less the frame and less all that stands around the body
  // in its window (margins, buttons, and for a page the sheet around it).
  QWidget* top = host->window();
  // Sizes as they will be shown: fonts and style reach the controls when they are polished.
  top->ensurePolished();
  body->SetLimit(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  QWidget* controls = body->parentWidget();
  const QSize free = FreeAreaOf(top).size() - FrameExtra(top);
  if (QLayout* layout = controls->layout()) {
    const QMargins margins = layout->contentsMargins();
    WrapButtons(controls, free.width() - margins.left() - margins.right());
    layout->activate();
  }
  if (host != top && host->layout()) host->layout()->activate();
  const QSize around = top->sizeHint() - body->sizeHint();
  const QSize limit = (free - around).expandedTo(QSize(80, 80));
  const QSize natural = body->Natural();
  body->SetLimit(limit);
  // Scroll bars only where the controls do not fit.
  body->setVerticalScrollBarPolicy(natural.height() > limit.height() ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  body->setHorizontalScrollBarPolicy(natural.width() > limit.width() ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  if (controls != host) {
    // A painted dialog: its controls column at the left decides its least size.
    const QSize least = controls->sizeHint();
    host->setMinimumSize(least.width() + 200, least.height());
  } else if (QLayout* layout = host->layout()) {
    layout->activate();
  }
}
