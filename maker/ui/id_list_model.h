// IdListModel: a numbered list of item ids, the online browser's leaf list and flat list.
//
// Columns: the 1-based row number and the id, with the header texts given. Rows are made when a
// view asks for them, so a list of 100,000 ids costs the ids alone. Holds no widgets.
#pragma once

#include <string>
#include <vector>

#include "desktop/titled_table_model.h"

namespace tavrel {

class IdListModel final : public TitledTableModel {
 public:
  IdListModel(QString indexTitle, QString idTitle, QObject* parent = nullptr);

  void SetIds(std::vector<std::string> ids);
  const std::vector<std::string>& Ids() const { return ids_; }
  // Keeps the ids containing `part` (exact, case-sensitive), numbered again from 1.
  void KeepContaining(const std::string& part);

 private:
  int RowCount() const override;
  QVariant Cell(int row, int column) const override;

  std::vector<std::string> ids_;
};

}  // namespace tavrel
