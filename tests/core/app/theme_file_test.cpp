// Theme files: colours, bitmap names, the edge rule, transparency and the numbered sections.

#include "core/app/theme_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace {

using brindle::app::CaptionAction;
using brindle::app::load_theme;
using brindle::app::parse_theme_colour;
using brindle::app::Theme;
using brindle::app::ThemeColour;
using brindle::testing::TempDir;
using brindle::testing::write_file;

struct ColourCase {
  const char* text;
  std::optional<ThemeColour> expected;
};

TEST(ThemeColourParsing, ReadsRedGreenBlueWithMissingPartsAsZero) {
  const ColourCase cases[] = {
      {"255 0 0", ThemeColour{255, 0, 0}},
      {"0 128", ThemeColour{0, 128, 0}},
      {"7", ThemeColour{7, 0, 0}},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"1\t2\n3", ThemeColour{1, 2, 3}},
      {"  10   20   30  ", ThemeColour{10, 20, 30}},
      {"256 257 -1", ThemeColour{0, 1, 255}},  // each part modulo 256
      {"12abc x 5", ThemeColour{12, 0, 5}},    // a token without digits counts as 0
      {"1 2 3 4", ThemeColour{1, 2, 3}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse_theme_colour(c.text), c.expected) << "'" << c.text << "'";
  }
  // A number too long for any integer still gives its value modulo 256 instead of overflowing.
  // 10^20 mod 256 is 0: a number too long for any integer does not overflow.
  EXPECT_EQ(parse_theme_colour("100000000000000000000 1 0"), (ThemeColour{0, 1, 0}));
  EXPECT_EQ((ThemeColour{0, 128, 0}).packed(), 128u * 256u);
}

TEST(ThemeBitmapNames, OnlyTheFileNameCountsAndItIsFoundBesideTheThemeFile) {
  const std::filesystem::path folder = "/opt/client/skin/900";
  EXPECT_EQ(brindle::app::resolve_theme_bitmap(folder, "C:\\other\\top.bmp"), folder / "top.bmp");
  EXPECT_EQ(brindle::app::resolve_theme_bitmap(folder, "../elsewhere/left.bmp"), folder / "left.bmp");
  EXPECT_EQ(brindle::app::resolve_theme_bitmap(folder, "right.bmp"), folder / "right.bmp");
  EXPECT_TRUE(brindle::app::resolve_theme_bitmap(folder, "").empty());
  EXPECT_TRUE(brindle::app::resolve_theme_bitmap(folder, "C:\\other\\").empty());
  // These name folders ("..", the one above the theme's), never a bitmap.
  EXPECT_TRUE(brindle::app::resolve_theme_bitmap(folder, "..").empty());
  EXPECT_TRUE(brindle::app::resolve_theme_bitmap(folder, "skins\\..").empty());
  EXPECT_TRUE(brindle::app::resolve_theme_bitmap(folder, "a/.").empty());
  EXPECT_EQ(brindle::app::resolve_theme_bitmap(folder, "..bmp"), folder / "..bmp");
}

class ThemeFileTest : public ::testing::Test {
 protected:
  void bitmap(const char* name) { write_file(dir / name, "BM fake bitmap"); }
  Theme load(const std::string& ini) {
    write_file(dir / "theme.ini", ini);
    return load_theme(dir / "theme.ini");
  }
  TempDir dir;
};

TEST_F(ThemeFileTest, MissingFileGivesEveryDefault) {
  const Theme theme = load_theme(dir / "absent.ini");
  EXPECT_FALSE(theme.frame.has_edges());
  EXPECT_EQ(theme.frame.button_image_count, 3);
  EXPECT_FALSE(theme.frame.title_text);
  EXPECT_FALSE(theme.frame.transparent_colour);
  EXPECT_EQ(theme.frame.bar_colour, (ThemeColour{207, 207, 207}));
  EXPECT_EQ(theme.frame.menu_colour, (ThemeColour{207, 207, 207}));
  EXPECT_FALSE(theme.frame.button_face);
  EXPECT_TRUE(theme.push_buttons.bitmap.empty());
  EXPECT_TRUE(theme.decorations.empty());
}

