#pragma once

#include <QDate>
#include <QDialog>

#include "core/matchinfo/results_query.h"

class QDateEdit;
class QLabel;
class QPushButton;
class QTabBar;
class QTableView;

namespace brindle::ports {
class MessagePort;
}
namespace brindle::protocol {
struct Session;
}

namespace brindle::gui {

class ListTableModel;

// "赛事查询": finished results over a range, the coming fixtures and the outright and index results,
// one tab each, over one list. The pickers change only the dates: the range keeps its opening times.
class ResultsWindow final : public QDialog {
  Q_OBJECT
 public:
  ResultsWindow(protocol::Session& session, ports::MessagePort& messages, QWidget* parent = nullptr,
                const QDate& today = QDate::currentDate());

  // The opening query of the results tab; the window shows what it found.
  void start();

  matchinfo::ResultsQueryModel& model() { return model_; }
  QTabBar* tabs() const { return tabs_; }
  QDateEdit* start_edit() const { return start_; }
  QDateEdit* end_edit() const { return end_; }
  QTableView* table() const { return table_; }
  ListTableModel* table_model() const { return table_model_; }
  QPushButton* query_button() const { return query_; }

  void query();

 private:
  void show_tab(int index);
  void show_rows();
  void take_range();

  matchinfo::ResultsQueryModel model_;
  QTabBar* tabs_ = nullptr;
  QWidget* dates_ = nullptr;
  QDateEdit* start_ = nullptr;
  QDateEdit* end_ = nullptr;
  QTableView* table_ = nullptr;
  ListTableModel* table_model_ = nullptr;
  QPushButton* query_ = nullptr;
};

// Opens the window modally and runs it to its close.
void run_results_window(protocol::Session& session, ports::MessagePort& messages, QWidget* parent);

}  // namespace brindle::gui
