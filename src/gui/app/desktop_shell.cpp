#include "gui/app/desktop_shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QUrl>

namespace brindle::gui {

void DesktopShell::open_address(const std::string& address) {
  // A bare path names a document or program on this machine; anything else is an address.
  const QString text = QString::fromStdString(address);
  const QUrl url = text.startsWith('/') ? QUrl::fromLocalFile(text) : QUrl(text, QUrl::TolerantMode);
  QDesktopServices::openUrl(url);
}

bool DesktopShell::file_exists(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return !path.empty() && file.open(QIODevice::ReadOnly);
}

bool DesktopShell::start_program(const std::string& path) {
  return QProcess::startDetached(QString::fromStdString(path), {});
}

}  // namespace brindle::gui
