#include "gui/app/desktop_shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QUrl>

#include "core/matchinfo/other_games.h"
#include "core/ports/message_port.h"
#include "gui/ui/page_window.h"

namespace brindle::gui {

namespace {

constexpr char kCannotOpenFormat[] = "无法打开“%1”：没有找到可以打开它的程序。";
constexpr char kPageWindowTitle[] = "澜川国际";

}  // namespace

void DesktopShell::open_address(const std::string& address) {
  // A bare path names a document or program on this machine; anything else is an address.
  const QString text = QString::fromStdString(address).trimmed();
  if (text.isEmpty()) {
    if (messages_ != nullptr) messages_->show_message(matchinfo::kGameNotConfigured, false);
    return;
  }
  const QUrl url = text.startsWith('/') ? QUrl::fromLocalFile(text) : QUrl(text, QUrl::TolerantMode);
  if (QDesktopServices::openUrl(url)) return;
  // No browser on this desktop: the client's own window shows a web page.
  if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
    PageWindow window(QString::fromUtf8(kPageWindowTitle), url.toString(), nullptr, current_server_, keys_);
    window.exec();
    return;
  }
  if (messages_ != nullptr)
    messages_->show_message(QString::fromUtf8(kCannotOpenFormat).arg(text).toStdString(), false);
}

bool DesktopShell::file_exists(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return !path.empty() && file.open(QIODevice::ReadOnly);
}

bool DesktopShell::start_program(const std::string& path) {
  return QProcess::startDetached(QString::fromStdString(path), {});
}

}  // namespace brindle::gui
