// The real program in its window on an X display (the test command runs under xvfb-run): it is
// started in assets/, the user's answers are given with xdotool ("No" to "FullScreen?", Start
// in the device dialog), and screenshots of the display show the figure in the view and the
// frame-rate text in the edit box. The menu's "Exit" then closes the program, which must end
// with status 0. Skipped without a display or without the X tools.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/Golden.h"
#include "tests/support/TempConfigHome.h"

namespace {

using namespace std::chrono_literals;
using kor::testsupport::Picture;

// The form's client area after the start-up, and the places of the view and the edit box in it.
constexpr int kClientHeight = 480;
constexpr int kViewLeft = 8, kViewTop = 32, kViewWidth = 512, kViewHeight = 386;
constexpr int kEditLeft = 8, kEditTop = 8, kEditWidth = 121, kEditHeight = 20;
// The dialog's Start button (8, 272, 75 x 25), and the menu bar's "File" with its "Exit" item.
constexpr int kStartX = 8 + 37, kStartY = 272 + 12;
constexpr int kFileX = 25, kFileY = 9, kExitX = 25, kExitY = 33;
// SDL's message boxes fill their buttons with this colour.
constexpr int kBoxButtonRed = 105, kBoxButtonGreen = 102, kBoxButtonBlue = 99;

std::string Output(const std::string& Command) {
  std::string text;
  if (FILE* pipe = popen(Command.c_str(), "r")) {
    char buffer[4096];
    size_t read = 0;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, read);
    pclose(pipe);
  }
  return text;
}

bool Succeeds(const std::string& Command) {
  return std::system((Command + " >/dev/null 2>&1").c_str()) == 0;
}

struct XWindow {
  std::string id;
  int x = 0, y = 0, width = 0, height = 0;  // on the root window
};

// One line of `xwininfo -root -tree`:
//   0x600002 "FullScreen?": ("class" "Class")  200x100+593+407  +593+407
// read as the window, its title, what lies between title and geometry, and the size and place
// on the root window; false for other lines.
bool ParseTreeLine(const std::string& Line, XWindow& Window, std::string& Title,
                   std::string& Middle) {
  const size_t id = Line.find("0x");
  const size_t open = Line.find('"', id);
  const size_t close = Line.find("\":", open == std::string::npos ? open : open + 1);
  if (id == std::string::npos || open == std::string::npos || close == std::string::npos)
    return false;
  Window.id = Line.substr(id, Line.find(' ', id) - id);
  Title = Line.substr(open + 1, close - open - 1);
  std::istringstream rest(Line.substr(close + 2));
  std::vector<std::string> words;
  for (std::string word; rest >> word;) words.push_back(word);
  if (words.size() < 2) return false;
  const std::string& geometry = words[words.size() - 2];  // WxH+x+y relative to the parent
  const std::string& place = words.back();                // +x+y on the root window
  Middle = Line.substr(close + 2, Line.rfind(geometry) - close - 2);
  return std::sscanf(geometry.c_str(), "%dx%d", &Window.width, &Window.height) == 2 &&
         std::sscanf(place.c_str(), "%d%d", &Window.x, &Window.y) == 2;
}

// A top-level window whose title is Title (and whose class names Mark, when given), as
// `xwininfo -root -tree` lists it.
std::optional<XWindow> ListedWindow(const std::string& Title, const std::string& Mark) {
  std::istringstream tree(Output("xwininfo -root -tree"));
  for (std::string line; std::getline(tree, line);) {
    XWindow window;
    std::string title, middle;
    if (!ParseTreeLine(line, window, title, middle) || title != Title) continue;
    if (!Mark.empty() && middle.find(Mark) == std::string::npos) continue;
    return window;
  }
  return std::nullopt;
}

// Waits about a second before looking (a window looked at while it opens may fail), then
// looks every half second up to Timeout; a window found gets a moment to draw itself.
std::optional<XWindow> WaitForWindow(const std::string& Title, const std::string& Mark = "",
                                     std::chrono::seconds Timeout = 20s) {
  std::this_thread::sleep_for(1s);
  const auto end = std::chrono::steady_clock::now() + Timeout;
  do {
    if (auto window = ListedWindow(Title, Mark)) {
      std::this_thread::sleep_for(300ms);
      return ListedWindow(Title, Mark);
    }
    std::this_thread::sleep_for(500ms);
  } while (std::chrono::steady_clock::now() < end);
  return std::nullopt;
}

void Click(int X, int Y) {
  Succeeds("xdotool mousemove " + std::to_string(X) + " " + std::to_string(Y));
  std::this_thread::sleep_for(150ms);
  Succeeds("xdotool click 1");
}

std::optional<Picture> Screenshot(const std::string& Window, const std::string& Path) {
  if (!Succeeds("import -window " + Window + " " + Path)) return std::nullopt;
  return kor::testsupport::ReadPng(Path);
}

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
    for (const char* tool : {"xdotool", "xwininfo", "import"})
      if (!Succeeds(std::string("command -v ") + tool)) GTEST_SKIP() << tool << " is missing";
  }
  void TearDown() override {
    if (pid_ <= 0) return;
    // Still running after a failure: stop the program this test started. SDL turns SIGTERM
    // into a quit request, which a program blocked in a message box never reads.
    kill(pid_, SIGTERM);
    if (WaitForExit(5s) < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  void Start() {
    pid_ = fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      // In a sanitizer build the libraries under SDL (D-Bus, Mesa's GL driver, unloaded before
      // the report) leave allocations at exit that the leak checker cannot tell from the
      // program's; the program's own are leak-checked by the headless end-to-end tests, which
      // run the same form. Memory errors and undefined behaviour are still reported here.
      const char* asan = std::getenv("ASAN_OPTIONS");
      const std::string options = std::string(asan ? asan : "") + ":detect_leaks=0";
      setenv("ASAN_OPTIONS", options.c_str(), 1);
      if (chdir(KOR_ASSETS_DIR) == 0) execl(KOR_DEMO_PROGRAM, KOR_DEMO_PROGRAM, nullptr);
      _exit(127);
    }
  }

  // The program's exit status, or -1 when it has not ended within Timeout.
  int WaitForExit(std::chrono::seconds Timeout) {
    const auto end = std::chrono::steady_clock::now() + Timeout;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(100ms);
    }
    return -1;
  }

  TempConfigHome config_;
  pid_t pid_ = -1;
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
  Click(box->x + no->first, box->y + no->second);

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
  Click(dialog->x + kStartX, dialog->y + kStartY);

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
  Click(form->x + kFileX, form->y + kFileY);
  std::this_thread::sleep_for(500ms);
  Click(form->x + kExitX, form->y + kExitY);
  EXPECT_EQ(WaitForExit(20s), 0);

  // Start stored the first run's choice.
  std::ifstream stored(config_.Folder() / "Korvel_Soft.ini");
  std::stringstream text;
  text << stored.rdbuf();
  EXPECT_NE(text.str().find("Enum_Checkbox=-1"), std::string::npos) << text.str();
}

}  // namespace
