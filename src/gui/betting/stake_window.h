#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "core/ports/stake_window_port.h"

class QLabel;
class QLineEdit;

namespace brindle::gui {

// The stake window "投注": the bet in words, its explanation and a digits-only stake field.
class StakeWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit StakeWindow(int skin_size_mode, QWidget* parent = nullptr);

  void show_content(const ports::StakeWindowContent& content, const QString& typed);
  // "提交" closes the window only when `submit` takes the stake; a refusal keeps it open.
  void set_submit(std::function<bool(const std::string&)> submit) { submit_ = std::move(submit); }
  QString typed() const;
  QLineEdit* stake_field() const { return stake_; }

 private:
  QLabel* header_ = nullptr;
  QLabel* choice_ = nullptr;
  QLabel* odds_ = nullptr;
  QLabel* explanation_ = nullptr;
  QLabel* currency_ = nullptr;
  QLineEdit* stake_ = nullptr;
  std::function<bool(const std::string&)> submit_;
};

// The port over a fresh stake window for every showing.
class StakeWindowPortImpl final : public ports::StakeWindowPort {
 public:
  StakeWindowPortImpl(int skin_size_mode, QWidget* owner) : skin_size_mode_(skin_size_mode), owner_(owner) {}
  std::optional<std::string> ask_stake(const ports::StakeWindowContent& content, const std::string& typed,
                                       const std::function<bool(const std::string&)>& submit) override;
  void close_as_cancelled() override;
  void set_owner(QWidget* owner) { owner_ = owner; }

 private:
  int skin_size_mode_;
  QWidget* owner_;
  StakeWindow* showing_ = nullptr;
};

}  // namespace brindle::gui
