#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <array>
#include <filesystem>
#include <string>

namespace brindle::gui {

// A button drawn from skin bitmaps: four states (normal, hover, pressed, disabled) named
// "<prefix>00.bmp" … "<prefix>03.bmp", or one picture for every state. A missing bitmap falls back
// to the normal one, and with no bitmap at all the button draws its caption flat.
class BitmapButton final : public QAbstractButton {
  Q_OBJECT
 public:
  BitmapButton(int control, const QString& caption, QWidget* parent = nullptr);

  void load_states(const std::filesystem::path& folder, const std::string& prefix);
  void load_picture(const std::filesystem::path& file);
  // Normal, hover and pressed from files named one by one (the game buttons' "Casino00.bmp" …).
  void load_named_states(const std::filesystem::path& folder, const std::array<std::string, 3>& files);
  int control() const { return control_; }
  const std::string& prefix() const { return prefix_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  int control_;
  std::string prefix_;
  std::array<QPixmap, 4> states_;
  bool hovered_ = false;
};

}  // namespace brindle::gui
