#pragma once

#include <filesystem>

namespace brindle::ports {

//! The Splash window.
class SplashPort {
 public:
  virtual ~SplashPort() = default;
  //! Shows the bitmap centred on the screen; false (and nothing shown) when it cannot be loaded.
  virtual bool show(const std::filesystem::path& bitmap) = 0;
  //! Hides the window when one is up.
  virtual void hide() = 0;
};

}  // namespace brindle::ports
