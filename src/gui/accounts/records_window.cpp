#include "gui/accounts/records_window.h"

#include <QDateTime>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

#include "core/accounts/bet_record_tabs.h"
#include "gui/ui/list_table_model.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

constexpr QSize kWindowSize(920, 540);
constexpr int kDefaultRangeDays = 7;
const QString kEditFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString q(const std::string& text) { return QString::fromStdString(text); }

wire::CivilDateTime civil(const QDateTime& when) {
  const QDate d = when.date();
  const QTime t = when.time();
  return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

wire::CivilDateTime local_now() { return civil(QDateTime::currentDateTime()); }

// The opening range: from midnight seven days back to the end of today, so that a bet settled while
// the window is open is found by the next 查询 without touching the pickers.
QDateTime default_start() { return QDateTime(QDate::currentDate().addDays(-kDefaultRangeDays), QTime(0, 0)); }
QDateTime default_end() { return QDateTime(QDate::currentDate(), QTime(23, 59, 59)); }
protocol::DateRange default_range() { return {civil(default_start()), civil(default_end())}; }

QDateTimeEdit* date_edit(const QDateTime& when, QWidget* parent) {
  auto* edit = new QDateTimeEdit(when, parent);
  edit->setDisplayFormat(kEditFormat);
  edit->setCalendarPopup(true);
  // Room for the whole date-time beside the calendar arrow.
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + 40);
  return edit;
}

QString summary_text(const ports::PrintableList& list) {
  QStringList lines;
  for (const auto& line : list.summary) lines << q(line);
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

RecordDetailWindow::RecordDetailWindow(ports::PrintableList list, QWidget* parent) : QDialog(parent) {
  setObjectName("recordDetail");
  setWindowTitle(q(list.title));
  int width = 0;
  for (const auto& c : list.columns) width += c.width;
  resize(std::max(width + 40, 420), 320);
  auto* layout = new QVBoxLayout(this);
  table_ = new QTableView(this);
  table_->setObjectName("detailList");
  auto* model = new ListTableModel(this);
  model->set_list(std::move(list));
  set_up_list_view(*table_, *model);
  layout->addWidget(table_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* close = new QPushButton(QStringLiteral("关闭"), this);
  close->setObjectName("close");
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  SkinnedFrame::skin_dialog(this);
  table_->setFocus();
}

RecordsWindow::RecordsWindow(protocol::Session& session, ports::MessagePort& messages,
                             ports::ConfirmationPort& confirmation, ports::ListOutputPort& output,
                             QWidget* parent)
    : QDialog(parent), model_({session, messages, confirmation, output, local_now}, default_range()) {
  setObjectName("records");
  setWindowTitle(QStringLiteral("投注记录"));
  resize(kWindowSize);
  auto* layout = new QVBoxLayout(this);

  tabs_ = new QTabBar(this);
  tabs_->setObjectName("tabs");
  tabs_->setExpanding(false);
  for (int t = 0; t < accounts::kRecordTabCount; ++t) tabs_->addTab(q(accounts::record_tab_text(t)));
  layout->addWidget(tabs_);

  // The range belongs to the settled tabs; 查询 to every tab, so an unsettled list can be fetched
  // again while the window is open.
  auto* query_row = new QHBoxLayout;
  range_row_ = new QWidget(this);
  auto* range = new QHBoxLayout(range_row_);
  range->setContentsMargins(0, 0, 0, 0);
  start_ = date_edit(default_start(), range_row_);
  start_->setObjectName("start");
  end_ = date_edit(default_end(), range_row_);
  end_->setObjectName("end");
  range->addWidget(new QLabel(QStringLiteral("开始时间："), range_row_));
  range->addWidget(start_);
  range->addWidget(new QLabel(QStringLiteral("结束时间："), range_row_));
  range->addWidget(end_);
  query_row->addWidget(range_row_);
  query_ = new QPushButton(QStringLiteral("查询"), this);
  query_->setObjectName("query");
  query_row->addWidget(query_);
  query_row->addStretch(1);
  layout->addLayout(query_row);

  table_ = new QTableView(this);
  table_->setObjectName("list");
  list_model_ = new ListTableModel(this);
  set_up_list_view(*table_, *list_model_);
  layout->addWidget(table_, 1);

  summary_ = new QLabel(this);
  summary_->setObjectName("summary");
  layout->addWidget(summary_);

  auto* buttons = new QHBoxLayout;
  detail_ = new QPushButton(QStringLiteral("详细"), this);
  detail_->setObjectName("detail");
  cancel_ = new QPushButton(QStringLiteral("撤单"), this);
  cancel_->setObjectName("cancelMarket");
  auto* print = new QPushButton(QStringLiteral("打印"), this);
  print->setObjectName("print");
  auto* export_csv = new QPushButton(QStringLiteral("导出"), this);
  export_csv->setObjectName("export");
  auto* close = new QPushButton(QStringLiteral("关闭"), this);
  close->setObjectName("close");
  buttons->addWidget(detail_);
  buttons->addWidget(cancel_);
  buttons->addStretch(1);
  buttons->addWidget(print);
  buttons->addWidget(export_csv);
  buttons->addWidget(close);
  layout->addLayout(buttons);

  connect(tabs_, &QTabBar::currentChanged, this, &RecordsWindow::show_tab);
  connect(query_, &QPushButton::clicked, this, &RecordsWindow::query);
  connect(detail_, &QPushButton::clicked, this, [this] {
    if (auto list = model_.detail_of_chosen(chosen_row())) show_detail_list(std::move(*list));
  });
  connect(table_, &QTableView::doubleClicked, this,
          [this](const QModelIndex& index) { show_detail(index.row()); });
  // A click on the "详细" cell opens the detail list as the button does.
  connect(table_, &QTableView::clicked, this, [this](const QModelIndex& index) {
    if (index.data().toString() == QString::fromUtf8(accounts::kDetailText) &&
        index.column() == list_model_->columnCount() - 1)
      show_detail(index.row());
  });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    model_.cancel(chosen_row());
    refresh();
  });
  connect(print, &QPushButton::clicked, this, [this] { model_.print(); });
  connect(export_csv, &QPushButton::clicked, this, [this] { model_.export_csv(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  model_.open();
  show_tab(0);
  SkinnedFrame::skin_dialog(this);
  table_->setFocus();
}

void RecordsWindow::show_tab(int tab) {
  model_.select_tab(tab);
  const bool settled = accounts::record_tab_has_range(tab);
  range_row_->setVisible(settled);
  detail_->setVisible(accounts::record_tab_has_details(tab));
  cancel_->setVisible(tab == accounts::kUnsettledOpenedMarketsTab);
  refresh();
}

void RecordsWindow::refresh() {
  ports::PrintableList list = model_.list();
  summary_->setText(summary_text(list));
  list_model_->set_list(std::move(list));
}

void RecordsWindow::query() {
  model_.set_range({civil(start_->dateTime()), civil(end_->dateTime())});
  if (model_.query()) refresh();
}

std::optional<std::size_t> RecordsWindow::chosen_row() const {
  const auto rows = table_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return std::nullopt;
  return static_cast<std::size_t>(rows.first().row());
}

void RecordsWindow::show_detail(int row) {
  if (row < 0) return;
  if (auto list = model_.detail(static_cast<std::size_t>(row))) show_detail_list(std::move(*list));
}

void RecordsWindow::show_detail_list(ports::PrintableList list) {
  RecordDetailWindow window(std::move(list), this);
  window.exec();
}

}  // namespace brindle::gui
