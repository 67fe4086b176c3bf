#pragma once

#include <QAbstractTableModel>

#include "core/ports/list_output_port.h"

class QTableView;

namespace brindle::gui {

// A list window's table (records, statement, detail lists) as a Qt model: the core builds the
// columns and cell texts, the model only hands them to the view. Replacing the list resets the
// model in one step, so a long list costs one layout, not one per row.
class ListTableModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit ListTableModel(QObject* parent = nullptr);

  void set_list(ports::PrintableList list);
  const ports::PrintableList& list() const { return list_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  ports::PrintableList list_;
};

// A read-only, full-row-selection table with grid lines over the model. Whenever the model is reset
// each column gets its list width or its contents' width, the wider; width 0 hides a column.
void set_up_list_view(QTableView& view, ListTableModel& model);

}  // namespace brindle::gui
