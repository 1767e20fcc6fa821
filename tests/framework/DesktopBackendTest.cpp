// The desktop backend in a real window. Each test runs on a virtual X server of its own, once
// bare and once with the openbox window manager (skipped when Xvfb or openbox is missing);
// the pictures they take are written to the test temporary folder as PNG files. Every wait
// is for a condition, with a deadline. The last suite runs SDL's dummy video driver instead,
// with no display at all.
#include "framework/backends/DesktopBackend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Button.h"
#include "framework/CheckBox.h"
#include "framework/Edit.h"
#include "framework/Exceptions.h"
#include "framework/Form.h"
#include "framework/Menu.h"
#include "framework/Panel.h"
#include "framework/backends/HeadlessBackend.h"
#include "framework/backends/ScreenImage.h"
#include "platform/com/ComPtr.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DirectDraw.h"
#include "platform/display/Screen.h"
#include "platform/display/Window.h"
#include "tests/support/Golden.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/XServer.h"

namespace {

using testsupport::WaitUntil;

// Sets an environment variable for the life of the object, then puts the former value back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* Name, const char* Value) : name_(Name) {
    if (const char* old = std::getenv(Name)) former_ = old;
    if (Value)
      ::setenv(Name, Value, 1);
    else
      ::unsetenv(Name);
  }
  ~ScopedEnvironment() {
    if (former_)
      ::setenv(name_.c_str(), former_->c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> former_;
};

// One frame of a window, ARGB8888.
struct Frame {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int X, int Y) const {
    return pixels[static_cast<std::size_t>(Y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(X)] &
           0xFFFFFFu;
  }
  // The distinct colours inside a rectangle.
  std::set<std::uint32_t> Colours(int X, int Y, int W, int H) const {
    std::set<std::uint32_t> colours;
    for (int y = Y; y < Y + H; ++y)
      for (int x = X; x < X + W; ++x) colours.insert(At(x, y));
    return colours;
  }
};

// The parameter: with the openbox window manager or on a bare X server.
class DesktopTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!testsupport::HaveCommand("Xvfb")) GTEST_SKIP() << "Xvfb is missing";
    if (GetParam() && !testsupport::HaveCommand("openbox")) GTEST_SKIP() << "openbox is missing";
    x_ = std::make_unique<testsupport::XServer>(GetParam());
    ASSERT_TRUE(x_->Running()) << x_->Why();
    display_ = std::make_unique<ScopedEnvironment>("DISPLAY", x_->Display().c_str());
    desktop = &UseDesktopBackend(Options());
    form = new TForm(Application);
    form->SetCaption("Form1");
    form->SetBounds(100, 80, 320, 200);
  }
  void TearDown() override {
    if (desktop) {
      Application->DestroyComponents();
      UseHeadlessBackend();
    }
    display_.reset();
    x_.reset();
  }
  virtual DesktopOptions Options() const {
    DesktopOptions options;
    options.SoftwareRenderer = true;
    return options;
  }

  // One pass of the program's loop: waiting events and timers, then every window drawn.
  void Pump() {
    Application->ProcessMessages();
    desktop->RefreshNow();
  }
  // Shows the form and waits until its window is on the screen with the pointer over Point.
  void ShowWithPointerAt(int X, int Y) {
    form->Show();
    SDL_Window* window = desktop->WindowOf(*form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil(
        [&] {
          return (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) != 0 &&
                 x_->Output("xwininfo -name " + form->Caption()).find("IsViewable") !=
                     std::string::npos;
        },
        [&] { Pump(); }));
    SDL_RaiseWindow(window);
    SDL_WarpMouseInWindow(window, X, Y);
    ASSERT_TRUE(WaitUntil(
        [&] {
          int x = -1, y = -1;
          SDL_GetMouseState(&x, &y);
          return SDL_GetMouseFocus() == window && x == X && y == Y;
        },
        [&] { Pump(); }))
        << "the pointer did not reach the window";
  }
  // The place and size of the X window titled Title, as the X server has it.
  struct Geometry {
    int x = -1, y = -1, width = -1, height = -1;
    bool operator==(const Geometry&) const = default;
  };
  Geometry XGeometry(const std::string& Title) const {
    Geometry g;
    std::istringstream info(x_->Output("xwininfo -name " + Title));
    for (std::string line; std::getline(info, line);) {
      std::sscanf(line.c_str(), " Absolute upper-left X: %d", &g.x);
      std::sscanf(line.c_str(), " Absolute upper-left Y: %d", &g.y);
      std::sscanf(line.c_str(), " Width: %d", &g.width);
      std::sscanf(line.c_str(), " Height: %d", &g.height);
    }
    return g;
  }
  // Waits until the X server shows the window titled Title with geometry Wanted.
  bool WaitForGeometry(const std::string& Title, Geometry Wanted) {
    Geometry seen;
    const bool reached = WaitUntil(
        [&] {
          seen = XGeometry(Title);
          return seen == Wanted;
        },
        [&] { Pump(); });
    if (!reached)
      ADD_FAILURE() << Title << " is " << seen.width << "x" << seen.height << " at (" << seen.x
                    << ", " << seen.y << ")";
    return reached;
  }
  void PushButton(Uint32 Type, Uint32 WindowId, int X, int Y) {
    SDL_Event event{};
    event.type = Type;
    event.button.windowID = WindowId;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = Type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = X;
    event.button.y = Y;
    SDL_PushEvent(&event);
  }

 public:
  Frame Capture(const std::string& Name) {
    Frame frame;
    EXPECT_TRUE(desktop->CaptureWindow(*form, &frame.pixels, &frame.width, &frame.height));
    const std::string path = ::testing::TempDir() + "desktop_" + Name + ".png";
    testsupport::WritePng(path, testsupport::PictureFromXrgb8888(frame.pixels.data(), frame.width,
                                                                 frame.height, frame.width * 4));
    std::cout << "picture: " << path << "\n";
    return frame;
  }

 protected:
  template <class T>
  T* Make(int X, int Y, int W, int H) {
    T* control = new T(form);
    control->SetParent(form);
    control->SetBounds(X, Y, W, H);
    return control;
  }

  std::unique_ptr<testsupport::XServer> x_;
  std::unique_ptr<ScopedEnvironment> display_;
  DesktopBackend* desktop = nullptr;
  TForm* form = nullptr;
};

