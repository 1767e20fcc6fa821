// korview in its window on a private X server of its own, bare and under the openbox window
// manager: started with the demo figure on the command line, the screenshot shows the figure in
// the view; the window made wider, the view grows with it; SIGTERM (SDL's quit request) ends the
// program with status 0. Skipped without Xvfb, openbox (for that case) or the X tools.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "tests/support/XDisplay.h"
#include "tests/support/XServer.h"

namespace {

using namespace std::chrono_literals;
using testsupport::Picture;

// The form's client size at start and the view's place in it (the side panel takes the right).
constexpr int kClientWidth = 940, kClientHeight = 580;
constexpr int kViewTop = 28, kPanelWidth = 380;

struct ViewPixels {
  int black = 0;
  int coloured = 0;
};

// Black (the view's background) and coloured (the figure) pixels in the view's rectangle.
ViewPixels CountView(const Picture& Shot, int Left, int Top, int Width, int Height) {
  ViewPixels count;
  for (int y = Top; y < std::min(Top + Height, Shot.height); ++y)
    for (int x = Left; x < std::min(Left + Width, Shot.width); ++x) {
      const std::uint8_t* p = &Shot.rgba[(static_cast<size_t>(y) * Shot.width + x) * 4];
      const int high = std::max({p[0], p[1], p[2]});
      count.black += high < 16;
      count.coloured += high >= 48 && std::min({p[0], p[1], p[2]}) < 230;
    }
  return count;
}

// The parameter: with the openbox window manager or on a bare X server. The test points DISPLAY
// at its own server for its duration, so the program and the X tools all use that server.
class KorviewWindowTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!testsupport::HaveCommand("Xvfb")) GTEST_SKIP() << "Xvfb is missing";
    if (!testsupport::WindowToolsPresent()) GTEST_SKIP() << "the X tools are missing";
    if (GetParam() && !testsupport::HaveCommand("openbox")) GTEST_SKIP() << "openbox is missing";
    x_ = std::make_unique<testsupport::XServer>(GetParam());
    ASSERT_TRUE(x_->Running()) << x_->Why();
    const char* outer = std::getenv("DISPLAY");
    if (outer) outerDisplay_ = outer;
    setenv("DISPLAY", x_->Display().c_str(), 1);
  }
  void TearDown() override {
    if (outerDisplay_) {
      setenv("DISPLAY", outerDisplay_->c_str(), 1);
    } else {
      unsetenv("DISPLAY");
    }
    x_.reset();
  }

 private:
  std::unique_ptr<testsupport::XServer> x_;
  std::optional<std::string> outerDisplay_;
};

TEST_P(KorviewWindowTest, TheFigureShowsTheViewFollowsTheWindowAndQuitEndsTheProgram) {
  const std::string folder = ::testing::TempDir();
  const std::string shots = folder + (GetParam() ? "korview_openbox_" : "korview_bare_");
  testsupport::StartedProgram program(folder, KOR_KORVIEW_PROGRAM,
                                      {std::string(KOR_ASSETS_DIR) + "/wisp2.kor"});
  ASSERT_TRUE(program.Running());

  const auto window = testsupport::WaitForWindow("korview - wisp2.kor");
  ASSERT_TRUE(window) << "the viewer's window did not open";
  std::this_thread::sleep_for(1s);
  const std::string shotPath = shots + "window.png";
  const auto shot = testsupport::Screenshot(window->id, shotPath);
  ASSERT_TRUE(shot);
  std::printf("screenshot: %s\n", shotPath.c_str());
  const int clientTop = shot->height - kClientHeight;  // below the menu bar
  ASSERT_GT(clientTop, 0);
  const int viewWidth = kClientWidth - kPanelWidth, viewHeight = kClientHeight - kViewTop;
  const ViewPixels view = CountView(*shot, 0, clientTop + kViewTop, viewWidth, viewHeight);
  EXPECT_GT(view.black, viewWidth * viewHeight / 2) << "the view's background is not drawn";
  EXPECT_GT(view.coloured, 2000) << "the figure is not drawn";

  // Moved to the screen's corner and made 60 pixels wider: the view's new columns show its
  // black background, not the desktop behind a view that kept its old size.
  constexpr int kWider = 60;
  ASSERT_TRUE(testsupport::CommandSucceeds("xdotool windowmove " + window->id + " 0 0"));
  ASSERT_TRUE(testsupport::CommandSucceeds("xdotool windowsize " + window->id + " " +
                                           std::to_string(kClientWidth + kWider) + " " +
                                           std::to_string(shot->height)));
  std::this_thread::sleep_for(2s);
  const auto wider = testsupport::Screenshot(window->id, shots + "wider.png");
  ASSERT_TRUE(wider);
  ASSERT_EQ(wider->width, kClientWidth + kWider);
  const ViewPixels grown =
      CountView(*wider, viewWidth + 5, clientTop + kViewTop, kWider - 10, viewHeight);
  EXPECT_GT(grown.black, (kWider - 10) * viewHeight * 3 / 4)
      << "the view did not follow the window";

  program.Signal(SIGTERM);
  EXPECT_EQ(program.WaitForExit(20s), 0);
}

INSTANTIATE_TEST_SUITE_P(Desktop, KorviewWindowTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("WithWindowManager")
                                             : std::string("BareServer");
                         });

}  // namespace
