// The desktop backend in a real window. These tests need an X display (CI runs the suite
// under xvfb-run) and are skipped without one; the pictures they take are written to the test
// temporary folder as PNG files. The last suite runs SDL's dummy video driver instead, with no
// display at all.
#include "framework/backends/DesktopBackend.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
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

namespace {

bool HasDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

// Tests of real windows on one X display run one at a time, also across the test processes
// that ctest runs in parallel: the pointer, the focus and a full-screen window are shared.
class DisplayLock {
 public:
  DisplayLock() {
    const std::string path =
        ::testing::TempDir() + "kor_desktop_tests" + std::string(std::getenv("DISPLAY")) + ".lock";
    descriptor_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor_ >= 0) ::flock(descriptor_, LOCK_EX);
  }
  ~DisplayLock() {
    if (descriptor_ >= 0) ::close(descriptor_);  // closing releases the lock
  }
  DisplayLock(const DisplayLock&) = delete;
  DisplayLock& operator=(const DisplayLock&) = delete;

 private:
  int descriptor_ = -1;
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

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HasDisplay()) GTEST_SKIP() << "no X display: the desktop backend is tested under xvfb-run";
    lock_ = std::make_unique<DisplayLock>();
    desktop = &UseDesktopBackend(DesktopOptions{true});
    form = new TForm(Application);
    form->SetCaption("Form1");
    form->SetBounds(100, 80, 320, 200);
  }
  void TearDown() override {
    if (!desktop) return;
    Application->DestroyComponents();
    UseHeadlessBackend();
  }

  Frame Capture(const std::string& Name) {
    Frame frame;
    EXPECT_TRUE(desktop->CaptureWindow(*form, &frame.pixels, &frame.width, &frame.height));
    const std::string path = ::testing::TempDir() + "desktop_" + Name + ".png";
    kor::testsupport::WritePng(
        path, kor::testsupport::PictureFromXrgb8888(frame.pixels.data(), frame.width, frame.height,
                                                    frame.width * 4));
    std::cout << "picture: " << path << "\n";
    return frame;
  }

  template <class T>
  T* Make(int X, int Y, int W, int H) {
    T* control = new T(form);
    control->SetParent(form);
    control->SetBounds(X, Y, W, H);
    return control;
  }

  std::unique_ptr<DisplayLock> lock_;
  DesktopBackend* desktop = nullptr;
  TForm* form = nullptr;
};

