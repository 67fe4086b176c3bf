#include "gui/app/main_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>

#include "core/accounts/star_member.h"
#include "core/app/main_window_commands.h"
#include "core/app/startup_flow.h"
#include "core/net/client_context.h"
#include "core/ports/splash_port.h"
#include "core/protocol/session.h"
#include "gui/accounts/records_window.h"
#include "gui/accounts/registration_window.h"
#include "gui/accounts/star_member_window.h"
#include "gui/accounts/statement_window.h"
#include "gui/accounts/super_cash_out_window.h"
#include "gui/accounts/transfer_window.h"
#include "gui/app/settings_window.h"
#include "gui/betting/hall_pages.h"
#include "gui/matchinfo/results_window.h"
#include "gui/messages/customer_service_window.h"
#include "gui/net/progress_window.h"
#include "gui/rooms/create_room_window.h"
#include "gui/ui/bitmap_button.h"
#include "gui/ui/confirmation_window.h"
#include "gui/ui/marquee.h"
#include "gui/ui/page_window.h"
#include "gui/ui/qt_list_output.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {

namespace {

constexpr char kTitle[] = "欢迎光临澜川国际网";
constexpr char kThemeFile[] = "theme.ini";
constexpr int kClientWidth = 1225;
constexpr int kClientHeight = 744;
constexpr int kPageTop = 38;

// Where each page's location line starts; the halls write their own once they land.
constexpr std::array<const char*, app::kPageCount> kLocationTexts = {
    "",
    " 您现在的位置：亚洲让球盘",
    " 您现在的位置：大小球盘",
    " 您现在的位置：走地盘",
    " 您现在的位置：过关",
    " 您现在的位置：对战万事盘",
    " 您现在的位置：冠军/指数",
    " 您现在的位置：其他游戏",
};

// The star member's windows talk to the Main window through its model, as the halls do.
class ModelFrame final : public ports::FramePort {
 public:
  ModelFrame(app::MainWindowModel& model, QObject* window) : model_(model), window_(window) {}
  // Posted, not sent: the message is handled once the star member's window has closed, so the room
  // list it may open does not come up over it.
  void post(ports::WindowMessage message, int first, int second) override {
    QMetaObject::invokeMethod(
        window_, [&model = model_, message, first, second] { model.handle(message, first, second); },
        Qt::QueuedConnection);
  }

 private:
  app::MainWindowModel& model_;
  QObject* window_;
};

struct Placement {
  int control;
  const char* caption;  // the plain buttons' text, and the bitmap buttons' text without a skin
};

// Rows of the home controls: the caption band's row, then two rows in the bottom band.
constexpr Placement kTopRow[] = {
    {1013, "首页"}, {1007, "注册"}, {1003, "财务"}, {1005, "帐户"},  {5, "超级兑现"},
    {6, "新闻"},    {1008, "规则"}, {1009, "客服"}, {3, "投注清单"}, {4, "赛事查询"},
    {1067, "声明"}, {1068, "刷新"}, {2, "退出"},
};
constexpr Placement kPageRow[] = {
    {1001, "亚洲盘"},   {1002, "对战万事"}, {1057, "过关"},     {1006, "新闻"},     {1348, "冠军/指数"},
    {1355, "其他游戏"}, {1069, "系统设置"}, {1012, "走地公告"}, {1249, "收起公告"},
};
constexpr Placement kGameRow[] = {
    {1368, "真人娱乐"}, {1381, "老虎机"},   {1359, "乐透"},     {1363, "路子游戏"},
    {1361, "棋牌游戏"}, {1360, "KENO"},     {1370, "德州扑克"}, {1308, "手机投注"},
    {1371, "优惠活动"}, {1250, "历史公告"}, {1367, ""},
};
constexpr QSize kPlainButtonSize(80, 28);

// A page whose feature has not landed: the skin's hall band and its location line.
class EmptyPage final : public QWidget, public MainWindowPage {
 public:
  EmptyPage(int page, const std::filesystem::path& skin_folder, QWidget* parent)
      : QWidget(parent), band_(QString::fromStdString((skin_folder / "line01.bmp").string())) {
    setObjectName(QStringLiteral("page%1").arg(page));
    location_ = new QLabel(QString::fromUtf8(kLocationTexts[static_cast<std::size_t>(page)]), this);
    location_->setObjectName("locationText");
    location_->setGeometry(8, 0, 800, 40);
    QFont font = location_->font();
    font.setBold(true);
    location_->setFont(font);
    location_->setStyleSheet("color: #12325c;");
    setFocusPolicy(Qt::StrongFocus);
  }
  void main_window_message(int, int, int) override {}
  void set_location_text(const QString& text) override { location_->setText(text); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0xf4, 0xf6, 0xfa));
    if (!band_.isNull()) painter.drawPixmap(QRect(0, 0, width(), band_.height()), band_);
  }

 private:
  QPixmap band_;
  QLabel* location_ = nullptr;
};

