#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

#include "core/ports/outright_ticket_port.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace brindle::gui {

// The outright ticket: one tab per market of the event, 44 choices in four columns of eleven on
// each, the stake and "确定", "取消", "玩法说明". The handler decides whether "确定" closes it.
class OutrightTicketWindow final : public QDialog {
  Q_OBJECT
 public:
  OutrightTicketWindow(const ports::OutrightTicketView& view, ports::OutrightTicketHandler& handler,
                       int skin_size_mode, QWidget* parent = nullptr);

  QTabWidget* tabs() const { return tabs_; }
  QLineEdit* stake_field() const { return stake_; }
  QRadioButton* choice(int tab, int index) const;
  // The choice checked on the current tab, -1 for none.
  int chosen() const;

 private:
  void press_ok();

  ports::OutrightTicketHandler& handler_;
  QTabWidget* tabs_ = nullptr;
  QLineEdit* stake_ = nullptr;
  std::vector<QButtonGroup*> groups_;
};

// The port over a fresh window for every opening; Page windows go through `page_opener` when set.
class OutrightTicketPortImpl final : public ports::OutrightTicketPort {
 public:
  OutrightTicketPortImpl(int skin_size_mode, QWidget* owner)
      : skin_size_mode_(skin_size_mode), owner_(owner) {}
  bool run(const ports::OutrightTicketView& view, ports::OutrightTicketHandler& handler) override;
  void open_page(const std::string& title, const std::string& address) override;
  void set_owner(QWidget* owner) { owner_ = owner; }
  void set_page_opener(std::function<void(const QString&, const QString&)> opener) {
    page_opener_ = std::move(opener);
  }

 private:
  int skin_size_mode_;
  QWidget* owner_;
  std::function<void(const QString&, const QString&)> page_opener_;
};

}  // namespace brindle::gui