TEST_F(DesktopTest, AFormShowsItsButtonAndEditAtTheirPlaces) {
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

TEST_F(DesktopTest, TheMenuBarLiesAboveTheClientArea) {
  auto* menu = new TMainMenu(form);
  auto* file = new TMenuItem(form);
  file->SetCaption("&File");
  menu->Items()->Add(file);
  form->SetMenu(menu);
  form->Show();
  const Frame frame = Capture("menu");
  EXPECT_EQ(frame.width, 320);
  EXPECT_GT(frame.height, 200) << "the client area keeps its height below the bar";
  EXPECT_GE(frame.Colours(0, 0, 60, frame.height - 200).size(), 2u) << "the bar shows \"File\"";
}

TEST_F(DesktopTest, ADirectDrawControlShowsTheScreenPixelsUnderIt) {
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

TEST_F(DesktopTest, AFormOwningTheFullScreenShowsTheWholeFrontBufferLetterboxed) {
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
  screen.SetFullScreenWindow(nullptr);
  screen.RestoreDesktop();

  EXPECT_GT(frame.width, 320) << "the window became full screen";
  const int middle = frame.height / 2;
  EXPECT_EQ(frame.At(frame.width / 2 - 4, middle), 0x00FF00u);
  EXPECT_EQ(frame.At(frame.width / 2 + 4, middle), 0x0000FFu);
}

TEST_F(DesktopTest, AFullScreenWindowLosesTheDisplayWithTheFocusAndRepaintsOnItsReturn) {
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

TEST_F(DesktopTest, AClickOnAButtonRunsItsOnClick) {
  auto* button = Make<TButton>(16, 150, 75, 25);
  button->SetCaption("begin");
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  SDL_Window* window = desktop->WindowOf(*form);
  ASSERT_NE(window, nullptr);
  SDL_RaiseWindow(window);
  SDL_WarpMouseInWindow(window, 16 + 30, 150 + 12);
  // Let the window and the pointer settle (events, a few frames).
  for (int i = 0; i < 20; ++i) {
    Application->ProcessMessages();
    desktop->RefreshNow();
  }
  for (Uint8 state : {SDL_PRESSED, SDL_RELEASED}) {
    SDL_Event event{};
    event.type = state == SDL_PRESSED ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = SDL_GetWindowID(window);
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = state;
    event.button.x = 16 + 30;
    event.button.y = 150 + 12;
    SDL_PushEvent(&event);
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  }
  for (int i = 0; i < 20 && clicks == 0; ++i) Application->ProcessMessages();
  EXPECT_EQ(clicks, 1);
}

TEST_F(DesktopTest, MouseEventsOffTheWidgetsReachTheFormInClientCoordinates) {
  std::vector<std::string> log;
  form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int X, int Y) {
    log.push_back("down " + std::to_string(X) + "," + std::to_string(Y));
  };
  form->OnClick = [&](TObject*) { log.push_back("click"); };
  form->Show();
  for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
    SDL_Event event{};
    event.type = type;
    event.button.windowID = SDL_GetWindowID(desktop->WindowOf(*form));
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = 200;
    event.button.y = 120;
    SDL_PushEvent(&event);
  }
  for (int i = 0; i < 10; ++i) Application->ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"down 200,120", "click"}));
}

TEST_F(DesktopTest, TheIdleEventRunsBackToBackAndClosingTheWindowEndsTheLoop) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetBounds(0, 0, 200, 100);
  int passes = 0;
  bool closed = false;
  main->OnClose = [&](TObject*, TCloseAction&) { closed = true; };
  Application->OnIdle = [&](TObject*, bool& Done) {
    Done = false;
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

TEST_F(DesktopTest, ChangingTheFormFollowsInTheWindow) {
  form->Show();
  form->SetBounds(0, 0, 640, 480);
  form->SetBorderStyle(bsNone);
  form->SetCaption("Moved");
  SDL_Window* window = desktop->WindowOf(*form);
  int w = 0;
  int h = 0;
  SDL_GetWindowSize(window, &w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_NE(SDL_GetWindowFlags(window) & SDL_WINDOW_BORDERLESS, 0u);
  EXPECT_STREQ(SDL_GetWindowTitle(window), "Moved");
  form->Hide();
  EXPECT_EQ(desktop->WindowOf(*form), nullptr);
}

// SDL's dummy video driver: windows without a display, and message boxes that cannot be shown.
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
  desktop::ConvertRowToArgb(view, nullptr, 0, 0, 3, out);
  EXPECT_EQ(out[0], 0xFFFF0000u);
  EXPECT_EQ(out[1], 0xFF00FF00u);
  EXPECT_EQ(out[2], 0xFFFFFFFFu) << "white stays white";

  std::uint8_t indices[2] = {3, 200};
  PALETTEENTRY palette[256] = {};
  palette[200] = PALETTEENTRY{1, 2, 3, 0};
  platform::PixelView indexed{indices, 2, 2, 1, 8};
  desktop::ConvertRowToArgb(indexed, palette, 1, 0, 1, out);
  EXPECT_EQ(out[0], 0xFF010203u);

  std::uint32_t colours[2] = {0x00123456, 0xAB654321};
  platform::PixelView full{reinterpret_cast<std::uint8_t*>(colours), 8, 2, 1, 32};
  desktop::ConvertRowToArgb(full, nullptr, 0, 0, 2, out);
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