TEST_P(DesktopTest, AFormShowsItsButtonAndEditAtTheirPlaces) {
  auto* button = Make<TButton>(16, 150, 75, 25);
  button->SetCaption("begin");
  auto* edit = Make<TEdit>(8, 8, 121, 20);
  edit->SetText("FPS =81.3008130081301");
  auto* check = Make<TCheckBox>(160, 150, 120, 17);
  check->SetCaption("FullScreen");
  form->Show();
  const Frame frame = Capture("form");
  ASSERT_EQ(frame.width, 320);
  ASSERT_EQ(frame.height, 200);
  const std::uint32_t background = frame.At(300, 100);
  EXPECT_EQ(frame.Colours(200, 60, 100, 60).size(), 1u) << "an empty part of the form is plain";
  // ImGui's default font is a pixel font: text on a face gives two colours.
  // The button: a face unlike the form's, with its caption drawn on it.
  const std::uint32_t face = frame.At(16 + 3, 150 + 3);
  EXPECT_NE(face, background);
  EXPECT_EQ(frame.At(16 + 74, 150 + 24), face) << "the face fills the button's stored size";
  EXPECT_GE(frame.Colours(16, 150, 75, 25).size(), 2u);
  // The edit box: its field and its text.
  EXPECT_NE(frame.At(8 + 2, 8 + 2), background);
  EXPECT_GE(frame.Colours(8, 8, 121, 18).size(), 2u);
  // The check box: its box and caption.
  EXPECT_GE(frame.Colours(160, 150, 120, 17).size(), 3u);
}

