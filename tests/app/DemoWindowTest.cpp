// The real program in its window on an X display (the test command runs under xvfb-run): it is
// started in assets/, the user's answers are given with xdotool ("No" to "FullScreen?", Start
// in the device dialog), and screenshots of the display show the figure in the view and the
// frame-rate text in the edit box. The menu's "Exit" then closes the program, which must end
// with status 0. Skipped without a display or without the X tools.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/components/TempConfigHome.h"
#include "tests/support/Golden.h"
#include "tests/support/XDisplay.h"

namespace {

using namespace std::chrono_literals;
using kor::testsupport::ListedWindow;
using kor::testsupport::Picture;
using kor::testsupport::Screenshot;
using kor::testsupport::WaitForWindow;

// The form's client area after the start-up, and the places of the view and the edit box in it.
constexpr int kClientHeight = 480;
constexpr int kViewLeft = 8, kViewTop = 32, kViewWidth = 512, kViewHeight = 386;
constexpr int kEditLeft = 8, kEditTop = 8, kEditWidth = 121, kEditHeight = 20;
// The dialog's Start button (8, 272, 75 x 25), and the menu bar's "File" with its "Exit" item.
constexpr int kStartX = 8 + 37, kStartY = 272 + 12;
constexpr int kFileX = 25, kFileY = 9, kExitX = 25, kExitY = 33;
// SDL's message boxes fill their buttons with this colour.
constexpr int kBoxButtonRed = 105, kBoxButtonGreen = 102, kBoxButtonBlue = 99;

struct Rgb {
  int r, g, b;
};
Rgb PixelAt(const Picture& P, int X, int Y) {
  const std::uint8_t* p = &P.rgba[(static_cast<size_t>(Y) * P.width + X) * 4];
  return {p[0], p[1], p[2]};
}

// The centre of the rightmost button of an SDL message box (the last answer, "No"), in the
// box's own coordinates.
std::optional<std::pair<int, int>> RightmostBoxButton(const Picture& Box) {
  int right = -1, top = Box.height, bottom = -1;
  for (int y = 0; y < Box.height; ++y) {
    for (int x = 0; x < Box.width; ++x) {
      const Rgb c = PixelAt(Box, x, y);
      if (c.r != kBoxButtonRed || c.g != kBoxButtonGreen || c.b != kBoxButtonBlue) continue;
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return std::nullopt;
  // The button's fill runs left from its right edge up to the gap between the buttons.
  int left = right;
  const int middle = (top + bottom) / 2;
  for (int x = right; x >= 0; --x) {
    bool column = false;
    for (int y = top; y <= bottom && !column; ++y) {
      const Rgb c = PixelAt(Box, x, y);
      column = c.r == kBoxButtonRed && c.g == kBoxButtonGreen && c.b == kBoxButtonBlue;
    }
    if (!column) break;
    left = x;
  }
  return std::make_pair((left + right) / 2, std::min(middle, top + 4));
}

// Where the edit box's text ends: the rightmost column holding a dark (text) pixel.
int TextEnd(const Picture& Shot, int Left, int Top) {
  int end = -1;
  for (int y = Top; y < Top + kEditHeight; ++y)
    for (int x = Left; x < Left + kEditWidth; ++x) {
      const Rgb c = PixelAt(Shot, x, y);
      if (c.r + c.g + c.b < 300) end = std::max(end, x - Left);
    }
  return end;
}

class DemoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    if (!kor::testsupport::WindowToolsPresent())
      GTEST_SKIP() << "xdotool, xwininfo or import is missing";
  }
  void Start() {
    lock_ = std::make_unique<kor::testsupport::DisplayLock>();
    program_ = std::make_unique<kor::testsupport::StartedProgram>(KOR_ASSETS_DIR, KOR_DEMO_PROGRAM);
    ASSERT_TRUE(program_->Running());
  }
  int WaitForExit(std::chrono::seconds Timeout) { return program_->WaitForExit(Timeout); }

  TempConfigHome config_;
  std::unique_ptr<kor::testsupport::DisplayLock> lock_;  // released after the program ends
  std::unique_ptr<kor::testsupport::StartedProgram> program_;
};

TEST_F(DemoWindowTest, TheFigureAndTheFrameRateShowAndExitEndsTheProgram) {
  const std::string folder = ::testing::TempDir();
  Start();

  // "FullScreen?": No, the box's right-hand button.
  const auto box = WaitForWindow("FullScreen?");
  ASSERT_TRUE(box) << "the FullScreen? box did not open";
  const auto boxShot = Screenshot(box->id, folder + "korvel_box.png");
  ASSERT_TRUE(boxShot);
  const auto no = RightmostBoxButton(*boxShot);
  ASSERT_TRUE(no) << "no button found in " << folder << "korvel_box.png";
  kor::testsupport::ClickAt(box->x + no->first, box->y + no->second);

  // The device dialog: Start. The main form is already the borderless window at (0, 0).
  const auto dialog = WaitForWindow("KorEnumWindow", "KorvelDemo");
  ASSERT_TRUE(dialog) << "the device dialog did not open";
  const auto form = ListedWindow("Form1", "KorvelDemo");
  ASSERT_TRUE(form);
  EXPECT_EQ(form->x, 0);
  EXPECT_EQ(form->y, 0);
  EXPECT_EQ(form->width, 640);
  const int clientTop = form->height - kClientHeight;  // below the menu bar
  const auto before = Screenshot("root", folder + "korvel_dialog.png");
  ASSERT_TRUE(before);
  kor::testsupport::ClickAt(dialog->x + kStartX, dialog->y + kStartY);

  std::this_thread::sleep_for(2s);
  EXPECT_FALSE(ListedWindow("KorEnumWindow", "KorvelDemo")) << "the dialog is still open";
  const std::string shotPath = folder + "korvel_window.png";
  const auto shot = Screenshot("root", shotPath);
  ASSERT_TRUE(shot);
  std::printf("screenshot: %s\n", shotPath.c_str());

  // The view shows the drawing: a black background with the coloured figure on it (before
  // the start-up it showed the white desktop).
  int black = 0, coloured = 0;
  for (int y = 0; y < kViewHeight; ++y)
    for (int x = 0; x < kViewWidth; ++x) {
      const Rgb c = PixelAt(*shot, form->x + kViewLeft + x, form->y + clientTop + kViewTop + y);
      const int high = std::max({c.r, c.g, c.b});
      black += high < 16;
      coloured += high >= 48 && std::min({c.r, c.g, c.b}) < 230;
    }
  EXPECT_GT(black, kViewWidth * kViewHeight / 2) << "the view's background is not drawn";
  EXPECT_GT(coloured, 2000) << "the figure is not drawn";

  // The edit box's "Edit1" became the longer "FPS =" text.
  const int editLeft = form->x + kEditLeft, editTop = form->y + clientTop + kEditTop;
  const int endBefore = TextEnd(*before, editLeft, editTop);
  const int endAfter = TextEnd(*shot, editLeft, editTop);
  EXPECT_GT(endBefore, 0) << "no text in the edit box before the start-up";
  EXPECT_GT(endAfter, endBefore + 8) << "the frame-rate text does not show";

  // File, Exit: the program releases everything and ends normally.
  kor::testsupport::ClickAt(form->x + kFileX, form->y + kFileY);
  std::this_thread::sleep_for(500ms);
  kor::testsupport::ClickAt(form->x + kExitX, form->y + kExitY);
  EXPECT_EQ(WaitForExit(20s), 0);

  // Start stored the first run's choice.
  std::ifstream stored(config_.Folder() / "Korvel_Soft.ini");
  std::stringstream text;
  text << stored.rdbuf();
  EXPECT_NE(text.str().find("Enum_Checkbox=-1"), std::string::npos) << text.str();
}

}  // namespace
