#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/ports/list_output_port.h"

class QPrintPreviewDialog;
class QWidget;

namespace brindle::ports {
class MessagePort;
}

namespace brindle::gui {

// A file name made of a list's title: characters that file systems refuse ("/" of the dates among
// them) become "-", and the extension ("csv", "pdf") follows.
QString list_file_name(const std::string& title, const QString& extension);

// Writes the list to the file as CSV, UTF-8 with a byte order mark so that spreadsheet programs read
// the Chinese. The file is written beside and renamed into place, so a failure leaves any earlier
// file whole. Returns the text to show when the file could not be written, nothing on success.
std::optional<std::string> write_csv_file(const QString& path, const ports::PrintableList& list);

// Prints the list to a PDF file; the error text when the file could not be written.
std::optional<std::string> write_pdf_file(const QString& path, const ports::PrintableList& list);

// The list output of the records and statement windows on Qt: printing through a print preview
// (whose printer may be a PDF file, and which offers "PDF" to write one directly) and CSV export.
// Failures are shown in the application's message window.
class QtListOutput final : public ports::ListOutputPort {
 public:
  // Asks the user for the file to write: (dialog title, suggested path, filter) → path, empty when
  // the user cancels.
  using SaveFileChooser = std::function<QString(const QString&, const QString&, const QString&)>;

  // `messages` shows the failures; without one, the application's message window over `parent`.
  explicit QtListOutput(QWidget* parent, ports::MessagePort* messages = nullptr);
  ~QtListOutput() override;

  void print(const ports::PrintableList& list) override;
  void export_csv(const ports::PrintableList& list) override;

  // The file dialog by default; tests answer for the user.
  void set_save_file_chooser(SaveFileChooser chooser) { choose_file_ = std::move(chooser); }

  // The preview print() shows, built but not yet shown; its "PDF" action uses this output, which
  // must outlive it.
  std::unique_ptr<QPrintPreviewDialog> preview_dialog(const ports::PrintableList& list);
  // Asks for a PDF file name and prints the list there.
  void save_pdf(const ports::PrintableList& list);

 private:
  QWidget* parent_;
  std::unique_ptr<ports::MessagePort> own_messages_;
  ports::MessagePort* messages_;
  SaveFileChooser choose_file_;
};

}  // namespace brindle::gui