// The menu bar is exactly kMenuBarHeight high, whatever font gives its captions' glyphs
// (the form's layout counts on it), and lies above the client area.
void ExpectMenuBarAboveTheClientArea(DesktopTest& Test, TForm* Form, const char* Caption,
                                     const std::string& Name) {
  auto* menu = new TMainMenu(Form);
  auto* file = new TMenuItem(Form);
  file->SetCaption(Caption);
  menu->Items()->Add(file);
  Form->SetMenu(menu);
  EXPECT_EQ(Form->ClientHeight(), 200) << "the client area keeps its height below the bar";
  Form->Show();
  const Frame frame = Test.Capture(Name);
  ASSERT_EQ(frame.width, 320);
  ASSERT_EQ(frame.height, 200 + kMenuBarHeight) << "the window is the form's outer size";
  EXPECT_GE(frame.Colours(0, 0, 60, kMenuBarHeight).size(), 2u) << "the bar shows its caption";
  const std::uint32_t bar = frame.At(300, 2);
  EXPECT_EQ(frame.At(300, kMenuBarHeight - 1), bar) << "the bar is shorter than kMenuBarHeight";
  EXPECT_NE(frame.At(300, kMenuBarHeight), bar) << "the bar is taller than kMenuBarHeight";
  EXPECT_EQ(frame.At(300, kMenuBarHeight), frame.At(300, 150)) << "the client area starts there";
}

TEST_P(DesktopTest, TheMenuBarLiesAboveTheClientArea) {
  ExpectMenuBarAboveTheClientArea(*this, form, "&File", "menu");
}

TEST_P(DesktopTest, AJapaneseMenuCaptionKeepsTheMenuBarsHeight) {
  ExpectMenuBarAboveTheClientArea(*this, form, "ファイル", "menu_japanese");
}

// "終了" drawn with the glyphs of the Japanese font looks unlike "??", which is what the
// default font alone draws for it.
TEST_P(DesktopTest, JapaneseCaptionsShowTheirGlyphs) {
  if (!std::filesystem::exists(DesktopOptions().GlyphFonts.front()))
    GTEST_SKIP() << "fonts-droid-fallback is not installed";
  auto* japanese = Make<TButton>(16, 100, 75, 25);
  japanese->SetCaption("終了");
  auto* unknown = Make<TButton>(16, 150, 75, 25);
  unknown->SetCaption("??");
  form->Show();
  const Frame frame = Capture("japanese");
  int differing = 0;
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < 75; ++x)
      differing += frame.At(16 + x, 100 + y) != frame.At(16 + x, 150 + y);
  EXPECT_GT(differing, 20) << "\"終了\" is drawn as \"??\"";
}

TEST_P(DesktopTest, ADirectDrawControlShowsTheScreenPixelsUnderIt) {
  auto* view = Make<TPanel>(40, 30, 64, 48);
  form->Show();
  // The program's DirectDraw binds a clipper to the view's window ...
  ComPtr<IDirectDraw> draw;
  ASSERT_EQ(DirectDrawCreate(nullptr, draw.Put(), nullptr), DD_OK);
  ComPtr<IDirectDrawClipper> clipper;
  ASSERT_EQ(draw->CreateClipper(0, clipper.Put(), nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, view->Handle()), DD_OK);
  // ... and draws on the screen there: a red square over the view's top-left corner.
  platform::Screen& screen = platform::Screen::Get();
  const platform::PixelView pixels = screen.View();
  RECT r;
  GetWindowRect(view->Handle(), &r);
  for (LONG y = r.top - 4; y < r.top + 16; ++y)
    for (LONG x = r.left - 4; x < r.left + 16; ++x)
      reinterpret_cast<std::uint16_t*>(pixels.Row(y))[x] = 0xF800;
  screen.NoteChange();

  const Frame frame = Capture("screen");
  EXPECT_EQ(frame.At(40, 30), 0xFF0000u);
  EXPECT_EQ(frame.At(40 + 15, 30 + 15), 0xFF0000u);
  EXPECT_EQ(frame.At(40 + 20, 30 + 20), 0x000000u) << "the rest of the screen there is black";
  EXPECT_NE(frame.At(38, 28), 0xFF0000u) << "outside the view the form is drawn, not the screen";
}

