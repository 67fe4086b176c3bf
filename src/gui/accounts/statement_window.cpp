#include "gui/accounts/statement_window.h"

#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/ui/list_table_model.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

constexpr QSize kWindowSize(720, 540);
constexpr int kDaysBack = 6;

wire::CivilDateTime civil(const QDateTime& when) {
  const QDate d = when.date();
  const QTime t = when.time();
  return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

QDateTimeEdit* date_time_edit(const QDateTime& value, const char* name, QWidget* parent) {
  auto* edit = new QDateTimeEdit(value, parent);
  edit->setObjectName(QString::fromUtf8(name));
  edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  edit->setCalendarPopup(true);
  return edit;
}

// From today's midnight six days back to the end of today: seven days less a second, which the query
// limit allows, and a movement made while the window is open is found by the next 查询.
QDateTime opening_start(const QDateTime& now) {
  return QDateTime(now.date().addDays(-kDaysBack), QTime(0, 0));
}
QDateTime opening_end(const QDateTime& now) { return QDateTime(now.date(), QTime(23, 59, 59)); }
protocol::DateRange opening_range(const QDateTime& now) {
  return {civil(opening_start(now)), civil(opening_end(now))};
}

}  // namespace

StatementWindow::StatementWindow(protocol::Session& session, ports::MessagePort& messages,
                                 ports::ListOutputPort& output, QWidget* parent, const QDateTime& now)
    : QDialog(parent), model_(session, messages, output, opening_range(now)) {
  setWindowTitle(QStringLiteral("交易记录"));
  setModal(true);
  resize(kWindowSize);

  auto* layout = new QVBoxLayout(this);
  auto* range_row = new QHBoxLayout;
  range_row->addWidget(new QLabel(QStringLiteral("开始日期："), this));
  start_ = date_time_edit(opening_start(now), "start", this);
  range_row->addWidget(start_);
  range_row->addSpacing(12);
  range_row->addWidget(new QLabel(QStringLiteral("结束日期："), this));
  end_ = date_time_edit(opening_end(now), "end", this);
  range_row->addWidget(end_);
  range_row->addSpacing(12);
  query_ = new QPushButton(QStringLiteral("查询"), this);
  query_->setObjectName("query");
  query_->setDefault(true);  // Return in a date box runs the query
  range_row->addWidget(query_);
  range_row->addStretch(1);
  layout->addLayout(range_row);

  table_model_ = new ListTableModel(this);
  table_model_->set_list(model_.list());
  table_ = new QTableView(this);
  table_->setObjectName("statement");
  set_up_list_view(*table_, *table_model_);
  layout->addWidget(table_, 1);

  // The three summary boxes, each two lines.
  auto* box_row = new QHBoxLayout;
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    auto* box = new QLabel(this);
    box->setObjectName(QStringLiteral("summary%1").arg(i + 1));
    box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // Top-aligned, so that the first lines of the three boxes stay level.
    box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setMinimumHeight(2 * box->fontMetrics().lineSpacing() + 10);
    box->setMargin(4);
    box_row->addWidget(box, 1);
    boxes_[i] = box;
  }
  layout->addLayout(box_row);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  print_ = new QPushButton(QStringLiteral("打印"), this);
  print_->setObjectName("print");
  export_ = new QPushButton(QStringLiteral("导出"), this);
  export_->setObjectName("export");
  auto* close = new QPushButton(QStringLiteral("关闭"), this);
  close->setObjectName("close");
  for (auto* b : {print_, export_, close}) buttons->addWidget(b);
  layout->addLayout(buttons);

  connect(query_, &QPushButton::clicked, this, &StatementWindow::query);
  connect(print_, &QPushButton::clicked, this, [this] { model_.print(); });
  connect(export_, &QPushButton::clicked, this, [this] { model_.export_csv(); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  start_->setFocus();
  SkinnedFrame::skin_dialog(this);
}

void StatementWindow::query() {
  model_.set_range({civil(start_->dateTime()), civil(end_->dateTime())});
  if (model_.query()) show_list();
}

void StatementWindow::show_list() {
  table_model_->set_list(model_.list());
  const auto& summary = model_.list().summary;
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    boxes_[i]->setText(i < summary.size() ? QString::fromStdString(summary[i]) : QString());
  }
}

}  // namespace brindle::gui
