// The real program in its window, the way people run it: each test starts a virtual X server
// of its own, with the openbox window manager on it or bare, starts the program in assets/ and
// acts as the user with xdotool (answers, clicks, drags); screenshots of the display (written
// to the test temporary folder, named in the output) show what the user would see. Skipped
// when Xvfb, openbox or the X tools are missing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/Golden.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/XDisplay.h"
#include "tests/support/XServer.h"

namespace {

using namespace std::chrono_literals;
using testsupport::Picture;
using testsupport::WaitUntil;
using testsupport::XWindow;

// The form after the start-up: a borderless 640 x 480 window at (0, 0), its menu bar on top.
constexpr int kFormWidth = 640, kFormHeight = 480, kMenuBar = 19;
// Places in the client area: the view and the edit box.
constexpr int kViewLeft = 8, kViewTop = 32, kViewWidth = 512, kViewHeight = 386;
constexpr int kEditLeft = 8, kEditTop = 8, kEditWidth = 121, kEditHeight = 20;
// The dialog's Start button (8, 272, 75 x 25), and the menu bar's "File" with its "Exit" item.
constexpr int kStartX = 8 + 37, kStartY = 272 + 12;
constexpr int kFileX = 20, kFileY = 9, kExitX = 25, kExitY = 33;
// SDL's message boxes fill their buttons with this colour.
constexpr int kBoxButtonRed = 105, kBoxButtonGreen = 102, kBoxButtonBlue = 99;

struct Rgb {
  int r, g, b;
};
Rgb PixelAt(const Picture& P, int X, int Y) {
  const std::uint8_t* p = &P.rgba[(static_cast<size_t>(Y) * P.width + X) * 4];
  return {p[0], p[1], p[2]};
}

// The figure in a picture of the view: how many coloured pixels, and their bounding box.
struct Figure {
  int pixels = 0;
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};
Figure FindFigure(const Picture& Shot, int Left, int Top, int Width, int Height) {
  Figure f;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      const Rgb c = PixelAt(Shot, Left + x, Top + y);
      if (std::max({c.r, c.g, c.b}) < 48 || std::min({c.r, c.g, c.b}) >= 230) continue;
      ++f.pixels;
      f.left = std::min(f.left, x);
      f.right = std::max(f.right, x);
      f.top = std::min(f.top, y);
      f.bottom = std::max(f.bottom, y);
    }
  return f;
}

