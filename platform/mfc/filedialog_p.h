// Inside the file dialog: a "*.exe" filter means programs, which here are the executable files.
#pragma once

#include <QSortFilterProxyModel>
#include <QString>
#include <functional>

namespace mfc_p {

/// True for a filter's pattern list that asks for programs ("*.exe").
bool IsProgramPattern(const QString& patterns);

/// Over a file-system model: folders and executable files only, while `active` says so.
class ProgramFilterModel : public QSortFilterProxyModel {
 public:
  ProgramFilterModel(std::function<bool()> active, QObject* parent);

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

 private:
  std::function<bool()> m_active;
};

}  // namespace mfc_p
