#include "gui/app/application_icon.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace brindle::gui {

void set_application_icon(const std::filesystem::path& program_directory) {
  QGuiApplication::setDesktopFileName(QStringLiteral("brindle"));
  QIcon icon;
  for (const char* name : {"brindle.png", "brindle-48.png"}) {
    // Loaded here rather than by QIcon::addFile, which takes a broken file and fails only when drawn.
    const QPixmap pixmap(QString::fromStdString((program_directory / name).string()));
    if (!pixmap.isNull()) icon.addPixmap(pixmap);
  }
  if (!icon.isNull()) QApplication::setWindowIcon(icon);
}

}  // namespace brindle::gui
