// Where the 走地 window sends the web token: a form field on the current server over HTTPS.

#include "core/betting/in_play_web_page.h"

#include <gtest/gtest.h>

namespace {

TEST(InPlayWebPage, PostsTheTokenToTheCurrentServerOverHttpsAsOneFormField) {
  const auto page = brindle::betting::in_play_web_page("127.0.0.1:47443", std::string(40, 'A'));
  EXPECT_EQ(page.address, "https://127.0.0.1:47443/inplay/");
  EXPECT_EQ(page.form_body, "token=" + std::string(40, 'A'));
  // A prefix of the Client context, or whatever an old server sent, stays inside the one field.
  EXPECT_EQ(brindle::betting::in_play_web_page("h", "p/?t=1&pick=2 x+").form_body,
            "token=p%2F%3Ft%3D1%26pick%3D2%20x%2B");
  EXPECT_EQ(brindle::betting::in_play_web_page("h", "").form_body, "token=");
}

}  // namespace