TEST_P(DesktopTest, AFormOwningTheFullScreenShowsTheWholeFrontBufferLetterboxed) {
  form->Show();
  platform::Screen& screen = platform::Screen::Get();
  ASSERT_TRUE(screen.SetDisplayMode(640, 480, 16));
  screen.SetFullScreenWindow(form->Handle());
  const platform::PixelView pixels = screen.View();
  for (LONG y = 0; y < 480; ++y)
    for (LONG x = 0; x < 640; ++x)
      reinterpret_cast<std::uint16_t*>(pixels.Row(y))[x] = x < 320 ? 0x07E0 : 0x001F;
  screen.NoteChange();
  const Frame frame = Capture("fullscreen");
  // On the X server too, with or without a window manager to carry it out.
  WaitForGeometry("Form1", Geometry{0, 0, 1024, 768});
  screen.SetFullScreenWindow(nullptr);
  screen.RestoreDesktop();

  EXPECT_GT(frame.width, 320) << "the window became full screen";
  const int middle = frame.height / 2;
  EXPECT_EQ(frame.At(frame.width / 2 - 4, middle), 0x00FF00u);
  EXPECT_EQ(frame.At(frame.width / 2 + 4, middle), 0x0000FFu);
}

TEST_P(DesktopTest, AFullScreenWindowLosesTheDisplayWithTheFocusAndRepaintsOnItsReturn) {
  int paints = 0;
  form->OnPaint = [&](TObject*) { ++paints; };
  form->Show();
  platform::Screen& screen = platform::Screen::Get();
  const auto send = [&](Uint8 Event) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(desktop->WindowOf(*form));
    event.window.event = Event;
    SDL_PushEvent(&event);
  };
  // Waits until Done holds or two seconds have passed; says whether it held.
  const auto waitFor = [](const std::function<bool()>& Done) {
    const Uint64 deadline = SDL_GetTicks64() + 2000;
    while (!Done() && SDL_GetTicks64() < deadline) Application->ProcessMessages();
    return Done();
  };
  // Not full screen: nothing is lost.
  const std::uint64_t windowed = screen.VideoMemoryGeneration();
  send(SDL_WINDOWEVENT_FOCUS_LOST);
  send(SDL_WINDOWEVENT_MINIMIZED);
  // Until both events were handled (none left in the queue).
  EXPECT_TRUE(waitFor([] {
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT) == 0;
  }));
  EXPECT_EQ(screen.VideoMemoryGeneration(), windowed);

  ASSERT_TRUE(screen.SetDisplayMode(640, 480, 16));
  screen.SetFullScreenWindow(form->Handle());
  const std::uint64_t before = screen.VideoMemoryGeneration();
  send(SDL_WINDOWEVENT_FOCUS_LOST);
  EXPECT_TRUE(waitFor([&] { return screen.VideoMemoryGeneration() > before; }));
  paints = 0;
  send(SDL_WINDOWEVENT_FOCUS_GAINED);
  EXPECT_TRUE(waitFor([&] { return paints > 0; }));
  const std::uint64_t afterFocus = screen.VideoMemoryGeneration();
  send(SDL_WINDOWEVENT_MINIMIZED);
  EXPECT_TRUE(waitFor([&] { return screen.VideoMemoryGeneration() > afterFocus; }));
  screen.SetFullScreenWindow(nullptr);
  screen.RestoreDesktop();
}

