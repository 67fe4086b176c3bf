#include "gui/betting/hall_page_buttons.h"

#include <QBoxLayout>

#include "core/betting/hall_model.h"
#include "gui/ui/bitmap_button.h"

namespace brindle::gui {
namespace {

struct PageButton {
  int page;  // 0: the mobile link
  const char* prefix;
  const char* caption;
};
constexpr PageButton kPageButtons[] = {
    {betting::kAsianHandicapPage, "rang", "亚洲让球盘"},
    {betting::kOverUnderPage, "daxiaoqiu", "大小球盘"},
    {betting::kInPlayPage, "digun", "走地盘"},
    {betting::kParlayPage, "guoguan", "过关"},
    {betting::kBankerMarketsPage, "duidu", "对战万事盘"},
    {betting::kOutrightPage, "guanjun", "冠军/指数"},
    {betting::kOtherGamesPage, "othergames", "其他游戏"},
    {0, "Mobilephone", "手机投注"},
};

}  // namespace

void add_hall_page_buttons(QBoxLayout& row, QWidget* parent, const std::filesystem::path& skin_folder,
                           int& control, const std::function<void(int page)>& clicked) {
  for (const auto& b : kPageButtons) {
    auto* button = new BitmapButton(control++, QString::fromUtf8(b.caption), parent);
    button->setObjectName(QString::fromUtf8(b.prefix));
    button->load_states(skin_folder, b.prefix);
    const int page = b.page;
    QObject::connect(button, &QAbstractButton::clicked, parent, [clicked, page] { clicked(page); });
    row.addWidget(button);
  }
}

}  // namespace brindle::gui
