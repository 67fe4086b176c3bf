#include "gui/net/login_window.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>

#include "core/net/client_context.h"
#include "core/net/server_lists.h"
#include "core/ports/message_port.h"
#include "core/ports/settings_window_port.h"
#include "core/protocol/session.h"
#include "gui/accounts/password_retrieval_window.h"
#include "gui/accounts/profile_window.h"
#include "gui/accounts/registration_window.h"
#include "gui/net/masked_password_box.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {

namespace {

constexpr char kAnnouncementText[] = "公告：欢迎光临澜川国际网，祝您娱乐愉快！";

// Refuses an edit that would take the text past its limit in GBK bytes.
class ByteLimitValidator final : public QValidator {
 public:
  ByteLimitValidator(std::size_t limit, QObject* parent) : QValidator(parent), limit_(limit) {}
  State validate(QString& input, int&) const override {
    return net::fits_byte_limit(input.toStdString(), limit_) ? Acceptable : Invalid;
  }

 private:
  std::size_t limit_;
};

QPushButton* button(const char* text, const char* name, QWidget* parent) {
  auto* b = new QPushButton(QString::fromUtf8(text), parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

LoginWindow::LoginWindow(Services services, QWidget* parent) : QDialog(parent), services_(services) {
  setWindowTitle(QString::fromUtf8(net::kLoginWindowTitle));
  setModal(true);

  server_ = new QComboBox(this);
  server_->setObjectName("serverBox");
  server_->setEditable(true);
  server_->setMinimumWidth(220);
  user_name_ = new QLineEdit(this);
  user_name_->setObjectName("userNameBox");
  user_name_->setValidator(new ByteLimitValidator(net::kUserNameLimit, user_name_));
  password_ = new MaskedPasswordBox(this);
  password_->setObjectName("passwordBox");
  password_->setMaxLength(static_cast<int>(net::kPasswordLimit));

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("服务器："), server_);
  form->addRow(QStringLiteral("用户名："), user_name_);
  form->addRow(QStringLiteral("密码："), password_);

  auto* sign_in_button = button("登陆", "signInButton", this);
  sign_in_button->setDefault(true);
  auto* proxy = button("代理设置", "proxyButton", this);
  visitor_ = button("参观", "visitorButton", this);
  auto* leave = button("退出", "leaveButton", this);
  auto* register_button = button("注册", "registerButton", this);
  auto* profile = button("修改资料", "profileButton", this);
  auto* forgot = button("忘记密码", "forgotButton", this);
  auto* room = button("私人房间", "privateRoomButton", this);
  auto* refresh = button("刷新列表", "refreshButton", this);

  auto* actions = new QGridLayout;
  actions->addWidget(sign_in_button, 0, 0);
  actions->addWidget(room, 0, 1);
  actions->addWidget(visitor_, 0, 2);
  actions->addWidget(leave, 0, 3);
  actions->addWidget(register_button, 1, 0);
  actions->addWidget(profile, 1, 1);
  actions->addWidget(forgot, 1, 2);
  actions->addWidget(refresh, 1, 3);
  actions->addWidget(proxy, 2, 3);

  auto* screen = new QGroupBox(QStringLiteral("请选择适合您的屏幕大小："), this);
  auto* large = new QRadioButton(QStringLiteral("1024 * 768"), screen);
  auto* small = new QRadioButton(QStringLiteral("800 * 600"), screen);
  large->setChecked(true);
  auto* screen_layout = new QHBoxLayout(screen);
  screen_layout->addWidget(large);
  screen_layout->addWidget(small);

  announcement_ = new QLabel(QString::fromUtf8(kAnnouncementText), this);
  announcement_->setObjectName("announcementLine");
  announcement_->setWordWrap(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(announcement_);
  layout->addLayout(form);
  layout->addWidget(screen);
  layout->addLayout(actions);

  connect(sign_in_button, &QPushButton::clicked, this, [this] { sign_in(false); });
  connect(room, &QPushButton::clicked, this, [this] { sign_in(true); });
  connect(visitor_, &QPushButton::clicked, this, [this] {
    form_.visit();
    accept();
  });
  connect(leave, &QPushButton::clicked, this, &QDialog::reject);
  // Each asks the server chosen here, so it becomes the current server first.
  using Run = void (*)(accounts::AccountServices, QWidget*);
  const std::pair<QPushButton*, Run> account_actions[] = {
      {register_button,
       [](accounts::AccountServices s, QWidget* owner) { run_registration_window(s, owner); }},
      {profile, &run_profile_window},
      {forgot, &run_password_retrieval_window},
  };
  for (const auto& [b, run] : account_actions) {
    connect(b, &QPushButton::clicked, this, [this, run = run] {
      form_.make_current(services_.context, server_->currentText().toStdString());
      protocol::Session session{services_.transport, services_.progress, services_.context};
      run({session, services_.messages}, this);
    });
  }
  connect(refresh, &QPushButton::clicked, this, [this] { refresh_list(); });
  connect(proxy, &QPushButton::clicked, this, [this] {
    if (services_.proxy_settings) services_.proxy_settings->run();
  });
  SkinnedFrame::skin_dialog(this);
}

void LoginWindow::fill_servers(const net::LoginFormView& view) {
  server_->clear();
  for (const std::string& server : view.servers) server_->addItem(QString::fromStdString(server));
  server_->setCurrentIndex(view.selected);
  server_->setEditText(QString::fromStdString(view.server_text));
}

void LoginWindow::prepare() {
  fill_servers(form_.prepare(services_.context));
  password_->clear();
  visitor_->setEnabled(false);
}

std::optional<ports::LoginChoice> LoginWindow::run() {
  prepare();
  user_name_->setFocus();  // the server is chosen already; the user types his name first
  if (exec() != QDialog::Accepted) return std::nullopt;
  ports::LoginChoice choice;
  choice.server = server_->currentText().toStdString();
  choice.user_name = user_name_->text().toStdString();
  choice.password = password_->keptText();
  choice.visitor = form_.visitor();
  choice.private_room = form_.private_room();
  return choice;
}

void LoginWindow::clear_entries() {
  user_name_->clear();
  password_->clear();
  form_.clear_private_room();
}

void LoginWindow::sign_in(bool private_room) {
  // A text typed over the selected entry leaves nothing selected.
  const int current = server_->currentIndex();
  const int index = current >= 0 && server_->itemText(current) == server_->currentText() ? current : -1;
  const auto refusal = form_.sign_in(services_.context, index, user_name_->text().toStdString(),
                                     password_->keptText(), private_room);
  if (refusal) {
    services_.messages.show_message(*refusal, false);
    return;
  }
  accept();
}

void LoginWindow::refresh_list() {
  form_.make_current(services_.context, server_->currentText().toStdString());
  std::string error;
  if (!net::server_list_fetch(services_.context, services_.transport, services_.progress, error,
                              net::list_document_hosts(services_.context))) {
    services_.messages.show_message(error, false);
    return;
  }
  net::LoginFormView view;
  for (const auto& entry : services_.context.server_list) view.servers.push_back(entry.text);
  view.server_text = server_->currentText().toStdString();
  view.selected = static_cast<int>(std::find(view.servers.begin(), view.servers.end(), view.server_text) -
                                   view.servers.begin());
  if (view.selected >= static_cast<int>(view.servers.size())) view.selected = -1;
  fill_servers(view);
}

}  // namespace brindle::gui