// The centre of the rightmost (Rightmost) or leftmost button of an SDL message box, in the
// box's own coordinates: for "FullScreen?" No or Yes, for an OK box its OK.
std::optional<std::pair<int, int>> BoxButton(const Picture& Box, bool Rightmost) {
  auto isButton = [&](int x, int y) {
    const Rgb c = PixelAt(Box, x, y);
    return c.r == kBoxButtonRed && c.g == kBoxButtonGreen && c.b == kBoxButtonBlue;
  };
  int edge = -1, top = Box.height, bottom = -1;
  for (int y = 0; y < Box.height; ++y)
    for (int x = 0; x < Box.width; ++x)
      if (isButton(x, y)) {
        if (edge < 0 || (Rightmost ? x > edge : x < edge)) edge = x;
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  if (edge < 0) return std::nullopt;
  // The button's fill runs from that edge up to the gap between the buttons.
  const int step = Rightmost ? -1 : 1;
  int other = edge;
  for (int x = edge; x >= 0 && x < Box.width; x += step) {
    bool column = false;
    for (int y = top; y <= bottom && !column; ++y) column = isButton(x, y);
    if (!column) break;
    other = x;
  }
  return std::make_pair((edge + other) / 2, std::min((top + bottom) / 2, top + 4));
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

// The parameter: with the openbox window manager or on a bare X server.
class DemoWindowTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool", "xwininfo", "xprop", "import"})
      if (!testsupport::HaveCommand(tool)) GTEST_SKIP() << tool << " is missing";
    if (GetParam() && !testsupport::HaveCommand("openbox")) GTEST_SKIP() << "openbox is missing";
    x_ = std::make_unique<testsupport::XServer>(GetParam());
    ASSERT_TRUE(x_->Running()) << x_->Why();
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    name = name.substr(0, name.find('/'));  // the parameter's name ends the file names
    folder_ = ::testing::TempDir() + "korvel_" + name + "_";
  }
  void TearDown() override {
    if (pid_ > 0) {
      // Still running after a failure: stop the program this test started. SDL turns SIGTERM
      // into a quit request, which a program blocked in a message box never reads.
      kill(pid_, SIGTERM);
      if (WaitForExit(5s) < 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
      }
    }
    x_.reset();
  }

  // Starts the program in Folder (assets/ by default) with ConfigHome as XDG_CONFIG_HOME.
  void Start(const std::string& Folder = KOR_ASSETS_DIR, const std::string& ConfigHome = "") {
    pid_ = fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      setenv("DISPLAY", x_->Display().c_str(), 1);
      if (!ConfigHome.empty()) setenv("XDG_CONFIG_HOME", ConfigHome.c_str(), 1);
      // In a sanitizer build the libraries under SDL (D-Bus, Mesa's GL driver, unloaded before
      // the report) leave allocations at exit that the leak checker cannot tell from the
      // program's; the program's own are leak-checked by the headless end-to-end tests, which
      // run the same form. Memory errors and undefined behaviour are still reported here.
      const char* asan = std::getenv("ASAN_OPTIONS");
      const std::string options = std::string(asan ? asan : "") + ":detect_leaks=0";
      setenv("ASAN_OPTIONS", options.c_str(), 1);
      if (chdir(Folder.c_str()) == 0) execl(KOR_DEMO_PROGRAM, KOR_DEMO_PROGRAM, nullptr);
      _exit(127);
    }
  }

  // The program's exit status, or -1 when it has not ended within Timeout.
  int WaitForExit(std::chrono::milliseconds Timeout) {
    int result = -1;
    WaitUntil(
        [&] {
          int status = 0;
          if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
          pid_ = -1;
          result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
          return true;
        },
        {}, Timeout, 50ms);
    return result;
  }

  // A top-level window whose title is Title (and whose class names Mark, when given).
  std::optional<XWindow> Listed(const std::string& Title, const std::string& Mark = "") const {
    return testsupport::FindListedWindow(x_->Output("xwininfo -root -tree"), Title, Mark);
  }

  // Waits for the window to be listed and viewable; then gives it a moment to draw itself
  // (a window looked at while it opens may not show its contents yet).
  std::optional<XWindow> WaitForWindow(const std::string& Title, const std::string& Mark = "") {
    std::optional<XWindow> found;
    WaitUntil(
        [&] {
          found = Listed(Title, Mark);
          return found &&
                 x_->Output("xwininfo -id " + found->id).find("IsViewable") != std::string::npos;
        },
        {}, testsupport::kWindowDeadline, 200ms);
    if (!found) return std::nullopt;
    std::this_thread::sleep_for(700ms);
    return Listed(Title, Mark);
  }

  bool Gone(const std::string& Title, const std::string& Mark = "") {
    return WaitUntil([&] { return !Listed(Title, Mark); }, {}, testsupport::kWindowDeadline, 100ms);
  }

  void MoveTo(int X, int Y) {
    x_->Run("xdotool mousemove " + std::to_string(X) + " " + std::to_string(Y));
    std::this_thread::sleep_for(100ms);
  }
  void Click(int X, int Y) {
    MoveTo(X, Y);
    x_->Run("xdotool click 1");
  }

  // A screenshot of the window (or "root"), kept as Name.png in the test's temporary folder.
  std::optional<Picture> Shot(const std::string& Window, const std::string& Name) {
    const std::string path = folder_ + Name + (GetParam() ? "_openbox" : "_bare") + ".png";
    if (x_->Run("import -window " + Window + " " + path + " >/dev/null 2>&1") != 0)
      return std::nullopt;
    std::printf("screenshot: %s\n", path.c_str());
    return testsupport::ReadPng(path);
  }

  // Answers the message box titled Title with its right-hand button (No, or the only OK), or
  // with its left-hand one (Yes).
  void AnswerBox(const std::string& Title, bool Rightmost = true) {
    const auto box = WaitForWindow(Title);
    ASSERT_TRUE(box) << "the box " << Title << " did not open";
    const auto picture = Shot(box->id, "box");
    ASSERT_TRUE(picture);
    const auto button = BoxButton(*picture, Rightmost);
    ASSERT_TRUE(button) << "no button found in the box";
    Click(box->x + button->first, box->y + button->second);
    ASSERT_TRUE(Gone(Title)) << "the box " << Title << " is still open";
  }
  void AnswerNo() { AnswerBox("FullScreen?"); }

  // Clicks Start in the device dialog.
  void ClickStart() {
    const auto dialog = WaitForWindow("KorEnumWindow", "KorvelDemo");
    ASSERT_TRUE(dialog) << "the device dialog did not open";
    Click(dialog->x + kStartX, dialog->y + kStartY);
  }
  // Presses Start, which closes the dialog.
  void PressStart() {
    ClickStart();
    ASSERT_TRUE(Gone("KorEnumWindow", "KorvelDemo")) << "the dialog is still open";
  }

  // The running demo's figure in the view, from a screenshot of the whole screen.
  Figure ViewFigure(const std::string& Name) {
    const auto shot = Shot("root", Name);
    EXPECT_TRUE(shot);
    if (!shot) return {};
    return FindFigure(*shot, kViewLeft, kMenuBar + kViewTop, kViewWidth, kViewHeight);
  }

  // Waits until a screenshot of the whole screen shows what Wanted looks for; that picture.
  std::optional<Picture> WaitForScreen(const std::string& Name,
                                       const std::function<bool(const Picture&)>& Wanted) {
    std::optional<Picture> shot;
    WaitUntil([&] { return (shot = Shot("root", Name)) && Wanted(*shot); }, {},
              testsupport::kWindowDeadline, 200ms);
    return shot;
  }
  // Waits until the view shows the figure (the demo draws its frames).
  Figure WaitForFigure(const std::string& Name) {
    Figure figure;
    WaitForScreen(Name, [&](const Picture& Shot) {
      figure = FindFigure(Shot, kViewLeft, kMenuBar + kViewTop, kViewWidth, kViewHeight);
      return figure.pixels > 2000;
    });
    return figure;
  }

  // Ends the program with File, Exit; its status. A menu that has not opened yet when Exit is
  // clicked is tried again.
  int ExitThroughTheMenu() {
    int status = -1;
    WaitUntil(
        [&] {
          Click(kFileX, kFileY);
          std::this_thread::sleep_for(300ms);
          Click(kExitX, kExitY);
          status = WaitForExit(3s);
          return status >= 0;
        },
        {}, testsupport::kWindowDeadline, 100ms);
    return status;
  }

  std::unique_ptr<testsupport::XServer> x_;
  std::string folder_;
  TempConfigHome config_;
  pid_t pid_ = -1;
};

