#include "gui/ui/qt_list_output.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolBar>

#include "core/accounts/csv_document.h"
#include "gui/ui/list_printer.h"
#include "gui/ui/message_window.h"

namespace brindle::gui {
namespace {

std::string cannot_write(const QString& path, const QString& reason) {
  return QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(path), reason).toStdString();
}

// Writes the bytes in place of the file, all or nothing.
std::optional<std::string> save_bytes(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return cannot_write(path, file.errorString());
  if (file.write(bytes) != bytes.size()) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return cannot_write(path, reason);
  }
  if (!file.commit()) return cannot_write(path, file.errorString());
  return std::nullopt;
}

QString suggested_path(const std::string& title, const QString& extension) {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  const QString name = list_file_name(title, extension);
  return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

// The user may leave the extension out in the file dialog.
QString with_extension(QString path, const QString& extension) {
  if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + extension;
  return path;
}

}  // namespace

QString list_file_name(const std::string& title, const QString& extension) {
  QString name = QString::fromStdString(title);
  for (QChar& c : name) {
    if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('-');
  }
  name = name.trimmed();
  if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) name.prepend(QStringLiteral("清单"));
  return name + QLatin1Char('.') + extension;
}

std::optional<std::string> write_csv_file(const QString& path, const ports::PrintableList& list) {
  QByteArray bytes(accounts::kUtf8Bom);
  bytes += QByteArray::fromStdString(accounts::csv_document(list));
  return save_bytes(path, bytes);
}

std::optional<std::string> write_pdf_file(const QString& path, const ports::PrintableList& list) {
  // The printer writes its file as it goes; print into a private folder and move the finished
  // document into place, so that a failure leaves no half a file under the user's name.
  QTemporaryDir scratch;
  if (!scratch.isValid()) return cannot_write(path, scratch.errorString());
  const QString draft = scratch.filePath(QStringLiteral("list.pdf"));
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setDocName(QString::fromStdString(list.title));
  printer.setOutputFileName(draft);
  if (print_list(printer, list) == 0) return cannot_write(path, QStringLiteral("无法生成 PDF 文档"));
  QFile file(draft);
  if (!file.open(QIODevice::ReadOnly)) return cannot_write(path, file.errorString());
  return save_bytes(path, file.readAll());
}

QtListOutput::QtListOutput(QWidget* parent, ports::MessagePort* messages)
    : parent_(parent),
      own_messages_(messages ? nullptr : std::make_unique<MessageWindowPort>(parent)),
      messages_(messages ? messages : own_messages_.get()),
      choose_file_([this](const QString& title, const QString& suggested, const QString& filter) {
        // Wide enough for the names, sizes and dates of a folder's files side by side.
        QFileDialog dialog(parent_, title, suggested, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("保存位置："));
        dialog.setLabelText(QFileDialog::FileName, QStringLiteral("文件名："));
        dialog.setLabelText(QFileDialog::FileType, QStringLiteral("文件类型："));
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("保存"));
        dialog.setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
        dialog.resize(960, 560);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
        return dialog.selectedFiles().front();
      }) {}

QtListOutput::~QtListOutput() = default;

void QtListOutput::print(const ports::PrintableList& list) { preview_dialog(list)->exec(); }

std::unique_ptr<QPrintPreviewDialog> QtListOutput::preview_dialog(const ports::PrintableList& list) {
  auto dialog = std::make_unique<QPrintPreviewDialog>(parent_);
  dialog->setWindowTitle(QStringLiteral("打印预览"));
  dialog->printer()->setDocName(QString::fromStdString(list.title));
  dialog->resize(900, 700);
  QObject::connect(dialog.get(), &QPrintPreviewDialog::paintRequested,
                   [list](QPrinter* printer) { print_list(*printer, list); });
  // Most users print to a PDF file: one step, beside the preview's own print button.
  if (auto* tools = dialog->findChild<QToolBar*>()) {
    tools->addSeparator();
    QAction* pdf = tools->addAction(QStringLiteral("存为PDF"));
    pdf->setObjectName(QStringLiteral("savePdfAction"));
    pdf->setToolTip(QStringLiteral("保存为 PDF 文件"));
    QObject::connect(pdf, &QAction::triggered, [this, list] { save_pdf(list); });
  }
  return dialog;
}

void QtListOutput::save_pdf(const ports::PrintableList& list) {
  QString path =
      choose_file_(QStringLiteral("保存为 PDF 文件"), suggested_path(list.title, QStringLiteral("pdf")),
                   QStringLiteral("PDF (*.pdf)"));
  if (path.isEmpty()) return;
  if (const auto error = write_pdf_file(with_extension(path, QStringLiteral("pdf")), list)) {
    messages_->show_message(*error, false);
  }
}

void QtListOutput::export_csv(const ports::PrintableList& list) {
  QString path = choose_file_(QStringLiteral("导出"), suggested_path(list.title, QStringLiteral("csv")),
                              QStringLiteral("CSV (*.csv)"));
  if (path.isEmpty()) return;
  if (const auto error = write_csv_file(with_extension(path, QStringLiteral("csv")), list)) {
    messages_->show_message(*error, false);
  }
}

}  // namespace brindle::gui
