#pragma once

#include <string>
#include <vector>

namespace brindle::ports {

//! One column of a list window: its title and its width in pixels (0 = hidden).
struct ListColumn {
  std::string title;
  int width = 0;
};

//! A list as its window shows it, ready to leave the program: printed, previewed, written to PDF or
//! exported as CSV. Cell texts are the window's own, in list order.
struct PrintableList {
  std::string title;  // the print title, e.g. "交易记录(2026/12/01 - 2026/12/08)"
  std::vector<ListColumn> columns;
  std::vector<std::vector<std::string>> rows;
  // The summary under the list: the records window's summary line, or the statement's three boxes
  // (each box one entry, its line break kept).
  std::vector<std::string> summary;
};

//! Where the records and statement windows send their lists. The windows refuse an empty list
//! themselves ("没有可以打印的记录。") before calling.
class ListOutputPort {
 public:
  virtual ~ListOutputPort() = default;
  //! Print with a preview; the printer may be a PDF file.
  virtual void print(const PrintableList& list) = 0;
  //! Ask for a file name and write the list there as CSV.
  virtual void export_csv(const PrintableList& list) = 0;
};

}  // namespace brindle::ports