TEST_P(DemoWindowTest, AfterNoTheWholeFormAndItsMenuAreOnScreenAndExitEndsTheProgram) {
  Start();
  AnswerNo();
  const auto dialog = WaitForWindow("KorEnumWindow", "KorvelDemo");
  ASSERT_TRUE(dialog) << "the device dialog did not open";

  // The main form is the borderless window at (0, 0), 640 x 480 with its menu bar.
  const auto form = Listed("Form1", "KorvelDemo");
  ASSERT_TRUE(form);
  EXPECT_EQ(form->x, 0);
  EXPECT_EQ(form->y, 0);
  EXPECT_EQ(form->width, kFormWidth);
  EXPECT_EQ(form->height, kFormHeight);
  const auto before = Shot("root", "dialog");
  ASSERT_TRUE(before);
  // The menu bar at the top of the screen: its face, with "File" written on it.
  int face = 0, text = 0;
  for (int y = 0; y < kMenuBar; ++y)
    for (int x = 0; x < 60; ++x) {
      const Rgb c = PixelAt(*before, x, y);
      face += c.r > 200 && c.g > 200 && c.b > 200;
      text += c.r + c.g + c.b < 200;
    }
  EXPECT_GT(face, 60 * kMenuBar / 2) << "no menu bar at the top of the screen";
  EXPECT_GT(text, 10) << "no \"File\" on the menu bar";

  Click(dialog->x + kStartX, dialog->y + kStartY);
  ASSERT_TRUE(Gone("KorEnumWindow", "KorvelDemo")) << "the dialog is still open";
  const int endBefore = TextEnd(*before, kEditLeft, kMenuBar + kEditTop);
  const auto shot = WaitForScreen("window", [&](const Picture& Shot) {
    return FindFigure(Shot, kViewLeft, kMenuBar + kViewTop, kViewWidth, kViewHeight).pixels >
               2000 &&
           TextEnd(Shot, kEditLeft, kMenuBar + kEditTop) > endBefore + 8;
  });
  ASSERT_TRUE(shot);
  // The view shows the drawing: a black background with the coloured figure on it.
  int black = 0;
  for (int y = 0; y < kViewHeight; ++y)
    for (int x = 0; x < kViewWidth; ++x) {
      const Rgb c = PixelAt(*shot, kViewLeft + x, kMenuBar + kViewTop + y);
      black += std::max({c.r, c.g, c.b}) < 16;
    }
  EXPECT_GT(black, kViewWidth * kViewHeight / 2) << "the view's background is not drawn";
  EXPECT_GT(FindFigure(*shot, kViewLeft, kMenuBar + kViewTop, kViewWidth, kViewHeight).pixels, 2000)
      << "the figure is not drawn";
  // The edit box's "Edit1" became the longer "FPS =" text.
  const int endAfter = TextEnd(*shot, kEditLeft, kMenuBar + kEditTop);
  EXPECT_GT(endBefore, 0) << "no text in the edit box before the start-up";
  EXPECT_GT(endAfter, endBefore + 8) << "the frame-rate text does not show";

  EXPECT_EQ(ExitThroughTheMenu(), 0);
  // Start stored the first run's choice.
  std::ifstream stored(config_.Folder() / "Korvel_Soft.ini");
  std::stringstream saved;
  saved << stored.rdbuf();
  EXPECT_NE(saved.str().find("Enum_Checkbox=-1"), std::string::npos) << saved.str();
}

