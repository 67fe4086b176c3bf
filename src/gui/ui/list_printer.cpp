#include "gui/ui/list_printer.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextLayout>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/accounts/csv_document.h"

namespace brindle::gui {
namespace {

constexpr qreal kBodyPoints = 9;
constexpr qreal kTitlePoints = 14;

QString text_of(const std::string& utf8) {
  QString text = QString::fromStdString(utf8);
  // A summary box keeps its line break; QTextLayout breaks only at the Unicode line separator.
  text.replace(QLatin1Char('\n'), QChar::LineSeparator);
  return text;
}

// Lays the text out in lines of at most `width`, breaking at word boundaries where it can and
// anywhere else where it must (long numbers, names without spaces); returns the height.
qreal lay_out(QTextLayout& layout, qreal width) {
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  qreal height = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    line.setPosition(QPointF(0, height));
    height += line.height();
  }
  layout.endLayout();
  return height;
}

// The page geometry in the printer's device pixels, measured once for the whole list.
struct Geometry {
  QPaintDevice* device = nullptr;
  QFont body;
  QFont bold;
  QFont title;
  qreal width = 0;
  qreal height = 0;
  QPen grid;
  qreal pad = 0;  // inside a cell
  qreal gap = 0;  // between the blocks of a page
  std::vector<std::size_t> shown;
  std::vector<qreal> edges;  // left edge of each shown column, then the right edge of the last
  qreal title_height = 0;
  qreal header_height = 0;
  qreal footer_height = 0;

  qreal text_height(const QString& text, const QFont& font, qreal text_width) const {
    QTextLayout layout(text, font, device);
    return lay_out(layout, text_width);
  }
  void draw_text(QPainter& painter, const QString& text, const QFont& font, const QRectF& box,
                 Qt::Alignment align = Qt::AlignLeft) const {
    QTextLayout layout(text, font, device);
    const qreal top = box.top() + (box.height() - lay_out(layout, box.width())) / 2;
    // Centred texts: each line on its own, by its natural width.
    for (int i = 0; i < layout.lineCount(); ++i) {
      QTextLine line = layout.lineAt(i);
      const qreal left =
          align & Qt::AlignHCenter ? box.left() + (box.width() - line.naturalTextWidth()) / 2 : box.left();
      line.setPosition(QPointF(left - box.left(), line.position().y()));
    }
    layout.draw(&painter, QPointF(box.left(), top));
  }
  qreal cell_height(const std::vector<std::string>& cells, const QFont& font) const {
    qreal tallest = QFontMetricsF(font, device).height();
    for (std::size_t k = 0; k < shown.size(); ++k) {
      const std::size_t i = shown[k];
      if (i >= cells.size()) continue;
      tallest = std::max(tallest, text_height(text_of(cells[i]), font, edges[k + 1] - edges[k] - 2 * pad));
    }
    return tallest + 2 * pad;
  }
};

std::vector<std::string> column_titles(const ports::PrintableList& list) {
  std::vector<std::string> titles;
  for (const auto& column : list.columns) titles.push_back(column.title);
  return titles;
}

Geometry measure(QPrinter& printer, const ports::PrintableList& list) {
  Geometry g;
  g.device = &printer;
  g.body = QFont(QGuiApplication::font(), &printer);
  g.body.setPointSizeF(kBodyPoints);
  g.bold = g.body;
  g.bold.setBold(true);
  g.title = g.bold;
  g.title.setPointSizeF(kTitlePoints);
  g.width = printer.width();
  g.height = printer.height();
  g.pad = printer.resolution() / 36.0;  // 2 points
  g.gap = printer.resolution() / 8.0;
  g.grid = QPen(QColor(0x80, 0x80, 0x80), printer.resolution() / 144.0);  // half a point
  g.shown = accounts::shown_columns(list);
  qreal total = 0;
  for (const std::size_t i : g.shown) total += list.columns[i].width;
  // Each column its share of the page, but never narrower than its longest run of digits and
  // letters (a serial number, an amount), which would otherwise break in the middle; the other
  // columns give up the difference in proportion.
  const QFontMetricsF metrics(g.body, &printer);
  static const QRegularExpression kBetweenRuns(QStringLiteral("[^0-9A-Za-z.:_\\-]+"));
  std::vector<qreal> widths, least;
  for (const std::size_t i : g.shown) {
    widths.push_back(total > 0 ? list.columns[i].width * g.width / total : 0);
    qreal run = 0;
    for (const auto& row : list.rows) {
      if (i >= row.size()) continue;
      for (const QString& word : text_of(row[i]).split(kBetweenRuns, Qt::SkipEmptyParts))
        run = std::max(run, metrics.horizontalAdvance(word));
    }
    least.push_back(run > 0 ? run + 2 * g.pad + 1 : 0);
  }
  qreal short_by = 0, spare = 0;
  for (std::size_t k = 0; k < widths.size(); ++k) {
    if (widths[k] < least[k]) {
      short_by += least[k] - widths[k];
    } else {
      spare += widths[k] - least[k];
    }
  }
  if (short_by > 0 && spare >= short_by) {
    for (std::size_t k = 0; k < widths.size(); ++k) {
      widths[k] = widths[k] < least[k] ? least[k] : widths[k] - (widths[k] - least[k]) * short_by / spare;
    }
  }
  qreal left = 0;
  g.edges.push_back(0);
  for (const qreal width : widths) {
    left += width;
    g.edges.push_back(left);
  }
  g.title_height = g.text_height(text_of(list.title), g.title, g.width);
  g.header_height = g.shown.empty() ? 0 : g.cell_height(column_titles(list), g.bold);
  g.footer_height = QFontMetricsF(g.body, &printer).height();
  return g;
}

// The rows [first, end) of one page, and whether the summary follows them there.
struct Page {
  std::size_t first = 0;
  std::size_t end = 0;
  bool summary = false;
};

std::vector<Page> paginate(const Geometry& g, const std::vector<qreal>& row_heights, qreal summary_height) {
  const qreal body_top = g.title_height + g.gap + g.header_height;
  const qreal body_bottom = g.height - g.footer_height - g.gap;
  std::vector<Page> pages;
  Page page;
  qreal y = body_top;
  for (std::size_t r = 0; r < row_heights.size(); ++r) {
    // A row taller than a whole page gets a page of its own and is cut there.
    if (y + row_heights[r] > body_bottom && r > page.first) {
      page.end = r;
      pages.push_back(page);
      page = Page{r, r, false};
      y = body_top;
    }
    y += row_heights[r];
  }
  page.end = row_heights.size();
  if (summary_height > 0 && y + g.gap + summary_height > body_bottom && page.end > page.first) {
    pages.push_back(page);
    page = Page{page.end, page.end, false};
  }
  page.summary = summary_height > 0;
  pages.push_back(page);
  return pages;
}

void draw_row(QPainter& painter, const Geometry& g, const std::vector<std::string>& cells, const QFont& font,
              qreal top, qreal height) {
  for (std::size_t k = 0; k < g.shown.size(); ++k) {
    const QRectF cell(g.edges[k], top, g.edges[k + 1] - g.edges[k], height);
    painter.setPen(g.grid);
    painter.drawRect(cell);
    painter.setPen(Qt::black);
    const std::size_t i = g.shown[k];
    if (i < cells.size()) {
      g.draw_text(painter, text_of(cells[i]), font, cell.adjusted(g.pad, g.pad, -g.pad, -g.pad));
    }
  }
}

}  // namespace