QSize page_size(int skin_size_mode) { return skin_size_mode == 0 ? QSize(1010, 565) : QSize(1225, 602); }

}  // namespace

MainWindow::MainWindow(Services services, QWidget* parent)
    : QDialog(parent),
      services_(std::move(services)),
      model_({services_.context, services_.transport, services_.progress, services_.messages, services_.shell,
              *this}) {
  setWindowTitle(QString::fromUtf8(kTitle));
  setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint & ~Qt::WindowContextHelpButtonHint);
  skin_folder_ = app::skin_folder(services_.context);
  body_ = new QWidget(this);
  body_->setObjectName("mainBody");
  body_->setFixedSize(kClientWidth, kClientHeight);

  account_ = new QLabel(body_);
  account_->setObjectName("accountPanel");
  account_->setGeometry(20, 650, 262, 54);
  account_->setStyleSheet("color: #ffffff;");
  running_ = new Marquee(body_);
  running_->setObjectName("runningLine");
  running_->setGeometry(70, kClientHeight - 26, kClientWidth - 80, 24);
  QPalette palette = running_->palette();
  palette.setColor(QPalette::WindowText, QColor(0xe8, 0xee, 0xf7));
  running_->setPalette(palette);
  home_controls_.push_back(account_);

  build_buttons();
  build_menus();
  timer_.setInterval(1000);
  connect(&timer_, &QTimer::timeout, this, &MainWindow::on_tick);
}

MainWindow::~MainWindow() { timer_.stop(); }

void MainWindow::open(bool private_room) {
  SkinnedFrame::apply(this, skin_folder_ / kThemeFile);
  const QMargins margins = contentsMargins();
  const QSize frame(margins.left() + margins.right(), margins.top() + margins.bottom());
  QSize client(kClientWidth, kClientHeight);
  const QScreen* screen = this->screen();
  if (screen != nullptr) client = client.boundedTo(screen->availableGeometry().size() - frame);
  if (client == QSize(kClientWidth, kClientHeight)) {
    body_->move(margins.left(), margins.top());
  } else {
    // A screen smaller than the window (1024×768, 800×600): the window takes the screen and the
    // body scrolls inside it, so every button and page stays within reach.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("mainScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(body_);
    scroll->setGeometry(QRect(QPoint(margins.left(), margins.top()), client));
  }
  setFixedSize(client + frame);
  if (screen != nullptr) move(screen->availableGeometry().center() - rect().center());
  model_.open(false);
  timer_.start();
  // The Login window's "私人房间": the room list once this window is on screen, where the splash
  // cannot cover it.
  if (private_room) {
    QTimer::singleShot(0, this, [this] { model_.handle(ports::WindowMessage::private_rooms, 1, 1); });
  }
}

void MainWindow::build_buttons() {
  auto place_row = [this](std::span<const Placement> row, int x, int y, int gap) {
    for (const Placement& placement : row) {
      const app::CommandEntry* entry = app::find_button(placement.control);
      QAbstractButton* button = nullptr;
      const QString caption = QString::fromUtf8(placement.caption);
      if (entry != nullptr && entry->bitmap_prefix != nullptr) {
        auto* bitmap = new BitmapButton(placement.control, caption, body_);
        if (placement.control == app::kShowButton) {
          bitmap->load_picture(skin_folder_ / app::button_bitmap_name(app::kShowPrefix, 0));
        } else {
          bitmap->load_states(skin_folder_, entry->bitmap_prefix);
        }
        if (bitmap->size() != bitmap->sizeHint()) bitmap->resize(bitmap->sizeHint());
        // The blank control only holds its place in the row.
        if (entry->command == app::MainCommand::none) bitmap->setCursor(Qt::ArrowCursor);
        button = bitmap;
      } else {
        auto* plain = new QPushButton(caption, body_);
        plain->setFixedSize(kPlainButtonSize);
        plain->setFocusPolicy(Qt::NoFocus);
        QFont font = plain->font();
        font.setBold(true);
        plain->setFont(font);
        button = plain;
      }
      button->setObjectName(QStringLiteral("button%1").arg(placement.control));
      button->move(x, y);
      x += button->width() + gap;
      const int control = placement.control;
      connect(button, &QAbstractButton::clicked, this, [this, control] { model_.click(control); });
      buttons_[control] = button;
    }
  };
  place_row(kTopRow, 190, 4, 4);
  place_row(kPageRow, 296, 648, 2);
  place_row(kGameRow, 296, 681, 2);
  for (const Placement& placement : kPageRow) home_controls_.push_back(buttons_[placement.control]);
  for (const Placement& placement : kGameRow) home_controls_.push_back(buttons_[placement.control]);
}