// The figure's box over a few pictures: the range its edges sway through.
struct Sway {
  Figure low, high;
  // True when every edge of Other swayed within this range, give or take Slack pixels.
  bool Holds(const Sway& Other, int Slack) const {
    return Other.low.bottom >= low.bottom - Slack && Other.high.bottom <= high.bottom + Slack &&
           Other.low.right >= low.right - Slack && Other.high.right <= high.right + Slack;
  }
};

TEST_P(DemoWindowTest, ADragReleasedOutsideTheWindowStopsTurning) {
  Start();
  AnswerNo();
  PressStart();
  ASSERT_GT(WaitForFigure("started").pixels, 2000);
  // The upper body sways a lot; the base (the disc) stays: its bottom and right edges show
  // how the figure is turned.
  auto sway = [&](const std::string& Name) {
    Sway s;
    s.low.bottom = s.low.right = 1 << 20;
    for (int i = 0; i < 6; ++i) {
      const Figure f = ViewFigure(Name + std::to_string(i));
      s.low.bottom = std::min(s.low.bottom, f.bottom);
      s.high.bottom = std::max(s.high.bottom, f.bottom);
      s.low.right = std::min(s.low.right, f.right);
      s.high.right = std::max(s.high.right, f.right);
      std::this_thread::sleep_for(100ms);
    }
    std::printf("%s: bottom %d..%d, right %d..%d\n", Name.c_str(), s.low.bottom, s.high.bottom,
                s.low.right, s.high.right);
    return s;
  };
  constexpr int kSlack = 3;
  const int viewX = kViewLeft + kViewWidth / 2, viewY = kMenuBar + kViewTop + kViewHeight / 2;
  // Drag from the view's centre down past the window's bottom edge and let go there.
  MoveTo(viewX, viewY);
  x_->Run("xdotool mousedown 1");
  for (int y = viewY + 40; y <= 700; y += 40) MoveTo(viewX + 5, y);
  x_->Run("xdotool mouseup 1");
  std::this_thread::sleep_for(500ms);
  const Sway released = sway("after_drag");
  // Back over the view with no button held: moving up across it must turn nothing now (a
  // stuck drag would tilt the figure by about 3 radians).
  auto acrossTheView = [&] {
    for (int y = kMenuBar + kViewTop + kViewHeight - 20; y > kMenuBar + kViewTop; y -= 30)
      MoveTo(viewX - 100, y);
  };
  MoveTo(viewX - 100, kMenuBar + kViewTop + kViewHeight - 20);
  acrossTheView();
  std::this_thread::sleep_for(500ms);
  const Sway moved = sway("after_moves");
  EXPECT_TRUE(released.Holds(moved, kSlack)) << "the figure turned with no button held";

  // The same measure sees the same moves made as a drag: they turn the figure.
  MoveTo(viewX - 100, kMenuBar + kViewTop + kViewHeight - 20);
  x_->Run("xdotool mousedown 1");
  acrossTheView();
  x_->Run("xdotool mouseup 1");
  std::this_thread::sleep_for(500ms);
  EXPECT_FALSE(released.Holds(sway("after_second_drag"), kSlack))
      << "a drag inside the view did not turn the figure: the check above proves nothing";
  EXPECT_EQ(ExitThroughTheMenu(), 0);
}

