#pragma once

#include <QComboBox>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>

#include "core/ports/hall_view_port.h"
#include "gui/app/main_window.h"

class QLabel;
class QTreeView;

namespace brindle::betting {
class HallModel;
}

namespace brindle::gui {

class BitmapButton;
class HallCellDelegate;
class HallItemModel;

// The league chooser: refilled from the hall each time it drops down.
class LeagueChooser final : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  void showPopup() override;

 signals:
  void aboutToDropDown();
};

// One market hall page of the Main window: location line, page and function buttons, league
// chooser, advertisement pane and the grouped list over the hall's model.
class HallPage final : public QWidget, public MainWindowPage, public ports::HallViewPort {
  Q_OBJECT
 public:
  struct Options {
    std::filesystem::path skin_folder;
    int skin_size_mode = 0;
    bool advertisement = true;  // the embedded page; tests and the benchmark go without
  };

  HallPage(std::unique_ptr<betting::HallModel> hall, Options options, QWidget* parent = nullptr);
  ~HallPage() override;

  // The hall's opening: the first refresh and the advertisement page.
  void open();
  // A panel under the list (the parlay ticket), owned by the page and deleted before the hall.
  void add_lower_panel(QWidget* panel);

  betting::HallModel& hall() { return *hall_; }
  QTreeView* list() const { return list_; }
  HallItemModel* model() const { return model_; }
  LeagueChooser* league_chooser() const { return leagues_; }
  QLabel* location() const { return location_; }
  QLabel* empty_label() const { return empty_; }

  // Main window messages: 0x504 timed refresh, 0x505 room switch.
  void main_window_message(int message, int first, int second) override;
  void set_location_text(const QString& text) override;
  void set_notices_shown(bool shown) override;

  void lines_about_to_change() override;
  void lines_changed() override;
  void room_changed() override;

  // What Enter or a click on a cell does.
  void activate(const QModelIndex& index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void build_buttons(QWidget* row, QWidget* functions);
  void apply_groups();
  void show_context_menu(const QPoint& at);
  void refill_leagues();

  std::unique_ptr<betting::HallModel> hall_;
  Options options_;
  QPixmap band_;
  QLabel* location_ = nullptr;
  std::string shown_location_;  // the hall's location line as last put in location_
  LeagueChooser* leagues_ = nullptr;
  QTreeView* list_ = nullptr;
  QLabel* empty_ = nullptr;
  QWidget* advertisement_ = nullptr;
  QWidget* lower_panel_ = nullptr;
  HallItemModel* model_ = nullptr;
  HallCellDelegate* delegate_ = nullptr;
  bool applying_ = false;
};

}  // namespace brindle::gui
