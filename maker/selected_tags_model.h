// SelectedTagsModel: the tags chosen in the online browser, one row each.
//
// Columns "index" (1-based), "tag ID", "data type" (SelectedTagTypeText), "direction" (the
// access right's name) and "path". Holds no widgets.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "maker/tag_candidates.h"

class SelectedTagsModel final : public QAbstractTableModel {
 public:
  enum Column { kIndexColumn, kIdColumn, kTypeColumn, kDirectionColumn, kPathColumn, kColumnCount };

  explicit SelectedTagsModel(std::vector<TagCandidate>& tags, QObject* parent = nullptr)
      : QAbstractTableModel(parent), tags_(tags) {}

  // After the tags changed.
  void Rebuild();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  std::vector<TagCandidate>& tags_;
};
