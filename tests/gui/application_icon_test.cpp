// The window icon comes from the files the skin generator draws beside the program.

#include "gui/app/application_icon.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QList>
#include <QSize>
#include <algorithm>
#include <string>
#include <vector>

#include "gui_app.h"
#include "support/temp_dir.h"

namespace {

using brindle::testing::gui_app;
using brindle::testing::TempDir;

enum class File { absent, image, broken };

void put(const std::filesystem::path& path, File file, int size) {
  if (file == File::image) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::darkBlue);
    image.save(QString::fromStdString(path.string()), "PNG");
  } else if (file == File::broken) {
    brindle::testing::write_file(path, "not a picture");
  }
}

TEST(ApplicationIcon, TakesEveryReadableSizeAndLeavesTheIconUnsetOtherwise) {
  gui_app();
  struct Case {
    const char* name;
    File large, small;
    std::vector<int> sizes;  // empty: no icon
  };
  const Case cases[] = {
      {"both sizes", File::image, File::image, {48, 256}},
      {"only the large one", File::image, File::absent, {256}},
      {"a broken large one", File::broken, File::image, {48}},
      {"nothing beside the program", File::absent, File::absent, {}},
      {"only broken files", File::broken, File::broken, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    put(dir / "brindle.png", c.large, 256);
    put(dir / "brindle-48.png", c.small, 48);
    QApplication::setWindowIcon(QIcon());

    brindle::gui::set_application_icon(dir.path());

    const QIcon icon = QApplication::windowIcon();
    std::vector<int> sizes;
    for (const QSize& size : icon.availableSizes()) sizes.push_back(size.width());
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, c.sizes);
    EXPECT_EQ(icon.isNull(), c.sizes.empty());
    EXPECT_EQ(QGuiApplication::desktopFileName(), "brindle") << "the desktop entry names the icon too";
  }
  QApplication::setWindowIcon(QIcon());
}

}  // namespace
