#pragma once

#include <QDialog>
#include <optional>

#include "core/accounts/records_window_model.h"
#include "core/ports/list_output_port.h"

class QDateTimeEdit;
class QLabel;
class QPushButton;
class QTabBar;
class QTableView;
class QWidget;

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class ConfirmationPort;
class MessagePort;
}  // namespace brindle::ports

namespace brindle::gui {

class ListTableModel;

// A modal list under its title: the detail list ("详细") of an opened market or a parlay.
class RecordDetailWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit RecordDetailWindow(ports::PrintableList list, QWidget* parent = nullptr);
  QTableView* table() const { return table_; }

 private:
  QTableView* table_ = nullptr;
};

// "投注记录": the ten kinds of records, one tab each, over the core's records window model. Opens on
// tab 0, fetched; the other unsettled tabs are fetched when first shown, the settled ones by "查询"
// over the range (from midnight seven days back to the end of today when the window opens).
class RecordsWindow final : public QDialog {
  Q_OBJECT
 public:
  RecordsWindow(protocol::Session& session, ports::MessagePort& messages,
                ports::ConfirmationPort& confirmation, ports::ListOutputPort& output,
                QWidget* parent = nullptr);

  accounts::RecordsWindowModel& model() { return model_; }
  QTabBar* tabs() const { return tabs_; }
  QTableView* table() const { return table_; }
  ListTableModel* list_model() const { return list_model_; }
  QLabel* summary() const { return summary_; }
  QDateTimeEdit* start_edit() const { return start_; }
  QDateTimeEdit* end_edit() const { return end_; }
  QPushButton* query_button() const { return query_; }
  QPushButton* detail_button() const { return detail_; }
  QPushButton* cancel_button() const { return cancel_; }

  // "详细" on a row of tabs 4–7: the modal detail list. Nothing elsewhere.
  void show_detail(int row);
  void show_detail_list(ports::PrintableList list);

 private:
  void show_tab(int tab);
  void refresh();
  void query();
  std::optional<std::size_t> chosen_row() const;

  accounts::RecordsWindowModel model_;
  QTabBar* tabs_ = nullptr;
  QWidget* range_row_ = nullptr;
  QDateTimeEdit* start_ = nullptr;
  QDateTimeEdit* end_ = nullptr;
  QPushButton* query_ = nullptr;
  QTableView* table_ = nullptr;
  ListTableModel* list_model_ = nullptr;
  QLabel* summary_ = nullptr;
  QPushButton* detail_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace brindle::gui
