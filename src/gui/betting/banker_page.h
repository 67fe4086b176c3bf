#pragma once

#include <QAbstractItemModel>
#include <QPixmap>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/betting/banker_hall.h"
#include "gui/app/main_window.h"

class QLabel;
class QTreeView;

namespace brindle::gui {

class BitmapButton;

// The category tree as Qt sees it: rebuilt from the hall whenever the hall's tree changes.
class BankerTreeModel final : public QAbstractItemModel {
  Q_OBJECT
 public:
  explicit BankerTreeModel(const betting::BankerHall& hall, QObject* parent = nullptr);

  void reload();
  betting::TreePath path_of(const QModelIndex& index) const;
  QModelIndex index_of(const betting::TreePath& path) const;
  bool is_expanded_in_hall(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  struct Node {
    const betting::BankerTreeItem* item = nullptr;
    int parent = -1;
    int row = 0;
    std::vector<int> children;
  };
  void add(const std::vector<betting::BankerTreeItem>& items, int parent);
  const std::vector<int>& children_of(const QModelIndex& parent) const;

  const betting::BankerHall& hall_;
  std::vector<Node> nodes_;
  std::vector<int> top_;
};

// The offers of the selected leaf, one row each, with the bet button in the last column.
class BankerOfferModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit BankerOfferModel(const betting::BankerHall& hall, QObject* parent = nullptr);

  void reload();
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  const betting::BankerHall& hall_;
};

// Page 5 of the Main window: location line, page and function buttons with the hall's own button,
// the category tree on the left, the offers on the right and the hint line.
class BankerPage final : public QWidget, public MainWindowPage {
  Q_OBJECT
 public:
  BankerPage(betting::BankerHallServices services, std::filesystem::path skin_folder,
             QWidget* parent = nullptr);
  ~BankerPage() override;

  void open();
  betting::BankerHall& hall() { return *hall_; }
  QTreeView* tree() const { return tree_; }
  QTreeView* offers() const { return offers_; }
  BankerTreeModel* tree_model() const { return tree_model_; }
  BankerOfferModel* offer_model() const { return offer_model_; }
  QLabel* location() const { return location_; }
  QLabel* hint() const { return hint_; }
  BitmapButton* own_button() const { return own_button_; }
  // The actions of the offer list's context menu as the hall offers them.
  std::vector<QString> context_menu_texts() const;

  void main_window_message(int message, int first, int second) override;
  void set_location_text(const QString& text) override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void build_buttons(QWidget* row, QWidget* functions);
  void tree_changed();
  void show_context_menu(const QPoint& at);

  std::unique_ptr<betting::BankerHall> hall_;
  std::filesystem::path skin_folder_;
  QPixmap band_;
  QLabel* location_ = nullptr;
  std::string shown_location_;  // the hall's location line as last put in location_
  QLabel* hint_ = nullptr;
  QTreeView* tree_ = nullptr;
  QTreeView* offers_ = nullptr;
  BankerTreeModel* tree_model_ = nullptr;
  BankerOfferModel* offer_model_ = nullptr;
  BitmapButton* own_button_ = nullptr;
  bool applying_ = false;
};

}  // namespace brindle::gui
