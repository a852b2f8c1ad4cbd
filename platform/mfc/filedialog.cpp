#include "platform/mfc/filedialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QStringList>

#include "platform/mfc/commondialog.h"
#include "platform/mfc/filedialog_p.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/threadqueue_p.h"
#include "platform/user/window_p.h"

namespace mfc_p {

bool IsProgramPattern(const QString& patterns) { return patterns.trimmed().compare("*.exe", Qt::CaseInsensitive) == 0; }

ProgramFilterModel::ProgramFilterModel(std::function<bool()> active, QObject* parent)
    : QSortFilterProxyModel(parent), m_active(std::move(active)) {}

bool ProgramFilterModel::filterAcceptsRow(int row, const QModelIndex& parent) const {
  if (!m_active || !m_active()) return true;
  auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
  if (!files) return true;
  QFileInfo info = files->fileInfo(files->index(row, 0, parent));
  return info.isDir() || info.isExecutable();
}

}  // namespace mfc_p

namespace {

// "JPEG files (*.jpg)|*.jpg|All files|*.*||" -> {"JPEG files (*.jpg)", "All files (*)"}. A
// "*.exe" filter lists every name and leaves the choice of programs to a ProgramFilterModel;
// `programFilters` receives those filters.
QStringList QtFilters(const CString& filter, QStringList* programFilters = nullptr) {
  QStringList filters;
  QStringList parts = user_p::ToQString(filter.str()).split('|');
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts[i].trimmed();
    QString patterns = parts[i + 1].trimmed();
    if (name.isEmpty() && patterns.isEmpty()) break;
    patterns.replace(';', ' ');
    bool programs = mfc_p::IsProgramPattern(patterns);
    if (patterns == "*.*" || programs) patterns = "*";
    int paren = name.lastIndexOf('(');
    if (paren > 0 && name.endsWith(')')) name = name.left(paren).trimmed();
    filters << name + " (" + patterns + ")";
    if (programs && programFilters) *programFilters << filters.last();
  }
  return filters;
}

}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defaultExt, LPCSTR fileName, DWORD flags, LPCSTR filter,
                         CWnd* parent)
    : m_bOpenFileDialog(openFileDialog),
      m_filter(filter),
      m_defaultExt(defaultExt),
      m_fileName(fileName) {
  m_ofn.hwndOwner = parent ? parent->m_hWnd : nullptr;
  m_ofn.Flags = flags;
  m_ofn.lpstrFilter = m_filter;
  m_ofn.lpstrDefExt = m_defaultExt;
}

INT_PTR CFileDialog::DoModal() {
  // The caller may have pointed the record at its own strings; copy them now.
  m_title = m_ofn.lpstrTitle;
  m_initialDir = m_ofn.lpstrInitialDir;
  m_paths.clear();
  CommonDialogAnswer answer;
  INT_PTR result = IDCANCEL;
  if (mfc_p::TakeCommonDialogAnswer(&answer)) {
    result = answer.result;
    if (result == IDOK) {
      for (const std::string& path : answer.paths) m_paths.push_back(CString(path));
      if (answer.filterIndex) m_ofn.nFilterIndex = answer.filterIndex;
      if (m_paths.empty()) result = IDCANCEL;
    }
  } else {
    user_p::RunOnUiThread([&] {
      QFileDialog dialog(user_p::WidgetOf(m_ofn.hwndOwner), user_p::ToQString(m_title.str()),
                         user_p::ToQString(m_initialDir.str()));
      dialog.setAcceptMode(m_bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
      if (m_bOpenFileDialog) {
        bool mustExist = m_ofn.Flags & OFN_FILEMUSTEXIST;
        bool multi = m_ofn.Flags & OFN_ALLOWMULTISELECT;
        dialog.setFileMode(multi ? QFileDialog::ExistingFiles : mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
      } else {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !(m_ofn.Flags & OFN_OVERWRITEPROMPT));
      }
      QStringList programFilters;
      QStringList filters = QtFilters(m_filter, &programFilters);
      if (!filters.isEmpty()) dialog.setNameFilters(filters);
      if (!programFilters.isEmpty()) {
        // Programs have no common extension here: the filter shows the executable files.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto* programs = new mfc_p::ProgramFilterModel(
            [&dialog, programFilters] { return programFilters.contains(dialog.selectedNameFilter()); }, &dialog);
        dialog.setProxyModel(programs);
        QObject::connect(&dialog, &QFileDialog::filterSelected, programs, [programs] { programs->invalidate(); });
      }
      if (!m_defaultExt.IsEmpty()) dialog.setDefaultSuffix(user_p::ToQString(m_defaultExt.str()));
      if (!m_fileName.IsEmpty()) dialog.selectFile(user_p::ToQString(m_fileName.str()));
      if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        for (const QString& path : dialog.selectedFiles()) m_paths.push_back(CString(user_p::FromQString(path)));
        const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
        if (chosen >= 0) m_ofn.nFilterIndex = static_cast<DWORD>(chosen + 1);
        result = IDOK;
      }
    });
  }
  mfc_p::RecordCommonDialog({m_bOpenFileDialog ? "open" : "save", m_title.str(), m_filter.str(), result, m_initialDir.str()});
  return result;
}

CString CFileDialog::GetPathName() const { return m_paths.empty() ? CString() : m_paths.front(); }

CString CFileDialog::GetFileName() const {
  CString path = GetPathName();
  return path.Mid(path.ReverseFind('/') + 1);
}

CString CFileDialog::GetFileExt() const {
  CString name = GetFileName();
  int dot = name.ReverseFind('.');
  return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
  CString name = GetFileName();
  int dot = name.ReverseFind('.');
  return dot < 0 ? name : name.Left(dot);
}

CString CFileDialog::GetFolderPath() const {
  CString path = GetPathName();
  int slash = path.ReverseFind('/');
  return slash < 0 ? CString() : path.Left(slash);
}

POSITION CFileDialog::GetStartPosition() const {
  return m_paths.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<uintptr_t>(1));
}

CString CFileDialog::GetNextPathName(POSITION& pos) const {
  size_t index = reinterpret_cast<uintptr_t>(pos);
  if (index == 0 || index > m_paths.size()) {
    pos = nullptr;
    return CString();
  }
  pos = index < m_paths.size() ? reinterpret_cast<POSITION>(static_cast<uintptr_t>(index + 1)) : nullptr;
  return m_paths[index - 1];
}
