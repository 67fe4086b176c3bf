#include "gui/app/process_launcher.h"

#include <QProcess>
#include <QStringList>

namespace brindle::gui {

bool DetachedProcessLauncher::start_detached(const std::string& program,
                                             const std::vector<std::string>& arguments) {
  QStringList list;
  for (const std::string& argument : arguments) list << QString::fromStdString(argument);
  return QProcess::startDetached(QString::fromStdString(program), list);
}

}  // namespace brindle::gui
