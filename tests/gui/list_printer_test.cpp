// The list printer and the list output of the records and statement windows: a three-page list
// printed to PDF and read back with pdftotext, the CSV and PDF files the output writes, and their
// failures. With BRINDLE_SCREENSHOT_DIR set it saves a page of the print preview.

#include "gui/ui/list_printer.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>

#include "core/accounts/csv_document.h"
#include "core/ports/message_port.h"
#include "gui/ui/qt_list_output.h"
#include "support/temp_dir.h"

namespace brindle {
namespace {

using ports::PrintableList;
using testing::TempDir;

class RecordingMessages final : public ports::MessagePort {
 public:
  int show_message(const std::string& utf8_text, bool) override {
    shown.push_back(utf8_text);
    return ok;
  }
  std::vector<std::string> shown;
};

std::string serial(std::size_t row) {
  char text[16];
  std::snprintf(text, sizeof text, "%010zu", row + 1);
  return text;
}

// A statement-like list whose first column is hidden, as the parlay tabs' is.
PrintableList statement_list(std::size_t rows) {
  PrintableList list{
      "交易记录(2026/12/01 - 2026/12/08)",
      {{"", 0}, {"日期", 115}, {"交易类型", 120}, {"彩金", 100}, {"本期结存", 100}, {"内容", 220}},
      {},
      {"买彩：100.00\n提彩：0.00", "盈利：5.00\n亏损：-20.00", "返彩：0.00\n"}};
  for (std::size_t r = 0; r < rows; ++r) {
    list.rows.push_back({"HIDDEN", "2026-12-01 10:00:00", "胜平负盘投注亏损", "-20.00", "80.00", serial(r)});
  }
  list.rows[0][5] = "曼彻斯特联足球俱乐部对利物浦足球俱乐部的比赛一直写到这一行放不下为止尾声";
  return list;
}

int print_to_pdf(const PrintableList& list, const QString& path) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setOutputFileName(path);
  return gui::print_list(printer, list);
}

// The PDF's text in drawing order (-raw keeps the spaces as drawn), one entry per page.
std::vector<QString> pdf_pages(const QString& path) {
  QProcess pdftotext;
  pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), QStringLiteral("-enc"),
                                                QStringLiteral("UTF-8"), path, QStringLiteral("-")});
  if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0) return {};
  QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QChar('\f'));
  if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.pop_back();  // after the last page
  return {pages.begin(), pages.end()};
}

TEST(ListPrinter, ThreePagesToPdfWithFootersRowsInOrderAndChinese) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
    GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  }
  TempDir dir;
  const QString path = QString::fromStdString((dir / "list.pdf").string());
  // The fewest rows that fill three pages: the third then holds one row and the summary.
  // The rows a page holds, found as the fewest rows (no summary) that take a second page; then two
  // pages and a half of rows, the summary after them on the third.
  const auto pages_for = [&](std::size_t rows) {
    PrintableList list = statement_list(rows);
    list.summary.clear();
    return print_to_pdf(list, path);
  };
  std::size_t low = 1, high = 16;
  while (pages_for(high) < 2) low = high, high *= 2;
  while (high - low > 1) {
    const std::size_t middle = (low + high) / 2;
    (pages_for(middle) < 2 ? low : high) = middle;
  }
  const std::size_t per_page = low;
  const PrintableList list = statement_list(per_page * 5 / 2);
  ASSERT_EQ(print_to_pdf(list, path), 3);

  const auto pages = pdf_pages(path);
  ASSERT_EQ(pages.size(), 3u);
  const QString all = pages[0] + pages[1] + pages[2];
  for (int p = 0; p < 3; ++p) {
    const QString page = pages[static_cast<std::size_t>(p)];
    EXPECT_TRUE(page.contains(QStringLiteral("第 %1 页 共 3 页").arg(p + 1))) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("交易记录(2026/12/01 - 2026/12/08)"))) << p;
    EXPECT_TRUE(page.contains(QStringLiteral("本期结存"))) << p;
  }
  EXPECT_FALSE(all.contains(QStringLiteral("HIDDEN")));
  EXPECT_TRUE(all.contains(QStringLiteral("尾声"))) << "a long cell wraps, its end is printed";
  // Every row once, in list order, across the pages.
  qsizetype at = 0;
  for (std::size_t r = 1; r < list.rows.size(); ++r) {
    const qsizetype found = all.indexOf(QString::fromStdString(serial(r)), at);
    ASSERT_GT(found, at) << "row " << r;
    at = found;
  }
  const QString last = QString::fromStdString(serial(list.rows.size() - 1));
  const QString first_of_page_two = QString::fromStdString(serial(per_page));
  EXPECT_FALSE(pages[0].contains(first_of_page_two));
  EXPECT_TRUE(pages[1].contains(first_of_page_two));
  EXPECT_TRUE(pages[2].contains(last));
  EXPECT_GT(pages[2].indexOf(QStringLiteral("亏损：-20.00")), pages[2].indexOf(last))
      << "summary after the rows";
}