TEST_P(DemoWindowTest, AnUnwritableSettingsFolderStillStartsTheDemo) {
  // A configuration folder below a plain file cannot be made, not even by root.
  const std::string blocker = folder_ + "settings_blocker";
  std::ofstream(blocker) << "a file, not a folder\n";
  Start(KOR_ASSETS_DIR, blocker + "/config");
  AnswerNo();
  ClickStart();
  // One warning says the choice could not be saved; its OK starts the demo with the choice.
  ASSERT_TRUE(WaitForWindow("Warning")) << "no warning that the choice was not saved";
  Shot("root", "warning");
  AnswerBox("Warning");
  ASSERT_TRUE(Gone("KorEnumWindow", "KorvelDemo")) << "the dialog is still open";
  EXPECT_GT(WaitForFigure("unsaved").pixels, 2000) << "the demo did not start";
  EXPECT_FALSE(Listed("Warning")) << "the warning came back";
  EXPECT_EQ(ExitThroughTheMenu(), 0);
}

TEST_P(DemoWindowTest, AClosedQuestionIsANoAndAClosedDialogIsExit) {
  Start();
  const auto box = WaitForWindow("FullScreen?");
  ASSERT_TRUE(box);
  ASSERT_TRUE(x_->CloseWindow(box->id));
  const auto dialog = WaitForWindow("KorEnumWindow", "KorvelDemo");
  ASSERT_TRUE(dialog) << "the device dialog did not open";
  // Windowed, as after No: the form is the 640 x 480 window, not the whole screen.
  const auto form = Listed("Form1", "KorvelDemo");
  ASSERT_TRUE(form);
  EXPECT_EQ(form->width, kFormWidth);
  EXPECT_EQ(form->height, kFormHeight);
  Shot("root", "closed_question");
  // Closing the dialog is Exit: the program ends at once and saves nothing.
  ASSERT_TRUE(x_->CloseWindow(dialog->id));
  EXPECT_EQ(WaitForExit(testsupport::kWindowDeadline), 0);
  EXPECT_FALSE(config_.HoldsAnyFile());
}

