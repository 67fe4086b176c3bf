#pragma once

#include <QPixmap>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "core/matchinfo/other_games.h"
#include "gui/app/main_window.h"

class QLabel;

namespace brindle::gui {

class BitmapButton;

// Page 7, "其他游戏": the halls' page and function buttons, the column of game buttons and the
// service's games page in an embedded browser beside them.
class OtherGamesPage final : public QWidget, public MainWindowPage, public matchinfo::OtherGamesView {
  Q_OBJECT
 public:
  struct Services {
    const net::ClientContext& context;
    ports::ShellPort& shell;
    ports::MessagePort& messages;
    std::filesystem::path skin_folder;
    std::function<void(int page)> show_page;  // a page button other than the mobile link
    std::function<void()> open_records;
    std::function<void()> open_results;
    // Ends the client at once; tests replace it.
    std::function<void()> end_client;
    // Tests show the address as a link instead of loading it.
    bool web_engine = true;
    // The keys the client's requests are held to; the page is held to them too.
    std::shared_ptr<net::ServerKeys> server_keys = nullptr;
  };

  OtherGamesPage(Services services, QWidget* parent = nullptr);

  // The page's start: the browser loads the games page.
  void open() { model_.open(); }

  BitmapButton* game_button(std::size_t index) const { return games_.at(index); }
  QString browser_address() const { return address_; }
  QWidget* browser() const { return browser_; }

  void main_window_message(int, int, int) override {}
  void set_location_text(const QString& text) override;
  void show_in_browser(const std::string& address) override;
  void end_client() override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Services services_;
  matchinfo::OtherGamesPage model_;
  QPixmap band_;
  QLabel* location_ = nullptr;
  QWidget* browser_ = nullptr;
  bool web_view_ = false;
  QString address_;
  std::vector<BitmapButton*> games_;
};

}  // namespace brindle::gui