TEST(ListOutput, FileNameFromTitle) {
  const struct {
    const char* title;
    const char* name;
  } cases[] = {
      {"交易记录(2026/12/01 - 2026/12/08)", "交易记录(2026-12-01 - 2026-12-08).csv"},
      {"a\\b:c*d?e\"f<g>h|i\tj", "a-b-c-d-e-f-g-h-i-j.csv"},
      {"", "清单.csv"},
      {"..", "清单...csv"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gui::list_file_name(c.title, QStringLiteral("csv")).toStdString(), c.name) << c.title;
  }
}

TEST(ListOutput, WritesChosenFileOrShowsWhyNot) {
  TempDir dir;
  const PrintableList list = statement_list(3);
  const std::string missing_folder = (dir / "no such folder" / "x").string();
  const struct {
    const char* name;
    bool pdf;
    std::string chosen;  // the user's answer; empty = cancelled
    std::string written;
  } cases[] = {
      {"csv", false, (dir / "a.csv").string(), (dir / "a.csv").string()},
      {"csv, extension added", false, (dir / "b").string(), (dir / "b.csv").string()},
      {"csv, cancelled", false, "", ""},
      {"csv, unwritable", false, missing_folder + ".csv", ""},
      {"pdf", true, (dir / "c").string(), (dir / "c.pdf").string()},
      {"pdf, unwritable", true, missing_folder + ".pdf", ""},
  };
  for (const auto& c : cases) {
    RecordingMessages messages;
    gui::QtListOutput output(nullptr, &messages);
    QString suggested;
    output.set_save_file_chooser([&](const QString&, const QString& proposal, const QString&) {
      suggested = proposal;
      return QString::fromStdString(c.chosen);
    });
    c.pdf ? output.save_pdf(list) : output.export_csv(list);
    EXPECT_TRUE(suggested.endsWith(c.pdf ? QStringLiteral("交易记录(2026-12-01 - 2026-12-08).pdf")
                                         : QStringLiteral("交易记录(2026-12-01 - 2026-12-08).csv")))
        << c.name;
    const bool failed = !c.chosen.empty() && c.written.empty();
    ASSERT_EQ(messages.shown.size(), failed ? 1u : 0u) << c.name;
    if (failed) {
      EXPECT_TRUE(messages.shown[0].starts_with("无法写入文件")) << messages.shown[0];
      EXPECT_FALSE(std::filesystem::exists(c.chosen)) << c.name;
    }
    if (c.written.empty()) continue;
    const std::string bytes = testing::read_file(c.written);
    if (c.pdf) {
      EXPECT_TRUE(bytes.starts_with("%PDF")) << c.name;
    } else {
      EXPECT_EQ(bytes, accounts::kUtf8Bom + accounts::csv_document(list)) << c.name;
    }
  }
}

TEST(ListOutput, PreviewOffersPdf) {
  RecordingMessages messages;
  gui::QtListOutput output(nullptr, &messages);
  TempDir dir;
  const std::string chosen = (dir / "preview.pdf").string();
  output.set_save_file_chooser([&](auto&&...) { return QString::fromStdString(chosen); });
  const auto preview = output.preview_dialog(statement_list(3));
  EXPECT_EQ(preview->windowTitle(), QStringLiteral("打印预览"));
  auto* pdf = preview->findChild<QAction*>(QStringLiteral("savePdfAction"));
  ASSERT_TRUE(pdf);
  pdf->trigger();
  EXPECT_TRUE(std::filesystem::exists(chosen));
  EXPECT_TRUE(messages.shown.empty());

  const QByteArray out = qgetenv("BRINDLE_SCREENSHOT_DIR");
  if (out.isEmpty()) return;
  preview->show();
  QTest::qWait(200);
  EXPECT_TRUE(preview->grab().save(QString::fromUtf8(out) + "/print_preview.png"));
  EXPECT_FALSE(gui::write_pdf_file(QString::fromUtf8(out) + "/print_statement.pdf", statement_list(80)));
}

}  // namespace
}  // namespace brindle