void MainWindow::build_menus() {
  for (const app::PopUpMenu& definition : app::main_window_menus()) {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("menu%1").arg(definition.id));
    // The bottom band's colours, not the desktop's white.
    menu->setStyleSheet(
        QStringLiteral("QMenu { background: #12325c; color: #ffffff; border: 1px solid #5b7fb0; }"
                       "QMenu::item { padding: 5px 22px; }"
                       "QMenu::item:selected { background: #2f6db5; }"));
    for (int command : definition.commands) {
      const app::CommandEntry* entry = app::find_menu_command(command);
      QAction* action = menu->addAction(QString::fromUtf8(entry && entry->text ? entry->text : ""));
      action->setData(command);
      connect(action, &QAction::triggered, this, [this, command] { model_.menu_command(command); });
    }
    menus_[definition.id] = menu;
  }
}

void MainWindow::on_tick() {
  // Stopped while the tick runs, so that a slow refresh never queues ticks behind it.
  timer_.stop();
  model_.tick();
  if (!closed_) timer_.start();
}

QAbstractButton* MainWindow::button(int control) const {
  auto it = buttons_.find(control);
  return it == buttons_.end() ? nullptr : it->second;
}

QMenu* MainWindow::menu(int id) const {
  auto it = menus_.find(id);
  return it == menus_.end() ? nullptr : it->second;
}

QWidget* MainWindow::page(int number) const {
  if (number < 0 || number >= app::kPageCount) return nullptr;
  return pages_[static_cast<std::size_t>(number)];
}

void MainWindow::show_home() {
  for (QWidget* page : pages_) {
    if (page != nullptr) page->hide();
  }
  for (QWidget* control : home_controls_) control->show();
}

bool MainWindow::create_page(int number) {
  QWidget* page = services_.page_factory ? services_.page_factory(number, body_) : nullptr;
  if (page == nullptr) page = new EmptyPage(number, skin_folder_, body_);
  page->setGeometry(QRect(QPoint(0, kPageTop), page_size(services_.context.skin_size_mode)));
  page->hide();
  if (auto* notices = dynamic_cast<MainWindowPage*>(page); notices != nullptr && !notices_shown_) {
    notices->set_notices_shown(false);
  }
  pages_[static_cast<std::size_t>(number)] = page;
  // A page made after the frame (the parlay hall's 投注) takes the skin's push buttons too.
  if (auto* frame = findChild<SkinnedFrame*>(QString(), Qt::FindDirectChildrenOnly))
    frame->skin_push_buttons();
  return true;
}

void MainWindow::show_page(int number, int) {
  for (QWidget* page : pages_) {
    if (page != nullptr && page != pages_[static_cast<std::size_t>(number)]) page->hide();
  }
  if (QWidget* page = pages_[static_cast<std::size_t>(number)]) {
    page->show();
    page->raise();
    page->setFocus();
  }
}

void MainWindow::send_to_page(int number, int message, int first, int second) {
  if (auto* page = dynamic_cast<MainWindowPage*>(this->page(number)))
    page->main_window_message(message, first, second);
}

void MainWindow::set_location_text(int number, const std::string& utf8_text) {
  if (auto* page = dynamic_cast<MainWindowPage*>(this->page(number))) {
    page->set_location_text(QString::fromStdString(utf8_text));
  }
}

void MainWindow::set_running_text(const std::string& utf8_text) {
  running_->set_text(QString::fromStdString(utf8_text));
}

void MainWindow::set_notices_shown(bool shown) {
  notices_shown_ = shown;
  running_->setVisible(shown);
  for (QWidget* page : pages_) {
    if (auto* notices = dynamic_cast<MainWindowPage*>(page)) notices->set_notices_shown(shown);
  }
}

void MainWindow::set_account_text(const std::string& utf8_text) {
  account_->setText(QString::fromStdString(utf8_text));
}

void MainWindow::set_button_bitmaps(int control, const std::string& prefix) {
  if (auto* bitmap = dynamic_cast<BitmapButton*>(button(control))) bitmap->load_states(skin_folder_, prefix);
}

