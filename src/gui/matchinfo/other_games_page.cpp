#include "gui/matchinfo/other_games_page.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>

#include "core/betting/hall_model.h"
#include "core/ports/shell_port.h"
#include "gui/betting/hall_page_buttons.h"
#include "gui/ui/bitmap_button.h"
#include "gui/ui/server_certificate.h"
#include "gui/ui/web_view_lifecycle.h"

#if defined(BRINDLE_HAVE_WEBENGINE)
#include <QWebEngineView>
#endif

namespace brindle::gui {
namespace {

// The column the game buttons stand in, left of the browser.
constexpr int kGameColumnWidth = 2 * matchinfo::kGameButtonX + matchinfo::kGameButtonWidth;

}  // namespace

OtherGamesPage::OtherGamesPage(Services services, QWidget* parent)
    : QWidget(parent),
      services_(std::move(services)),
      model_(services_.context, services_.shell, services_.messages, *this),
      band_(QString::fromStdString((services_.skin_folder / "line01.bmp").string())) {
  setObjectName(QStringLiteral("page%1").arg(betting::kOtherGamesPage));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 0, 4, 4);
  layout->setSpacing(4);
  location_ = new QLabel(QString::fromUtf8(matchinfo::kOtherGamesLocation), this);
  location_->setObjectName("locationText");
  location_->setFixedHeight(36);
  QFont bold = location_->font();
  bold.setBold(true);
  location_->setFont(bold);
  location_->setStyleSheet("color: #12325c;");
  layout->addWidget(location_);

  auto* pages = new QWidget(this);
  auto* page_row = new QHBoxLayout(pages);
  page_row->setContentsMargins(0, 0, 0, 0);
  page_row->setSpacing(2);
  int control = 1;
  add_hall_page_buttons(*page_row, pages, services_.skin_folder, control, [this](int page) {
    if (page == 0) {
      char address[512];
      std::snprintf(address, sizeof address, betting::kMobileAddressFormat,
                    services_.context.current_server.c_str());
      services_.shell.open_address(address);
    } else if (page != betting::kOtherGamesPage && services_.show_page) {
      services_.show_page(page);
    }
  });
  page_row->addStretch(1);
  layout->addWidget(pages);

  auto* functions = new QWidget(this);
  auto* function_row = new QHBoxLayout(functions);
  function_row->setContentsMargins(0, 0, 0, 0);
  function_row->setSpacing(4);
  struct Function {
    const char* prefix;
    const char* caption;
    std::function<void()> action;
  };
  const Function kFunctions[] = {{"refresh", "刷新", [this] { model_.open(); }},
                                 {"record", "投注记录", services_.open_records},
                                 {"research", "赛果查询", services_.open_results}};
  for (const auto& f : kFunctions) {
    auto* button = new BitmapButton(control++, QString::fromUtf8(f.caption), functions);
    button->setObjectName(QString::fromUtf8(f.prefix));
    button->load_states(services_.skin_folder, f.prefix);
    connect(button, &QAbstractButton::clicked, this, [action = f.action] {
      if (action) action();
    });
    function_row->addWidget(button);
  }
  function_row->addStretch(1);
  layout->addWidget(functions);

  auto* body = new QHBoxLayout;
  auto* column = new QWidget(this);
  column->setObjectName("gameButtons");
  column->setFixedWidth(kGameColumnWidth);
  const auto buttons = matchinfo::game_buttons();
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const auto& b = buttons[i];
    auto* button = new BitmapButton(control++, QString::fromUtf8(b.caption), column);
    button->setObjectName(QString::fromUtf8(b.image_prefix));
    button->load_named_states(services_.skin_folder, {matchinfo::game_button_image(b.image_prefix, 0),
                                                      matchinfo::game_button_image(b.image_prefix, 1),
                                                      matchinfo::game_button_image(b.image_prefix, 2)});
    button->setGeometry(matchinfo::kGameButtonX, b.y, matchinfo::kGameButtonWidth,
                        matchinfo::kGameButtonHeight);
    connect(button, &QAbstractButton::clicked, this, [this, i] { model_.click(i); });
    games_.push_back(button);
  }
  body->addWidget(column);

#if defined(BRINDLE_HAVE_WEBENGINE)
  if (services_.web_engine) {
    auto* view = new QWebEngineView(this);
    accept_current_server_certificate(
        view->page(), [this] { return services_.context.current_server; }, services_.server_keys);
    release_renderer_when_hidden(view);
    browser_ = view;
    web_view_ = true;
  }
#endif
  if (!web_view_) {
    auto* link = new QLabel(this);
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    link->setAlignment(Qt::AlignCenter);
    connect(link, &QLabel::linkActivated, this, [](const QString& a) { QDesktopServices::openUrl(QUrl(a)); });
    browser_ = link;
  }
  browser_->setObjectName("gamesBrowser");
  body->addWidget(browser_, 1);
  layout->addLayout(body, 1);
  setFocusPolicy(Qt::StrongFocus);
}

void OtherGamesPage::set_location_text(const QString& text) { location_->setText(text); }

void OtherGamesPage::show_in_browser(const std::string& address) {
  address_ = QString::fromStdString(address);
#if defined(BRINDLE_HAVE_WEBENGINE)
  if (web_view_) {
    static_cast<QWebEngineView*>(browser_)->load(QUrl(address_));
    return;
  }
#endif
  static_cast<QLabel*>(browser_)->setText(
      QStringLiteral("<a href=\"%1\">%1</a>").arg(address_.toHtmlEscaped()));
}

void OtherGamesPage::end_client() {
  if (services_.end_client) {
    services_.end_client();
    return;
  }
  // At once, as a game that will not start always ended the client: nothing is saved.
  std::_Exit(0);
}

void OtherGamesPage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0xf4, 0xf6, 0xfa));
  if (!band_.isNull()) painter.drawPixmap(QRect(0, 0, width(), band_.height()), band_);
}

}  // namespace brindle::gui