int print_list(QPrinter& printer, const ports::PrintableList& list) {
  QPainter painter;
  if (!painter.begin(&printer)) return 0;
  const Geometry g = measure(printer, list);

  std::vector<qreal> row_heights;
  row_heights.reserve(list.rows.size());
  for (const auto& row : list.rows) row_heights.push_back(g.shown.empty() ? 0 : g.cell_height(row, g.body));
  std::vector<qreal> summary_heights;
  qreal summary_height = 0;
  for (const auto& entry : list.summary) {
    summary_heights.push_back(g.text_height(text_of(entry), g.body, g.width));
    summary_height += summary_heights.back() + (summary_heights.size() > 1 ? g.gap / 2 : 0);
  }

  const auto pages = paginate(g, row_heights, summary_height);
  const int page_count = static_cast<int>(pages.size());
  int printed = 0;
  for (int p = 0; p < page_count; ++p) {
    if (p > 0 && !printer.newPage()) break;
    const Page& page = pages[static_cast<std::size_t>(p)];
    g.draw_text(painter, text_of(list.title), g.title, QRectF(0, 0, g.width, g.title_height),
                Qt::AlignHCenter);
    qreal y = g.title_height + g.gap;
    if (page.end > page.first || !page.summary) {
      painter.setBrush(QColor(0xe8, 0xe8, 0xe8));
      draw_row(painter, g, column_titles(list), g.bold, y, g.header_height);
      painter.setBrush(Qt::NoBrush);
      y += g.header_height;
      for (std::size_t r = page.first; r < page.end; ++r) {
        draw_row(painter, g, list.rows[r], g.body, y, row_heights[r]);
        y += row_heights[r];
      }
      y += g.gap;
    }
    if (page.summary) {
      for (std::size_t s = 0; s < list.summary.size(); ++s) {
        g.draw_text(painter, text_of(list.summary[s]), g.body, QRectF(0, y, g.width, summary_heights[s]));
        y += summary_heights[s] + g.gap / 2;  // the boxes apart
      }
    }
    char footer[64];
    std::snprintf(footer, sizeof footer, kPageFooterFormat, p + 1, page_count);
    g.draw_text(painter, QString::fromUtf8(footer), g.body,
                QRectF(0, g.height - g.footer_height, g.width, g.footer_height), Qt::AlignHCenter);
    ++printed;
  }
  painter.end();
  return printed;
}

}  // namespace brindle::gui
