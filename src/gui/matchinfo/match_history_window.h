#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "core/matchinfo/match_history.h"

class QLabel;
class QPushButton;
class QTabBar;
class QTableView;

namespace brindle::ports {
class MessagePort;
}

namespace brindle::gui {

class ListTableModel;

// "历史战绩": three tabs over two captioned lists and "退出". A tab's requests go out the first time
// it is chosen (the first tab when the window shows); its rows are kept while the window is open.
class MatchHistoryWindow final : public QDialog {
  Q_OBJECT
 public:
  MatchHistoryWindow(protocol::Session& session, ports::MessagePort& messages, int match_number,
                     const std::string& home, const std::string& away, int line_kind,
                     QWidget* parent = nullptr);

  QTabBar* tabs() const { return tabs_; }
  QLabel* caption(int index) const { return captions_.at(static_cast<std::size_t>(index)); }
  QTableView* table(int index) const { return tables_.at(static_cast<std::size_t>(index)); }
  ListTableModel* table_model(int index) const { return models_.at(static_cast<std::size_t>(index)); }
  QPushButton* exit_button() const { return exit_; }

  // Shows a tab, fetching it the first time.
  void show_tab(int index);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  matchinfo::MatchHistory history_;
  ports::MessagePort& messages_;
  bool shown_ = false;
  QTabBar* tabs_ = nullptr;
  std::array<QLabel*, 2> captions_{};
  std::array<QTableView*, 2> tables_{};
  std::array<ListTableModel*, 2> models_{};
  QPushButton* exit_ = nullptr;
};

}  // namespace brindle::gui
