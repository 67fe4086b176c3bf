#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "core/app/main_window_model.h"
#include "core/ports/main_window_port.h"
#include "core/ports/main_window_view.h"

class QAbstractButton;
class QLabel;
class QMenu;

namespace brindle::net {
struct ClientContext;
class ServerKeys;
class Transport;
}  // namespace brindle::net

namespace brindle::ports {
class MessagePort;
class ProgressSink;
class ShellPort;
class SplashPort;
}  // namespace brindle::ports

namespace brindle::gui {

class Marquee;
class ProgressWindow;

// What a page of the Main window may implement to hear the Main window's messages.
class MainWindowPage {
 public:
  virtual ~MainWindowPage() = default;
  virtual void main_window_message(int message, int first, int second) = 0;
  virtual void set_location_text(const QString& text) = 0;
  // The notices put away or shown again (a page without any ignores it).
  virtual void set_notices_shown(bool) {}
};

// The Main window: the bitmap buttons, seven pages, the account panel, the running line and the
// one-second timer, drawn in the skin of the Skin folder. Its decisions are the model's.
class MainWindow final : public QDialog, public ports::MainWindowView {
  Q_OBJECT
 public:
  struct Services {
    net::ClientContext& context;
    net::Transport& transport;
    ports::ProgressSink& progress;
    ports::MessagePort& messages;
    ports::ShellPort& shell;
    // Makes the window of a page (1–7); nothing gives an empty page with its location line.
    std::function<QWidget*(int page, QWidget* parent)> page_factory;
    // The windows of later features and the Page window; tests replace them to stay modeless.
    std::function<void(ports::MainWindowDialog)> dialog_opener;
    std::function<void(const QString& title, const QString& address)> page_opener;
  };

  explicit MainWindow(Services services, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The opening: skin, buttons, menus, account panel, timer, page 1.
  void open(bool private_room);

  app::MainWindowModel& model() { return model_; }
  QAbstractButton* button(int control) const;
  QMenu* menu(int id) const;
  QWidget* page(int number) const;
  QLabel* accountPanel() const { return account_; }
  Marquee* runningLine() const { return running_; }
  QTimer& timer() { return timer_; }

  // The view the model drives.
  void show_home() override;
  bool create_page(int page) override;
  void show_page(int page, int argument) override;
  void send_to_page(int page, int message, int first, int second) override;
  void set_location_text(int page, const std::string& utf8_text) override;
  void set_running_text(const std::string& utf8_text) override;
  void set_notices_shown(bool shown) override;
  void set_account_text(const std::string& utf8_text) override;
  void set_button_bitmaps(int control, const std::string& prefix) override;
  void set_button_picture(int control, const std::string& file_name) override;
  void set_button_enabled(int control, bool enabled) override;
  void pop_up_menu(int control, int menu) override;
  void open_page_window(const std::string& utf8_title, const std::string& address) override;
  void open_dialog(ports::MainWindowDialog dialog) override;
  void close() override;

 protected:
  void reject() override;  // the close box and Escape ask first, as the exit button does

 private:
  void build_buttons();
  void build_menus();
  void on_tick();

  Services services_;
  app::MainWindowModel model_;
  std::filesystem::path skin_folder_;
  QWidget* body_ = nullptr;
  std::map<int, QAbstractButton*> buttons_;
  std::map<int, QMenu*> menus_;
  std::array<QWidget*, app::kPageCount> pages_{};
  bool notices_shown_ = true;
  std::vector<QWidget*> home_controls_;
  QLabel* account_ = nullptr;
  Marquee* running_ = nullptr;
  QTimer timer_;
  bool closed_ = false;
};

class MainWindowPortImpl final : public ports::MainWindowPort {
 public:
  // `server_keys`: the keys the requests are held to, which the embedded pages of the server are held
  // to as well.
  MainWindowPortImpl(net::ClientContext& context, net::Transport& transport, ports::MessagePort& messages,
                     ports::SplashPort& splash, ProgressWindow& progress, ports::ShellPort& shell,
                     std::shared_ptr<net::ServerKeys> server_keys)
      : context_(context),
        transport_(transport),
        messages_(messages),
        splash_(splash),
        progress_(progress),
        shell_(shell),
        server_keys_(std::move(server_keys)) {}
  void run(bool private_room) override;

 private:
  net::ClientContext& context_;
  net::Transport& transport_;
  ports::MessagePort& messages_;
  ports::SplashPort& splash_;
  ProgressWindow& progress_;
  ports::ShellPort& shell_;
  std::shared_ptr<net::ServerKeys> server_keys_;
};

}  // namespace brindle::gui
