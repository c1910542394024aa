// The caption font from strings.xml in the current working directory, as the
// application hands it to the buttons: the load-once rule, where the section must stand, the size conversion, entities
// and letter case. Each test works in a fresh temporary directory.
#include <gtest/gtest.h>

#include <climits>
#include <fstream>

#include "settings/ui_settings.h"
#include "tests/ui/ui_test_util.h"
#include "ui/bitmap_button.h"
#include "xml/settings_document.h"

namespace vexaro::ui {
namespace {

using namespace gui;

class CaptionFontFile : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCaptionFontSource(&settings::ApplyCaptionFontSettings);
    xml::TheSettingsDocument().SetText();
    ASSERT_TRUE(host.Open(0, 0, 100, 100));
  }
  void TearDown() override {
    host.DestroyWindow();
    test::Pump();
    xml::TheSettingsDocument().SetText();
    SetCaptionFontSource(nullptr);
  }
  static void Write(const std::string& text) {
    std::ofstream out("strings.xml", std::ios::binary | std::ios::trunc);
    out << text;
  }
  // The font of a button created now.
  CaptionFont Created() {
    CBitmapBtn button;
    EXPECT_TRUE(button.Create("", kSkinButtonStyle, CRect(0, 0, 10, 10), &host, 0));
    return button.Font();
  }
  // The font of a button created over a freshly read file.
  CaptionFont From(const std::string& text) {
    xml::TheSettingsDocument().SetText();
    Write(text);
    return Created();
  }
  static std::string Global(const std::string& inner) {
    return "<?xml version=\"1.0\"?>\n<STRINGS><GLOBAL>" + inner + "</GLOBAL></STRINGS>\n";
  }

  test::TempWorkDir dir;
  test::Host host;
};

TEST_F(CaptionFontFile, MissingFileKeepsDefaultsAndIsTriedAgain) {
  const CaptionFont none = Created();
  EXPECT_EQ(none.face, "");
  EXPECT_EQ(none.height, 14);
  EXPECT_EQ(none.weight, 500);
  Write(Global("<FONT>Tahoma</FONT><FONT_SIZE>12</FONT_SIZE>"));
  const CaptionFont read = Created();
  EXPECT_EQ(read.face, "Tahoma");
  EXPECT_EQ(read.height, 12);
  EXPECT_EQ(read.weight, 500);
}

TEST_F(CaptionFontFile, ReadFileIsKeptForTheProcess) {
  EXPECT_EQ(From(Global("<FONT>First</FONT>")).face, "First");
  Write(Global("<FONT>Second</FONT>"));
  EXPECT_EQ(Created().face, "First");
}

TEST_F(CaptionFontFile, AFileWithoutTextIsTriedAgainAMalformedOneIsKept) {
  Write("");
  EXPECT_EQ(Created().face, "");
  Write("<S><GLOBAL><FONT>Broken</FONT></GLOBAL>");  // the root is never closed
  const std::string broken = Created().face;
  ASSERT_FALSE(xml::TheSettingsDocument().IsEmpty());
  EXPECT_FALSE(xml::TheSettingsDocument().IsWellFormed());
  Write(Global("<FONT>Good</FONT>"));
  EXPECT_EQ(Created().face, broken);
}

TEST_F(CaptionFontFile, IsReadFromTheWorkingDirectory) {
  Write(Global("<FONT>Here</FONT>"));
  {
    test::TempWorkDir elsewhere;
    EXPECT_EQ(Created().face, "");
  }
  EXPECT_EQ(Created().face, "Here");
}

TEST_F(CaptionFontFile, SectionMustBeAChildOfTheRoot) {
  const CaptionFont f = From("<GLOBAL><FONT>Tahoma</FONT><FONT_SIZE>20</FONT_SIZE></GLOBAL>");
  EXPECT_EQ(f.face, "");
  EXPECT_EQ(f.height, 14);
}

TEST_F(CaptionFontFile, SizeIsConvertedLikeAtoi) {
  EXPECT_EQ(From(Global("<FONT_SIZE>large</FONT_SIZE>")).height, 0);
  EXPECT_EQ(From(Global("<FONT_SIZE>-12</FONT_SIZE>")).height, -12);
  EXPECT_EQ(From(Global("<FONT_SIZE> 16pt</FONT_SIZE>")).height, 16);
  EXPECT_EQ(From(Global("<FONT_SIZE></FONT_SIZE>")).height, 14);  // empty: default kept
}

TEST_F(CaptionFontFile, EntitiesInTheFaceNameAreDecoded) {
  EXPECT_EQ(From(Global("<FONT>A &amp; B</FONT>")).face, "A & B");
}

TEST_F(CaptionFontFile, OnlyTheFirstSectionIsSearched) {
  EXPECT_EQ(From("<S><GLOBAL><FONT_SIZE>9</FONT_SIZE></GLOBAL><GLOBAL><FONT>Second</FONT></GLOBAL></S>").face, "");
  // A section nested in the one entered is searched in turn.
  EXPECT_EQ(From("<S><GLOBAL><GLOBAL><FONT>Inner</FONT></GLOBAL></GLOBAL></S>").face, "Inner");
}

TEST_F(CaptionFontFile, NamesCompareWithLetterCase) {
  EXPECT_EQ(From(Global("<Font>Tahoma</Font><font_size>20</font_size>")).face, "");
  EXPECT_EQ(From("<S><Global><FONT>Tahoma</FONT></Global></S>").face, "");
}

TEST(ParseDecimal, FollowsAtoi) {
  EXPECT_EQ(settings::ParseDecimal(""), 0);
  EXPECT_EQ(settings::ParseDecimal("+7x"), 7);
  EXPECT_EQ(settings::ParseDecimal("\t\n 3"), 3);
  EXPECT_EQ(settings::ParseDecimal("- 3"), 0);
  EXPECT_EQ(settings::ParseDecimal("0012"), 12);
  EXPECT_EQ(settings::ParseDecimal("99999999999999999999"), INT_MAX);
  EXPECT_EQ(settings::ParseDecimal("-2147483648"), INT_MIN);
  EXPECT_EQ(settings::ParseDecimal("-99999999999999999999"), INT_MIN);
}

}  // namespace
}  // namespace vexaro::ui