TEST_P(DesktopTest, AClickOnAButtonRunsItsOnClick) {
  auto* button = Make<TButton>(16, 150, 75, 25);
  button->SetCaption("begin");
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  ShowWithPointerAt(16 + 30, 150 + 12);
  const Uint32 id = SDL_GetWindowID(desktop->WindowOf(*form));
  // ImGui sees a press in one frame and the release in a later one.
  PushButton(SDL_MOUSEBUTTONDOWN, id, 16 + 30, 150 + 12);
  ASSERT_TRUE(WaitUntil(
      [&] { return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 0; },
      [&] { Pump(); }));
  Pump();
  PushButton(SDL_MOUSEBUTTONUP, id, 16 + 30, 150 + 12);
  EXPECT_TRUE(WaitUntil([&] { return clicks > 0; }, [&] { Pump(); }));
  // And only once, however long the loop goes on.
  for (int i = 0; i < 5; ++i) Pump();
  EXPECT_EQ(clicks, 1);
}

TEST_P(DesktopTest, ADragReleasedOutsideEveryWindowEndsAtTheFormThatGotThePress) {
  std::vector<std::string> log;
  form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("down"); };
  form->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
  form->Show();
  PushButton(SDL_MOUSEBUTTONDOWN, SDL_GetWindowID(desktop->WindowOf(*form)), 200, 120);
  ASSERT_TRUE(WaitUntil([&] { return log.size() == 1; }, [&] { Pump(); }));
  // Released outside: SDL names no window for it.
  PushButton(SDL_MOUSEBUTTONUP, 0, 900, 700);
  EXPECT_TRUE(WaitUntil([&] { return log.size() == 2; }, [&] { Pump(); }));
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up"}));
}

TEST_P(DesktopTest, MouseEventsOffTheWidgetsReachTheFormInClientCoordinates) {
  std::vector<std::string> log;
  form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int X, int Y) {
    log.push_back("down " + std::to_string(X) + "," + std::to_string(Y));
  };
  form->OnClick = [&](TObject*) { log.push_back("click"); };
  form->Show();
  for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP})
    PushButton(type, SDL_GetWindowID(desktop->WindowOf(*form)), 200, 120);
  WaitUntil([&] { return log.size() >= 2; }, [&] { Pump(); });
  EXPECT_EQ(log, (std::vector<std::string>{"down 200,120", "click"}));
}

TEST_P(DesktopTest, TheWheelAndDroppedFilesReachTheForm) {
  std::vector<std::string> log;
  form->OnMouseWheel = [&](TObject*, TShiftState, int Delta, POINT At, bool& Handled) {
    log.push_back("wheel " + std::to_string(Delta) + " at " + std::to_string(At.x) + "," +
                  std::to_string(At.y));
    Handled = true;
  };
  form->OnDropFiles = [&](TObject*, const std::vector<std::string>& Files) {
    log.push_back("dropped " + Files.at(0));
  };
  form->Show();
  const Uint32 id = SDL_GetWindowID(desktop->WindowOf(*form));
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.windowID = id;
  wheel.wheel.y = -2;  // two notches toward the user
  wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
  wheel.wheel.mouseX = 150;
  wheel.wheel.mouseY = 100;
  SDL_PushEvent(&wheel);
  SDL_Event drop{};
  drop.type = SDL_DROPFILE;
  drop.drop.windowID = id;
  drop.drop.file = SDL_strdup("/tmp/model.kor");  // the backend frees it, as SDL's own
  SDL_PushEvent(&drop);
  for (int i = 0; i < 10; ++i) Application->ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"wheel -240 at 150,100", "dropped /tmp/model.kor"}));
}

