#include "gui/matchinfo/results_window.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

#include "gui/ui/list_table_model.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

constexpr QSize kWindowSize(640, 440);

wire::CivilDateTime civil(const QDate& day) { return {day.year(), day.month(), day.day(), 0, 0, 0}; }
QDate date_of(const wire::CivilDateTime& when) { return QDate(when.year, when.month, when.day); }

QDateEdit* date_edit(const QDate& value, const char* name, QWidget* parent) {
  auto* edit = new QDateEdit(value, parent);
  edit->setObjectName(QString::fromUtf8(name));
  edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  edit->setCalendarPopup(true);
  return edit;
}

}  // namespace

ResultsWindow::ResultsWindow(protocol::Session& session, ports::MessagePort& messages, QWidget* parent,
                             const QDate& today)
    : QDialog(parent), model_(session, messages, matchinfo::opening_results_range(civil(today))) {
  setWindowTitle(QString::fromUtf8(matchinfo::kResultsWindowTitle));
  setModal(true);
  resize(kWindowSize);

  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabBar(this);
  tabs_->setObjectName("tabs");
  for (const char* title : matchinfo::kResultsTabTitles) tabs_->addTab(QString::fromUtf8(title));
  layout->addWidget(tabs_);

  auto* range_row = new QHBoxLayout;
  dates_ = new QWidget(this);
  auto* dates = new QHBoxLayout(dates_);
  dates->setContentsMargins(0, 0, 0, 0);
  dates->addWidget(new QLabel(QStringLiteral("按时间从"), dates_));
  start_ = date_edit(date_of(model_.range().start), "start", dates_);
  dates->addWidget(start_);
  dates->addWidget(new QLabel(QStringLiteral("至"), dates_));
  end_ = date_edit(date_of(model_.range().end), "end", dates_);
  dates->addWidget(end_);
  range_row->addWidget(dates_);
  range_row->addStretch(1);
  query_ = new QPushButton(QStringLiteral("查询"), this);
  query_->setObjectName("query");
  query_->setDefault(true);
  auto* exit = new QPushButton(QStringLiteral("退出"), this);
  exit->setObjectName("exit");
  range_row->addWidget(query_);
  range_row->addWidget(exit);
  layout->addLayout(range_row);

  table_model_ = new ListTableModel(this);
  table_ = new QTableView(this);
  table_->setObjectName("results");
  set_up_list_view(*table_, *table_model_);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  layout->addWidget(table_, 1);
  show_rows();

  connect(query_, &QPushButton::clicked, this, &ResultsWindow::query);
  connect(exit, &QPushButton::clicked, this, &QDialog::reject);
  connect(tabs_, &QTabBar::currentChanged, this, &ResultsWindow::show_tab);

  start_->setFocus();
  SkinnedFrame::skin_dialog(this);
}

void ResultsWindow::start() {
  {
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentIndex(0);
  }
  dates_->setVisible(true);
  model_.open();
  show_rows();
}

void ResultsWindow::take_range() {
  // The dates are the pickers'; the times stay the opening range's (00:00:01 and 23:59:59).
  auto range = model_.range();
  const QDate from = start_->date();
  const QDate to = end_->date();
  range.start = {from.year(),      from.month(),       from.day(),
                 range.start.hour, range.start.minute, range.start.second};
  range.end = {to.year(), to.month(), to.day(), range.end.hour, range.end.minute, range.end.second};
  model_.set_range(range);
}

void ResultsWindow::query() {
  take_range();
  model_.query();
  show_rows();
}

void ResultsWindow::show_tab(int index) {
  const auto tab = static_cast<matchinfo::ResultsTab>(index);
  dates_->setVisible(matchinfo::shows_dates(tab));
  take_range();
  model_.select_tab(tab);
  show_rows();
}

void ResultsWindow::show_rows() {
  ports::PrintableList list;
  list.title = matchinfo::kResultsWindowTitle;
  list.columns = model_.columns();
  list.rows = model_.rows();
  table_model_->set_list(std::move(list));
}

void run_results_window(protocol::Session& session, ports::MessagePort& messages, QWidget* parent) {
  ResultsWindow window(session, messages, parent);
  window.show();
  window.start();
  window.exec();
}

}  // namespace brindle::gui