TEST_F(ThemeFileTest, FullFrameWithCaptionButtonsAndColours) {
  for (const char* name : {"top.bmp", "left.bmp", "right.bmp", "bottom.bmp", "close.bmp", "min.bmp", "bg.bmp",
                           "button.bmp", "logo.bmp"}) {
    bitmap(name);
  }
  const Theme theme = load(
      "[Personality]\nDialogBmp=bg.bmp\nTop=C:\\skins\\top.bmp\nLeft=left.bmp\nRight=right.bmp\n"
      "Bottom=bottom.bmp\nTopTopHeight=40\nTopBotHeight=50\nLeftTopHeight=3\nBottomBotHeight=9\n"
      "IconPositionX=6\nIconPositionY=7\nButtonCount=2\nButtonImgCount=4\nTextShift=30\nTextShiftVert=-2\n"
      "UsesTran=1\n"
      "[Button0]\nButtonImage=close.bmp\nAction=0\nXCoord=-8\nYCoord=5\n"
      "[Button1]\nButtonImage=min.bmp\nAction=2\nXCoord=-40\nYCoord=5\n"
      "[Colours]\nTitleText=255 255 255\nTransColor=0 255 0\nBarColor=1 2 3\nButtonFace=\n"
      "[Buttons]\nBitmap=button.bmp\nTopHeight=4\nBottomHeight=5\nLeftWidth=6\nRightWidth=7\nTrans=1\n"
      "[Bitmap1]\nBitmapImage=logo.bmp\nXCoord=20\nYCoord=30\nAlign=1\n"
      "[Bitmap2]\nBitmapImage=absent.bmp\n");
  const auto& frame = theme.frame;
  EXPECT_EQ(frame.dialog_bitmap, dir / "bg.bmp");
  EXPECT_EQ(frame.top, dir / "top.bmp");
  EXPECT_TRUE(frame.has_edges());
  EXPECT_EQ(frame.top_top_height, 40);
  EXPECT_EQ(frame.top_bottom_height, 50);
  EXPECT_EQ(frame.left_top_height, 3);
  EXPECT_EQ(frame.bottom_bottom_height, 9);
  EXPECT_EQ(frame.icon_x, 6);
  EXPECT_EQ(frame.icon_y, 7);
  EXPECT_EQ(frame.button_image_count, 4);
  EXPECT_EQ(frame.text_shift, 30);
  EXPECT_EQ(frame.text_shift_vertical, -2);
  ASSERT_EQ(frame.buttons.size(), 2u);
  EXPECT_EQ(frame.buttons[0].image, dir / "close.bmp");
  EXPECT_EQ(frame.buttons[0].action, CaptionAction::close);
  EXPECT_EQ(frame.buttons[0].x, -8);
  EXPECT_EQ(frame.buttons[1].action, CaptionAction::minimise);
  EXPECT_EQ(frame.title_text, (ThemeColour{255, 255, 255}));
  EXPECT_FALSE(frame.inactive_title_text);
  EXPECT_EQ(frame.transparent_colour, (ThemeColour{0, 255, 0}));
  EXPECT_EQ(frame.bar_colour, (ThemeColour{1, 2, 3}));
  EXPECT_FALSE(frame.button_face) << "an empty value keeps the system colour";

  EXPECT_EQ(theme.push_buttons.bitmap, dir / "button.bmp");
  EXPECT_EQ(theme.push_buttons.left_width, 6);
  EXPECT_EQ(theme.push_buttons.transparent, 1);
  ASSERT_EQ(theme.decorations.size(), 2u);
  EXPECT_EQ(theme.decorations[0].image, dir / "logo.bmp");
  EXPECT_EQ(theme.decorations[0].align, 1);
  EXPECT_TRUE(theme.decorations[1].image.empty()) << "a missing decoration is left undrawn";
}

TEST_F(ThemeFileTest, MissingEdgeStopsTheRestOfTheSection) {
  bitmap("top.bmp");
  bitmap("right.bmp");
  bitmap("bottom.bmp");
  bitmap("close.bmp");
  const Theme theme = load(
      "[Personality]\nTop=top.bmp\nLeft=missing.bmp\nRight=right.bmp\nBottom=bottom.bmp\n"
      "TopTopHeight=40\nButtonCount=1\nButtonImgCount=5\nUsesTran=1\n"
      "[Button0]\nButtonImage=close.bmp\n[Colours]\nTransColor=1 1 1\nTitleText=9 9 9\n");
  EXPECT_EQ(theme.frame.top, dir / "top.bmp");
  EXPECT_TRUE(theme.frame.left.empty());
  EXPECT_TRUE(theme.frame.right.empty()) << "keys after the missing edge are not read";
  EXPECT_TRUE(theme.frame.bottom.empty());
  EXPECT_EQ(theme.frame.top_top_height, 0);
  EXPECT_TRUE(theme.frame.buttons.empty());
  EXPECT_EQ(theme.frame.button_image_count, 3);
  EXPECT_FALSE(theme.frame.uses_transparency);
  EXPECT_FALSE(theme.frame.transparent_colour);
  EXPECT_EQ(theme.frame.title_text, (ThemeColour{9, 9, 9})) << "the colours are another section";
}

TEST_F(ThemeFileTest, TransparentColourOnlyWithUsesTran) {
  for (const char* name : {"t.bmp", "l.bmp", "r.bmp", "b.bmp"}) bitmap(name);
  const std::string edges = "[Personality]\nTop=t.bmp\nLeft=l.bmp\nRight=r.bmp\nBottom=b.bmp\n";
  EXPECT_FALSE(load(edges + "UsesTran=0\n[Colours]\nTransColor=1 2 3\n").frame.transparent_colour);
  EXPECT_EQ(load(edges + "UsesTran=1\n").frame.transparent_colour, brindle::app::kMagenta);
  EXPECT_EQ(load(edges + "UsesTran=1\n[Colours]\nTransColor=1 2 3\n").frame.transparent_colour,
            (ThemeColour{1, 2, 3}));
}

TEST_F(ThemeFileTest, FileThatIsNotABitmapCountsAsMissing) {
  write_file(dir / "top.bmp", "GIF89a");
  EXPECT_TRUE(load("[Personality]\nTop=top.bmp\nButtonCount=1\n").frame.top.empty());
}

TEST_F(ThemeFileTest, HugeButtonCountIsBounded) {
  for (const char* name : {"t.bmp", "l.bmp", "r.bmp", "b.bmp"}) bitmap(name);
  const Theme theme = load(
      "[Personality]\nTop=t.bmp\nLeft=l.bmp\nRight=r.bmp\nBottom=b.bmp\nButtonCount="
      "2000000000\nButtonImgCount=0\n");
  EXPECT_LE(theme.frame.buttons.size(), 16u);
  EXPECT_EQ(theme.frame.button_image_count, 1) << "a strip holds at least one image";
}

}  // namespace
