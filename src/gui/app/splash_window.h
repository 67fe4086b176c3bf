#pragma once

#include <memory>

#include "core/ports/splash_port.h"

class QLabel;

namespace brindle::gui {

// The start-up picture, "Splash.bmp" in the skin folder, as a frameless window of its exact size.
class SplashWindow final : public ports::SplashPort {
 public:
  SplashWindow();
  ~SplashWindow() override;
  bool show(const std::filesystem::path& bitmap) override;
  void hide() override;
  bool visible() const;

 private:
  std::unique_ptr<QLabel> window_;
};

}  // namespace brindle::gui
