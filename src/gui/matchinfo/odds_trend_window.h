#pragma once

#include <QDialog>

#include "core/matchinfo/odds_trend.h"

class QChart;
class QChartView;

namespace brindle::gui {

// The odds trend of one hall row as a line chart: the balanced odds of the shown team, each point
// labelled with its handicap.
class OddsTrendWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit OddsTrendWindow(const ports::OddsTrend& trend,
                           notation::OddsFormat format = notation::OddsFormat::kDecimal,
                           QWidget* parent = nullptr);

  const matchinfo::TrendPlot& plot() const { return plot_; }
  QChartView* chart_view() const { return view_; }
  QChart* chart() const;

 private:
  matchinfo::TrendPlot plot_;
  QChartView* view_ = nullptr;
};

}  // namespace brindle::gui
