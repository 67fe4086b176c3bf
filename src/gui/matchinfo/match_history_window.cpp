#include "gui/matchinfo/match_history_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

#include "core/ports/message_port.h"
#include "gui/ui/list_table_model.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

// Wide enough for the six columns and the scroll bar.
constexpr QSize kWindowSize(680, 560);

ports::PrintableList list_of(const std::vector<matchinfo::HistoryRow>& rows) {
  ports::PrintableList list;
  for (const auto& column : matchinfo::kHistoryColumns)
    list.columns.push_back({std::string(column.title), column.width});
  for (const auto& row : rows) list.rows.emplace_back(row.begin(), row.end());
  return list;
}

}  // namespace

MatchHistoryWindow::MatchHistoryWindow(protocol::Session& session, ports::MessagePort& messages,
                                       int match_number, const std::string& home, const std::string& away,
                                       int line_kind, QWidget* parent)
    : QDialog(parent), history_(session, match_number, home, away, line_kind), messages_(messages) {
  setWindowTitle(QStringLiteral("历史战绩"));
  setModal(true);
  resize(kWindowSize);

  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabBar(this);
  tabs_->setObjectName("tabs");
  for (const auto title : matchinfo::kHistoryTabTitles)
    tabs_->addTab(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
  layout->addWidget(tabs_);

  const auto captions = matchinfo::tab_captions(matchinfo::HistoryTab::kRecentSix, home, away);
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    captions_[i] = new QLabel(QString::fromStdString(i == 0 ? captions.upper : captions.lower), this);
    captions_[i]->setObjectName(QStringLiteral("caption%1").arg(i + 1));
    models_[i] = new ListTableModel(this);
    models_[i]->set_list(list_of({}));
    tables_[i] = new QTableView(this);
    tables_[i]->setObjectName(i == 0 ? "upper" : "lower");
    set_up_list_view(*tables_[i], *models_[i]);
    layout->addWidget(captions_[i]);
    layout->addWidget(tables_[i], 1);
  }

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  exit_ = new QPushButton(QStringLiteral("退出"), this);
  exit_->setObjectName("exit");
  buttons->addWidget(exit_);
  layout->addLayout(buttons);

  connect(tabs_, &QTabBar::currentChanged, this, &MatchHistoryWindow::show_tab);
  connect(exit_, &QPushButton::clicked, this, &QDialog::reject);

  // Nothing to type: the tabs take the keys, so the arrows move between them.
  tabs_->setFocus();
  SkinnedFrame::skin_dialog(this);
}

void MatchHistoryWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  show_tab(tabs_->currentIndex());
}

void MatchHistoryWindow::show_tab(int index) {
  if (index < 0 || index >= matchinfo::kHistoryTabCount) return;
  const auto& view = history_.open_tab(static_cast<matchinfo::HistoryTab>(index));
  captions_[0]->setText(QString::fromStdString(view.captions.upper));
  captions_[1]->setText(QString::fromStdString(view.captions.lower));
  captions_[1]->setVisible(view.captions.lower_shown);
  tables_[1]->setVisible(view.captions.lower_shown);
  models_[0]->set_list(list_of(view.upper));
  models_[1]->set_list(list_of(view.lower));
  for (const auto& failure : view.failures) messages_.show_message(failure, false);
}

}  // namespace brindle::gui
