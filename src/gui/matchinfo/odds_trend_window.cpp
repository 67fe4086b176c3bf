#include "gui/matchinfo/odds_trend_window.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

constexpr QSize kWindowSize(760, 640);
constexpr qreal kMarkerSize = 7.0;

QValueAxis* axis(double low, double high, double step, const char* format, QChart* chart) {
  auto* a = new QValueAxis(chart);
  a->setRange(low, high);
  a->setTickType(QValueAxis::TicksDynamic);
  a->setTickAnchor(low);
  a->setTickInterval(step);
  a->setLabelFormat(QString::fromLatin1(format));
  return a;
}

}  // namespace

OddsTrendWindow::OddsTrendWindow(const ports::OddsTrend& trend, notation::OddsFormat format, QWidget* parent)
    : QDialog(parent), plot_(matchinfo::odds_trend_plot(trend, format)) {
  setWindowTitle(QStringLiteral("赔率走势"));
  setModal(true);
  resize(kWindowSize);

  auto* chart = new QChart;
  chart->setTitle(QString::fromStdString(plot_.title));
  chart->legend()->hide();

  auto* x_axis = axis(plot_.x_min, plot_.x_max, plot_.x_step, "%d", chart);
  auto* y_axis = axis(plot_.y_min, plot_.y_max, plot_.y_step, "%.2f", chart);
  y_axis->setMinorTickCount(static_cast<int>(plot_.y_step / plot_.y_minor_step + 0.5) - 1);
  chart->addAxis(x_axis, Qt::AlignBottom);
  chart->addAxis(y_axis, Qt::AlignLeft);

  auto* line = new QLineSeries(chart);
  line->setObjectName("odds");
  for (const auto& point : plot_.points) line->append(point.x, point.y);
  chart->addSeries(line);
  line->attachAxis(x_axis);
  line->attachAxis(y_axis);
  // A label format without placeholders is shown as it is, so each point gets its own series to carry
  // its handicap name.
  for (const auto& point : plot_.points) {
    auto* marker = new QScatterSeries(chart);
    marker->setMarkerSize(kMarkerSize);
    marker->setColor(line->color());
    marker->append(point.x, point.y);
    QString label = QString::fromStdString(point.label);
    marker->setPointLabelsFormat(label.replace(QLatin1Char('@'), QStringLiteral("＠")));
    marker->setPointLabelsVisible(point.labelled);
    marker->setPointLabelsClipping(false);
    chart->addSeries(marker);
    marker->attachAxis(x_axis);
    marker->attachAxis(y_axis);
  }

  view_ = new QChartView(chart, this);
  view_->setObjectName("chart");
  view_->setRenderHint(QPainter::Antialiasing);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* close = new QPushButton(QStringLiteral("退出"), this);
  close->setObjectName("exit");
  buttons->addWidget(close);
  layout->addLayout(buttons);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  close->setFocus();
  SkinnedFrame::skin_dialog(this);
}

QChart* OddsTrendWindow::chart() const { return view_->chart(); }

}  // namespace brindle::gui
