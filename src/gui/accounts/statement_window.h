#pragma once

#include <QDateTime>
#include <QDialog>
#include <array>

#include "core/accounts/statement_window_model.h"

class QDateTimeEdit;
class QLabel;
class QPushButton;
class QTableView;

namespace brindle::ports {
class ListOutputPort;
class MessagePort;
}  // namespace brindle::ports
namespace brindle::protocol {
struct Session;
}

namespace brindle::gui {

class ListTableModel;

// The account statement ("帐户"): a date range, "查询", the transactions with their balance after
// each, the three summary boxes under them, and "打印", "导出", "关闭". Modal; opens empty with the
// last seven days (from today's midnight six days back to the end of `now`'s day), which the query limit allows.
class StatementWindow final : public QDialog {
  Q_OBJECT
 public:
  StatementWindow(protocol::Session& session, ports::MessagePort& messages, ports::ListOutputPort& output,
                  QWidget* parent = nullptr, const QDateTime& now = QDateTime::currentDateTime());

  accounts::StatementWindowModel& model() { return model_; }
  QDateTimeEdit* start_edit() const { return start_; }
  QDateTimeEdit* end_edit() const { return end_; }
  QTableView* table() const { return table_; }
  ListTableModel* table_model() const { return table_model_; }
  QLabel* summary_box(int index) const { return boxes_.at(static_cast<std::size_t>(index)); }
  QPushButton* query_button() const { return query_; }
  QPushButton* print_button() const { return print_; }
  QPushButton* export_button() const { return export_; }

  // 查询 with the range the pickers show.
  void query();

 private:
  void show_list();

  accounts::StatementWindowModel model_;
  QDateTimeEdit* start_ = nullptr;
  QDateTimeEdit* end_ = nullptr;
  QTableView* table_ = nullptr;
  ListTableModel* table_model_ = nullptr;
  std::array<QLabel*, 3> boxes_{};
  QPushButton* query_ = nullptr;
  QPushButton* print_ = nullptr;
  QPushButton* export_ = nullptr;
};

}  // namespace brindle::gui