TEST_P(DesktopTest, TheIdleEventRunsBackToBackAndClosingTheWindowEndsTheLoop) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetBounds(0, 0, 200, 100);
  int passes = 0;
  bool closed = false;
  main->OnClose = [&](TObject*, TCloseAction&) { closed = true; };
  const auto deadline = std::chrono::steady_clock::now() + testsupport::kWindowDeadline;
  Application->OnIdle = [&](TObject*, bool& Done) {
    Done = false;
    // A close that never arrives ends the loop at the deadline, and the test fails.
    if (std::chrono::steady_clock::now() > deadline) Application->Terminate();
    if (++passes == 200) {
      SDL_Event event{};
      event.type = SDL_WINDOWEVENT;
      event.window.event = SDL_WINDOWEVENT_CLOSE;
      event.window.windowID = SDL_GetWindowID(desktop->WindowOf(*main));
      SDL_PushEvent(&event);
    }
  };
  Application->Run();
  Application->OnIdle = nullptr;
  EXPECT_TRUE(closed);
  EXPECT_GE(passes, 200);
}

TEST_P(DesktopTest, ChangingTheFormFollowsInTheWindow) {
  form->Show();
  ASSERT_TRUE(WaitUntil([&] { return XGeometry("Form1").width == 320; }, [&] { Pump(); }));
  // As the program's start-up does it: borderless first, then the place and size. The window
  // is where the form says, also when a window manager just took its frame away.
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 640, 480);
  form->SetCaption("Moved");
  SDL_Window* window = desktop->WindowOf(*form);
  WaitForGeometry("Moved", Geometry{0, 0, 640, 480});
  EXPECT_EQ(form->Left(), 0);
  EXPECT_EQ(form->Top(), 0);
  EXPECT_NE(SDL_GetWindowFlags(window) & SDL_WINDOW_BORDERLESS, 0u);
  EXPECT_STREQ(SDL_GetWindowTitle(window), "Moved");
  form->Hide();
  EXPECT_EQ(desktop->WindowOf(*form), nullptr);
}

// SDL's dummy video driver: windows without a display, and message boxes that cannot be shown.
INSTANTIATE_TEST_SUITE_P(WindowManager, DesktopTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& Info) {
                           return Info.param ? std::string("Openbox") : std::string("Bare");
                         });

// Without the Japanese font the windows still work, with '?' for the missing glyphs.
class DesktopWithoutGlyphFontTest : public DesktopTest {
 protected:
  DesktopOptions Options() const override {
    DesktopOptions options = DesktopTest::Options();
    options.GlyphFonts = {"/no/such/font.ttf"};
    return options;
  }
};

TEST_P(DesktopWithoutGlyphFontTest, JapaneseCaptionsShowAsQuestionMarksQuietly) {
  auto* japanese = Make<TButton>(16, 100, 75, 25);
  japanese->SetCaption("終了");
  auto* unknown = Make<TButton>(16, 150, 75, 25);
  unknown->SetCaption("??");
  form->Show();
  const Frame frame = Capture("no_font");
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < 75; ++x)
      ASSERT_EQ(frame.At(16 + x, 100 + y), frame.At(16 + x, 150 + y)) << x << "," << y;
}

TEST_P(DesktopWithoutGlyphFontTest, AJapaneseMenuCaptionKeepsTheMenuBarsHeight) {
  ExpectMenuBarAboveTheClientArea(*this, form, "ファイル", "menu_no_font");
}

INSTANTIATE_TEST_SUITE_P(WindowManager, DesktopWithoutGlyphFontTest, ::testing::Values(false),
                         [](const ::testing::TestParamInfo<bool>&) { return std::string("Bare"); });

class DesktopWithoutDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Keep("SDL_VIDEODRIVER", driver_);
    Keep("DISPLAY", display_);
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::unsetenv("DISPLAY");
  }
  void TearDown() override {
    Application->DestroyComponents();
    UseHeadlessBackend();
    Restore("SDL_VIDEODRIVER", driver_);
    Restore("DISPLAY", display_);
  }

 private:
  static void Keep(const char* Name, std::optional<std::string>& Into) {
    if (const char* value = std::getenv(Name)) Into = value;
  }
  static void Restore(const char* Name, const std::optional<std::string>& From) {
    if (From)
      ::setenv(Name, From->c_str(), 1);
    else
      ::unsetenv(Name);
  }
  std::optional<std::string> driver_;
  std::optional<std::string> display_;
};

