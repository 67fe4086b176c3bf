#include "gui/app/process_launcher.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace brindle::gui {

bool DetachedProcessLauncher::can_start(const std::string& program) {
  const QFileInfo file(QString::fromStdString(program));
  return file.isFile() && file.isExecutable();
}

bool DetachedProcessLauncher::start_detached(const std::string& program,
                                             const std::vector<std::string>& arguments) {
  QStringList list;
  for (const std::string& argument : arguments) list << QString::fromStdString(argument);
  return QProcess::startDetached(QString::fromStdString(program), list);
}

}  // namespace brindle::gui