void MainWindow::set_button_picture(int control, const std::string& file_name) {
  if (auto* bitmap = dynamic_cast<BitmapButton*>(button(control)))
    bitmap->load_picture(skin_folder_ / file_name);
}

void MainWindow::set_button_enabled(int control, bool enabled) {
  if (QAbstractButton* b = button(control)) b->setEnabled(enabled);
}

void MainWindow::pop_up_menu(int control, int id) {
  QMenu* menu = this->menu(id);
  QAbstractButton* anchor = button(control);
  if (menu == nullptr) return;
  menu->popup(anchor ? anchor->mapToGlobal(QPoint(0, anchor->height())) : QCursor::pos());
}

void MainWindow::open_page_window(const std::string& utf8_title, const std::string& address) {
  const QString title = QString::fromStdString(utf8_title);
  const QString url = QString::fromStdString(address);
  if (services_.page_opener) {
    services_.page_opener(title, url);
    return;
  }
  PageWindow window(title, url, this);
  window.exec();
}

void MainWindow::open_dialog(ports::MainWindowDialog dialog) {
  if (services_.dialog_opener) {
    services_.dialog_opener(dialog);
    return;
  }
  switch (dialog) {
    case ports::MainWindowDialog::settings:
      SettingsWindowPortImpl(services_.context, services_.messages, this).run();
      return;
    case ports::MainWindowDialog::account_information: {
      protocol::Session session{services_.transport, services_.progress, services_.context};
      QtListOutput output(this, &services_.messages);
      StatementWindow(session, services_.messages, output, this).exec();
      return;
    }
    case ports::MainWindowDialog::bet_list:
    case ports::MainWindowDialog::bet_records: {
      protocol::Session session{services_.transport, services_.progress, services_.context};
      ConfirmationWindowPort confirmation(this);
      QtListOutput output(this, &services_.messages);
      RecordsWindow(session, services_.messages, confirmation, output, this).exec();
      return;
    }
    case ports::MainWindowDialog::super_cash_out: {
      protocol::Session session{services_.transport, services_.progress, services_.context};
      ConfirmationWindowPort confirmation(this);
      ModelFrame frame(model_, this);
      const accounts::StarMemberServices flows{session, services_.messages, confirmation, frame};
      if (!accounts::button_cashes_out(services_.context)) {
        TransferWindowPortImpl transfer(this);
        const auto create = [this, &session] { create_room(session, services_.messages, this); };
        run_star_member_window({flows, transfer, create}, this);
      } else {
        SuperCashOutWindowPortImpl window(this);
        accounts::run_super_cash_out(flows, window, services_.context.room_star_member);
      }
      return;
    }
    case ports::MainWindowDialog::customer_service: {
      protocol::Session session{services_.transport, services_.progress, services_.context};
      run_customer_service(session, services_.messages, this);
      return;
    }
    case ports::MainWindowDialog::registration: {
      protocol::Session session{services_.transport, services_.progress, services_.context};
      run_registration_window({session, services_.messages}, this,
                              [this](const QString& title, const QString& address) {
                                open_page_window(title.toStdString(), address.toStdString());
                              });
      return;
    }
    case ports::MainWindowDialog::match_query: {
      protocol::Session session{services_.transport, services_.progress, services_.context};
      run_results_window(session, services_.messages, this);
      return;
    }
  }
}

void MainWindow::close() {
  closed_ = true;
  timer_.stop();
  done(QDialog::Accepted);
}

void MainWindow::reject() {
  if (model_.confirm_exit()) {
    closed_ = true;
    timer_.stop();
    QDialog::reject();
  }
}

void MainWindowPortImpl::run(bool private_room) {
  HallPages halls(
      {context_, transport_, progress_, messages_, shell_, app::skin_folder(context_), true, server_keys_});
  auto hall_page = [&halls](int page, QWidget* parent) { return halls.make_page(page, parent); };
  MainWindow window({context_, transport_, progress_, messages_, shell_, hall_page, {}, {}});
  halls.set_owner(&window);
  halls.set_records_opener([&window] { window.open_dialog(ports::MainWindowDialog::bet_records); });
  halls.set_frame(
      [&window](ports::WindowMessage m, int first, int second) { window.model().handle(m, first, second); });
  halls.set_notice([&window](const std::string& text) { window.set_running_text(text); });
  progress_.set_owner(&window);
  window.open(private_room);
  splash_.hide();
  window.exec();
  progress_.set_owner(nullptr);
}

}  // namespace brindle::gui