TEST_P(DemoWindowTest, FullScreenShowsTheWholePictureLetterboxed) {
  Start();
  AnswerBox("FullScreen?", false);  // Yes
  PressStart();
  std::optional<XWindow> form;
  WaitUntil([&] { return (form = Listed("Form1", "KorvelDemo")) && form->width == 1024; }, {},
            testsupport::kWindowDeadline, 200ms);
  ASSERT_TRUE(form);
  EXPECT_EQ(form->x, 0);
  EXPECT_EQ(form->y, 0);
  EXPECT_EQ(form->width, 1024);
  EXPECT_EQ(form->height, 768);
  // The 640 x 480 screen fills the 1024 x 768 display (the same shape): the view's picture,
  // 512 x 368 at (64, 56), is 1.6 times as large at (102, 90). Until the window has drawn
  // itself full screen, a screenshot may still show its windowed layout.
  Figure figure;
  const auto shot = WaitForScreen("fullscreen", [&](const Picture& Shot) {
    figure = FindFigure(Shot, 0, 0, 1024, 768);
    return figure.pixels > 4000 && figure.left >= 102 && figure.top >= 90;
  });
  ASSERT_TRUE(shot);
  EXPECT_GT(figure.pixels, 2000 * 2) << "the figure is not drawn";
  EXPECT_GE(figure.left, 102);
  EXPECT_LE(figure.right, 102 + 819);
  EXPECT_GE(figure.top, 90);
  EXPECT_LE(figure.bottom, 90 + 589);

  // Close with the window manager's close (or what it sends): the release, status 0.
  ASSERT_TRUE(x_->CloseWindow(form->id));
  EXPECT_EQ(WaitForExit(testsupport::kWindowDeadline), 0);
}

TEST_P(DemoWindowTest, AMissingAssetIsExplainedInABoxThatFitsBesideARepaintedWindow) {
  const std::string empty = folder_ + "no_assets";
  std::filesystem::create_directories(empty);
  Start(empty);
  AnswerNo();
  const auto dialog = WaitForWindow("KorEnumWindow", "KorvelDemo");
  ASSERT_TRUE(dialog);
  const auto before = Shot("root", "before_error");
  ASSERT_TRUE(before);
  Click(dialog->x + kStartX, dialog->y + kStartY);
  const auto error = WaitForWindow("Error");
  ASSERT_TRUE(error) << "no error box";
  const auto shot = Shot("root", "error");
  ASSERT_TRUE(shot);
  // The long message (a whole path and a hint) is wrapped: the box lies on the screen.
  EXPECT_GE(error->x, 0);
  EXPECT_LE(error->x + error->width, 1024);
  EXPECT_LT(error->width, 700);
  // Where the dialog was, the main window shows itself again while the box is open: outside
  // the box, the form's part that the dialog covered looks as it does once the box is gone,
  // and no longer as it did with the dialog on it.
  AnswerBox("Error");
  std::this_thread::sleep_for(500ms);
  const auto after = Shot("root", "after_error");
  ASSERT_TRUE(after);
  int likeAfter = 0, likeDialog = 0, compared = 0;
  for (int y = dialog->y; y < std::min(dialog->y + dialog->height, kFormHeight); ++y)
    for (int x = dialog->x; x < std::min(dialog->x + dialog->width, kFormWidth); ++x) {
      if (x >= error->x - 8 && x < error->x + error->width + 8 && y >= error->y - 30 &&
          y < error->y + error->height + 8)
        continue;
      auto same = [&](const Picture& a, const Picture& b) {
        const Rgb p = PixelAt(a, x, y), q = PixelAt(b, x, y);
        return p.r == q.r && p.g == q.g && p.b == q.b;
      };
      ++compared;
      likeAfter += same(*shot, *after);
      likeDialog += same(*shot, *before);
    }
  ASSERT_GT(compared, 1000);
  EXPECT_GT(likeAfter, compared * 9 / 10) << "the form was not repainted beside the box";
  EXPECT_LT(likeDialog, compared / 2) << "the dialog's remains are still there";
  EXPECT_EQ(ExitThroughTheMenu(), 0);
}