TEST_F(DesktopWithoutDisplayTest, AMessageBoxThatCannotBeShownFailsAtOnceInsteadOfBlocking) {
  UseDesktopBackend(DesktopOptions{true});
  try {
    Application->MessageBox("FullScreen?", "FullScreen?", MB_YESNO);
    FAIL() << "no exception";
  } catch (const EBackendError& error) {
    EXPECT_NE(std::string(error.what()).find("FullScreen?"), std::string::npos) << error.what();
  }
}

TEST_F(DesktopWithoutDisplayTest, TheDefaultErrorBoxReportsThatItCouldNotBeShown) {
  UseDesktopBackend(DesktopOptions{true});
  TForm* main = nullptr;
  Application->CreateForm(main);
  auto* button = new TButton(main);
  button->SetParent(main);
  button->OnClick = [](TObject*) { throw Exception("Cannot open file \"meta.bmp\"."); };
  main->Show();
  EXPECT_THROW(Application->HandleEvent([&] { button->Click(); }), EBackendError);
}

TEST(ScreenImageTest, ScreenCodingsBecomeOpaqueArgb) {
  std::uint16_t wide[3] = {0xF800, 0x07E0, 0xFFFF};
  platform::PixelView view{reinterpret_cast<std::uint8_t*>(wide), 6, 3, 1, 16};
  std::uint32_t out[3] = {};
  framework::backends::ConvertRowToArgb(view, nullptr, 0, 0, 3, out);
  EXPECT_EQ(out[0], 0xFFFF0000u);
  EXPECT_EQ(out[1], 0xFF00FF00u);
  EXPECT_EQ(out[2], 0xFFFFFFFFu) << "white stays white";

  std::uint8_t indices[2] = {3, 200};
  PALETTEENTRY palette[256] = {};
  palette[200] = PALETTEENTRY{1, 2, 3, 0};
  platform::PixelView indexed{indices, 2, 2, 1, 8};
  framework::backends::ConvertRowToArgb(indexed, palette, 1, 0, 1, out);
  EXPECT_EQ(out[0], 0xFF010203u);

  std::uint32_t colours[2] = {0x00123456, 0xAB654321};
  platform::PixelView full{reinterpret_cast<std::uint8_t*>(colours), 8, 2, 1, 32};
  framework::backends::ConvertRowToArgb(full, nullptr, 0, 0, 2, out);
  EXPECT_EQ(out[0], 0xFF123456u);
  EXPECT_EQ(out[1], 0xFF654321u) << "the unused top byte is not alpha";
}

}  // namespace

namespace {

TEST(ScreenWindowTest, AClipperBoundToAWindowMarksItAsShowingTheScreenForItsLife) {
  const HWND view = platform::CreateWindowRecord(nullptr, RECT{8, 32, 520, 418});
  const HWND other = platform::CreateWindowRecord(nullptr, RECT{0, 0, 10, 10});
  EXPECT_FALSE(platform::WindowShowsScreen(view));
  ComPtr<IDirectDraw> draw;
  ASSERT_EQ(DirectDrawCreate(nullptr, draw.Put(), nullptr), DD_OK);
  ComPtr<IDirectDrawClipper> clipper;
  ASSERT_EQ(draw->CreateClipper(0, clipper.Put(), nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, view), DD_OK);
  EXPECT_TRUE(platform::WindowShowsScreen(view));
  EXPECT_FALSE(platform::WindowShowsScreen(other));
  ASSERT_EQ(clipper->SetHWnd(0, nullptr), DD_OK);
  EXPECT_TRUE(platform::WindowShowsScreen(view)) << "what was drawn there stays";
  DestroyWindow(view);
  EXPECT_FALSE(platform::WindowShowsScreen(view));
  EXPECT_FALSE(platform::SetWindowShowsScreen(view, TRUE));
  DestroyWindow(other);
}

}  // namespace
