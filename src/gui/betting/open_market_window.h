#pragma once

#include <QDialog>
#include <QWidget>
#include <memory>
#include <vector>

#include "core/betting/open_market.h"
#include "core/ports/open_market_port.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTreeWidget;

namespace brindle::gui {

// One tab of "对战开盘" over its core page: league box, match list, banner, options and stake.
class OpenMarketPageWidget final : public QWidget {
  Q_OBJECT
 public:
  OpenMarketPageWidget(betting::OpenMarketServices services, betting::OpenMarketKind kind,
                       QWidget* parent = nullptr);

  betting::OpenMarketPage& page() { return page_; }
  QComboBox* leagues() const { return leagues_; }
  QTreeWidget* matches() const { return matches_; }
  QLabel* banner() const { return banner_; }
  QCheckBox* option(int slot) const { return boxes_[static_cast<std::size_t>(slot)]; }
  QLineEdit* odds(int slot) const { return odds_[static_cast<std::size_t>(slot)]; }
  QLineEdit* stake() const { return stake_; }
  // Sends the match-list request and fills the league box.
  void start();
  // "现在开盘" on this page.
  void open_now();

 private:
  void show_matches();
  void show_options();

  betting::OpenMarketPage page_;
  QComboBox* leagues_ = nullptr;
  QTreeWidget* matches_ = nullptr;
  QLabel* banner_ = nullptr;
  std::vector<QCheckBox*> boxes_;
  std::vector<QLabel*> odds_labels_;
  std::vector<QLineEdit*> odds_;
  std::vector<QLabel*> captions_;
  QLineEdit* stake_ = nullptr;
  bool filling_ = false;
};

// The modal "对战开盘": five tabs whose pages are made the first time they are shown.
class OpenMarketWindow final : public QDialog {
  Q_OBJECT
 public:
  OpenMarketWindow(betting::OpenMarketServices services, int initial_tab, QWidget* parent = nullptr);

  QTabWidget* tabs() const { return tabs_; }
  // The page of a tab, null until the tab has been shown.
  OpenMarketPageWidget* page(int tab) const;

 private:
  void show_tab(int tab);

  betting::OpenMarketServices services_;
  QTabWidget* tabs_ = nullptr;
  std::vector<OpenMarketPageWidget*> pages_;
};

// Opens the window for the bankers' hall: its page button asks the notice first, its own button
// and the list's "我要开盘" do not.
class OpenMarketWindowPort final : public ports::OpenMarketPort {
 public:
  OpenMarketWindowPort(protocol::Session& session, ports::MessagePort& messages, QWidget* owner = nullptr)
      : session_(session), messages_(messages), owner_(owner) {}
  void open_market_window(int initial_tab) override;
  void set_owner(QWidget* owner) { owner_ = owner; }
  // `selected_kind_flag` is the flag of the hall's selected top-level category, 0 for none.
  void open(bool with_notice, int selected_kind_flag);

 private:
  protocol::Session& session_;
  ports::MessagePort& messages_;
  QWidget* owner_;
};

}  // namespace brindle::gui