// Processor seconds the process has used so far (user and system).
double ProcessorSeconds(pid_t Process) {
  std::ifstream stat("/proc/" + std::to_string(Process) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));  // after the command's name
  std::vector<std::string> values;
  for (std::string value; fields >> value;) values.push_back(value);
  if (values.size() < 13) return 0;
  // Fields 14 and 15 of the line (utime, stime) are the 12th and 13th after the name.
  return (std::stod(values[11]) + std::stod(values[12])) /
         static_cast<double>(sysconf(_SC_CLK_TCK));
}

TEST_P(DemoWindowTest, AMinimisedDemoWaitsInsteadOfDrawing) {
  Start();
  AnswerNo();
  PressStart();
  const auto form = Listed("Form1", "KorvelDemo");
  ASSERT_TRUE(form);
  ASSERT_GT(WaitForFigure("started").pixels, 2000);
  const double visibleStart = ProcessorSeconds(pid_);
  std::this_thread::sleep_for(2s);
  const double visible = ProcessorSeconds(pid_) - visibleStart;
  // With a window manager the window is minimised; on a bare server, unmapped.
  x_->Run(std::string("xdotool ") + (GetParam() ? "windowminimize " : "windowunmap ") + form->id);
  std::this_thread::sleep_for(1s);
  const double hiddenStart = ProcessorSeconds(pid_);
  std::this_thread::sleep_for(2s);
  const double hidden = ProcessorSeconds(pid_) - hiddenStart;
  std::printf("processor time in 2 s: %.2f s shown, %.2f s minimised\n", visible, hidden);
  EXPECT_LT(hidden, 0.2) << "the demo kept drawing while it could not be seen";
  // Shown again, it draws again.
  x_->Run(std::string("xdotool ") + (GetParam() ? "windowactivate " : "windowmap ") + form->id);
  std::this_thread::sleep_for(1s);
  const double againStart = ProcessorSeconds(pid_);
  std::this_thread::sleep_for(1s);
  EXPECT_GT(ProcessorSeconds(pid_) - againStart, hidden / 2 + 0.05) << "no frames after restoring";
  EXPECT_EQ(ExitThroughTheMenu(), 0);
}

INSTANTIATE_TEST_SUITE_P(WindowManager, DemoWindowTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& Info) {
                           return Info.param ? std::string("Openbox") : std::string("Bare");
                         });

// With no display at all the program says so plainly, and where to go instead.
TEST(DemoWithoutDisplayTest, SaysThatNoDisplayWasFoundAndNamesSnapshot) {
  const std::string out = ::testing::TempDir() + "korvel_no_display.txt";
  const std::string command = std::string("cd ") + KOR_ASSETS_DIR +
                              " && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " +
                              KOR_DEMO_PROGRAM + " >" + out + " 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  std::ifstream in(out);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("no display was found"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("snapshot"), std::string::npos) << text.str();
  EXPECT_EQ(text.str().find("zenity"), std::string::npos) << text.str();
  EXPECT_EQ(text.str().find("XDG_RUNTIME_DIR"), std::string::npos) << text.str();
}

}  // namespace
