#include "gui/ui/list_table_model.h"

#include <QHeaderView>
#include <QTableView>

namespace brindle::gui {

ListTableModel::ListTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ListTableModel::set_list(ports::PrintableList list) {
  beginResetModel();
  list_ = std::move(list);
  endResetModel();
}

int ListTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.rows.size());
}

int ListTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.columns.size());
}

QVariant ListTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  const auto& row = list_.rows.at(static_cast<std::size_t>(index.row()));
  const auto column = static_cast<std::size_t>(index.column());
  if (column >= row.size()) return QString();
  return QString::fromStdString(row[column]);
}

QVariant ListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= columnCount()) return {};
  return QString::fromStdString(list_.columns[static_cast<std::size_t>(section)].title);
}

void set_up_list_view(QTableView& view, ListTableModel& model) {
  view.setModel(&model);
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setSelectionMode(QAbstractItemView::SingleSelection);
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.setShowGrid(true);
  view.setWordWrap(false);
  view.verticalHeader()->hide();
  view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 6);
  view.horizontalHeader()->setHighlightSections(false);
  view.horizontalHeader()->setStretchLastSection(false);
  // Contents are measured on the first rows only, so that a long list costs no more to show.
  view.horizontalHeader()->setResizeContentsPrecision(200);
  // The list's widths are the least each column gets: with this system's fonts a full date-time or a
  // long type name can be wider, and a cut-off date tells the user nothing.
  auto apply_widths = [&view, &model] {
    const auto& columns = model.list().columns;
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
      const int least = columns[static_cast<std::size_t>(i)].width;
      view.setColumnHidden(i, least == 0);
      if (least == 0) continue;
      view.resizeColumnToContents(i);
      if (view.columnWidth(i) < least) view.setColumnWidth(i, least);
    }
  };
  QObject::connect(&model, &QAbstractItemModel::modelReset, &view, apply_widths);
  apply_widths();
}

}  // namespace brindle::gui
