// The main form on the headless backend: its stored layout, the start-up with scripted answers,
// the frame tick's presentation and frame-rate text, drag turning, the release and what may
// happen around it, and the failures of the start-up.
#include "app/MainForm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "components/KorEnumWin.h"
#include "framework/Application.h"
#include "framework/Menu.h"
#include "framework/backends/HeadlessBackend.h"
#include "platform/com/Unknown.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/SurfaceLock.h"
#include "platform/display/ColorCoding.h"
#include "platform/display/Screen.h"
#include "platform/display/Window.h"
#include "platform/gdi/Time.h"
#include "tests/support/DisplayState.h"
#include "tests/support/ExactGeometry.h"
#include "tests/support/TempConfigHome.h"

namespace {

using platform::ReadPixel;

// The clock the form measures the frame rate with: each reading returns Now, then moves it on
// by Step.
DWORD FakeNow = 0;
DWORD FakeStep = 0;
DWORD ReadFakeClock() {
  const DWORD now = FakeNow;
  FakeNow += FakeStep;
  return now;
}

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testDir_ = std::filesystem::current_path();
    std::filesystem::current_path(KOR_ASSETS_DIR);
    testsupport::ResetDisplayState();
    live_ = platform::LiveObjectCount();
    objects_ = TKorObject::LiveCount();
    backend_ = &UseHeadlessBackend();
    FakeNow = 1000;
    FakeStep = 0;
    FrameClock = ReadFakeClock;
    Application->CreateForm(Form1);
  }

  void TearDown() override {
    delete Form1;
    EXPECT_EQ(Form1, nullptr);
    for (TForm* form : std::vector<TForm*>(Application->Forms())) delete form;  // the dialogs
    FrameClock = timeGetTime;
    EXPECT_FALSE(Application->OnIdle) << "the destroyed form's idle handler is still installed";
    EXPECT_FALSE(DemoScene);
    EXPECT_FALSE(::DirectDraw);
    EXPECT_FALSE(platform::Screen::Get().InDisplayMode());
    EXPECT_EQ(platform::LiveObjectCount(), live_) << "platform objects were not given back";
    EXPECT_EQ(TKorObject::LiveCount(), objects_) << "model objects were not freed";
    std::filesystem::current_path(testDir_);
  }

  // The dialog's next showing: Start pressed as it comes up.
  void AnswerDialogWithStart() {
    backend_->AnswerModal(
        [](TForm& form) { dynamic_cast<TKorEnumWindow&>(form).Button1->Click(); });
  }

  // The start-up as Timer1 runs it, with Answer to "FullScreen?" and Start in the dialog.
  void StartUp(int Answer = IDNO) {
    Form1->Show();  // as the program's loop shows it before the timer fires
    backend_->AnswerMessageBox(Answer);
    AnswerDialogWithStart();
    Form1->Timer1Timer(Form1->Timer1);
    ASSERT_TRUE(DemoScene);
  }

  void Tick(int Frames) {
    for (int i = 0; i < Frames; ++i) Form1->Timer2Timer(Form1->Timer2);
  }

  std::vector<std::string> BoxCaptions() const {
    std::vector<std::string> captions;
    for (const auto& box : backend_->MessageBoxes()) captions.push_back(box.Caption);
    return captions;
  }

  std::filesystem::path testDir_;
  TempConfigHome config_;
  HeadlessBackend* backend_ = nullptr;
  long live_ = 0;
  int64_t objects_ = 0;
};

TEST_F(MainFormTest, TheStoredFormHasItsControlsInPlace) {
  EXPECT_EQ(Form1->Caption(), "Form1");
  EXPECT_EQ(Form1->ClientWidth(), 662);
  EXPECT_EQ(Form1->ClientHeight(), 470);
  EXPECT_EQ(Form1->Position(), poDefault);
  EXPECT_EQ(Form1->Menu(), Form1->MainMenu1);
  ASSERT_EQ(Form1->MainMenu1->Items()->Count(), 1);
  EXPECT_EQ(Form1->MainMenu1->Items()->Items(0), Form1->File1);
  EXPECT_EQ(Form1->File1->Caption(), "File");
  ASSERT_EQ(Form1->File1->Count(), 1);
  EXPECT_EQ(Form1->File1->Items(0)->Caption(), "Exit");

  struct Bounds {
    int left, top, width, height;
    bool operator==(const Bounds&) const = default;
  };
  const auto bounds = [](const TControl* c) {
    return Bounds{c->Left(), c->Top(), c->Width(), c->Height()};
  };
  EXPECT_EQ(bounds(Form1->KorvelG1), (Bounds{8, 64, 185, 41}));
  EXPECT_EQ(bounds(Form1->KorvelRM1), (Bounds{8, 32, 512, 386}));
  EXPECT_EQ(bounds(Form1->Edit1), (Bounds{8, 8, 121, 20}));
  EXPECT_EQ(bounds(Form1->Button1), (Bounds{16, 424, 75, 25}));
  EXPECT_EQ(bounds(Form1->Button5), (Bounds{552, 8, 75, 25}));
  EXPECT_EQ(bounds(Form1->Image1), (Bounds{424, 72, 80, 81}));
  EXPECT_EQ(Form1->Edit1->Text(), "Edit1");
  EXPECT_EQ(Form1->Button1->Caption(), "begin");
  EXPECT_TRUE(Form1->Button1->Visible());
  EXPECT_EQ(Form1->Button5->Caption(), "終了");
  for (const TControl* hidden :
       {static_cast<TControl*>(Form1->Button2), static_cast<TControl*>(Form1->Button3),
        static_cast<TControl*>(Form1->Button4), static_cast<TControl*>(Form1->Button5),
        static_cast<TControl*>(Form1->Image1), static_cast<TControl*>(Form1->CheckBox1),
        static_cast<TControl*>(Form1->CheckBox2), static_cast<TControl*>(Form1->CheckBox3),
        static_cast<TControl*>(Form1->CheckBox4), static_cast<TControl*>(Form1->CheckBox5)})
    EXPECT_FALSE(hidden->Visible());
  EXPECT_EQ(Form1->CheckBox1->Caption(), "Cullingをする");
  EXPECT_TRUE(Form1->CheckBox1->Checked());
  EXPECT_FALSE(Form1->CheckBox4->Checked());
  EXPECT_FALSE(Form1->CheckBox5->Checked());
  EXPECT_EQ(Form1->Timer1->Interval(), 1u);
  EXPECT_EQ(Form1->Timer2->Interval(), 0u);
  EXPECT_FALSE(Form1->KorvelRM1->FullScreen());

  // The display panel heads the display component list, so it becomes the master.
  ASSERT_TRUE(InstanceList);
  EXPECT_EQ(InstanceList->IndexOf(Form1->KorvelG1) + 1, InstanceList->IndexOf(Form1->KorvelRM1));
  EXPECT_LT(Form1->KorvelG1->ComponentIndex(), Form1->KorvelRM1->ComponentIndex());

  // FormCreate ran when the form was made.
  EXPECT_EQ(FrameCount, 0);
  EXPECT_EQ(Dragging, 0);
  EXPECT_EQ(LastTime, 1000u);
}

TEST(FrameRateTextTest, IsTheRateInGeneralFormatWithoutASpace) {
  EXPECT_EQ(FrameRateText(125), "FPS =80");
  EXPECT_EQ(FrameRateText(123), "FPS =81.3008130081301");
  EXPECT_EQ(FrameRateText(400), "FPS =25");
  EXPECT_EQ(FrameRateText(3), "FPS =3333.33333333333");
  EXPECT_EQ(FrameRateText(1), "FPS =10000");
  EXPECT_EQ(FrameRateText(512), "FPS =19.53125");
}

TEST_F(MainFormTest, AnsweringNoGivesABorderlessWindowAt00WithTheStartUpRenderStates) {
  StartUp(IDNO);
  EXPECT_EQ(BoxCaptions(), std::vector<std::string>{"FullScreen?"});
  EXPECT_EQ(backend_->MessageBoxes()[0].Text, "FullScreen?");
  EXPECT_EQ(backend_->MessageBoxes()[0].Flags, MB_YESNO);
  EXPECT_FALSE(Form1->CheckBox5->Checked());
  EXPECT_FALSE(Form1->KorvelRM1->FullScreen());
  EXPECT_EQ(Form1->BorderStyle(), bsNone);
  EXPECT_EQ(Form1->Left(), 0);
  EXPECT_EQ(Form1->Top(), 0);
  EXPECT_EQ(Form1->Width(), 640);
  EXPECT_EQ(Form1->Height(), 480);
  EXPECT_FALSE(Form1->Button1->Visible());
  EXPECT_EQ(Form1->Timer1->Interval(), 0u);
  EXPECT_FALSE(Form1->Timer1->Enabled());
  EXPECT_TRUE(Application->OnIdle);
  // Windowed: the view presents itself by copying to its place on the screen.
  EXPECT_TRUE(Form1->KorvelRM1->OnPresent);
  EXPECT_FALSE(platform::Screen::Get().InDisplayMode());
  // The "meta.bmp" texture is made and named.
  ASSERT_NE(MetaTexture, nullptr);
  EXPECT_EQ(MetaTexture->Data.Name, "meta.bmp");
  EXPECT_EQ(MetaTexture->SurfaceDesc.dwWidth, 256u);
  EXPECT_EQ(Form1->Image1->Picture()->Width(), 256);

  ASSERT_TRUE(Form1->KorvelRM1->D3DDevice);
  DWORD cull = 0, perspective = 7;
  Form1->KorvelRM1->D3DDevice->GetRenderState(D3DRENDERSTATE_CULLMODE, &cull);
  Form1->KorvelRM1->D3DDevice->GetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, &perspective);
  EXPECT_EQ(cull, DWORD{D3DCULL_CCW});
  EXPECT_EQ(perspective, 0u);
  Form1->Close();
}

// Closed with the window manager's close button, the question is a No: the safe answer.
TEST_F(MainFormTest, ClosingTheFullScreenQuestionKeepsTheWindow) {
  StartUp(HeadlessBackend::kBoxClosed);
  EXPECT_EQ(backend_->MessageBoxes()[0].Answer, IDNO);
  EXPECT_FALSE(Form1->KorvelRM1->FullScreen());
  EXPECT_FALSE(platform::Screen::Get().InDisplayMode());
  EXPECT_EQ(Form1->Width(), 640);
  EXPECT_EQ(Form1->Height(), 480);
  Form1->Close();
}

// The borderless 640 x 480 form at (0, 0) holds its menu bar: the client area, the form's
// window on the screen, starts below it, and the view lies there.
TEST_F(MainFormTest, TheFormsMenuBarIsInsideItsOuterSize) {
  StartUp(IDNO);
  EXPECT_EQ(Form1->ClientHeight(), 480 - kMenuBarHeight);
  RECT view{};
  GetWindowRect(Form1->KorvelRM1->Handle(), &view);
  EXPECT_EQ(view.left, 8);
  EXPECT_EQ(view.top, kMenuBarHeight + 32);
  Form1->Close();
}

TEST_F(MainFormTest, UncheckedCullingBoxGivesNoCulling) {
  Form1->CheckBox1->SetChecked(false);
  Form1->CheckBox4->SetChecked(true);
  StartUp(IDNO);
  DWORD cull = 0, perspective = 0;
  Form1->KorvelRM1->D3DDevice->GetRenderState(D3DRENDERSTATE_CULLMODE, &cull);
  Form1->KorvelRM1->D3DDevice->GetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, &perspective);
  EXPECT_EQ(cull, DWORD{D3DCULL_NONE});
  EXPECT_EQ(perspective, 1u);
  Form1->Close();
}

TEST_F(MainFormTest, WindowedFramesAreCopiedToTheViewsPlaceOnTheScreen) {
  StartUp(IDNO);
  Tick(1);
  const POINT origin = Form1->KorvelRM1->ClientOrigin();
  const platform::SurfaceLock viewLock(Form1->KorvelRM1->Surface.Get());
  const platform::SurfaceLock screenLock(PrimarySurface.Get());
  ASSERT_TRUE(viewLock.Locked());
  ASSERT_TRUE(screenLock.Locked());
  const platform::PixelView view = viewLock.View(), screen = screenLock.View();
  ASSERT_EQ(view.bitCount, 16u);
  ASSERT_EQ(screen.bitCount, 16u);
  int differing = 0, drawn = 0;
  for (int y = 0; y < 386; y += 3) {
    for (int x = 0; x < 512; x += 3) {
      differing += ReadPixel(view, x, y) != ReadPixel(screen, origin.x + x, origin.y + y);
      drawn += ReadPixel(view, x, y) != 0;
    }
  }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(drawn, 100) << "the figure should be drawn";
}

TEST_F(MainFormTest, AnsweringYesPresentsTheViewsTopLeftAt64And56OfTheFullScreen) {
  StartUp(IDYES);
  EXPECT_TRUE(Form1->CheckBox5->Checked());
  EXPECT_TRUE(Form1->KorvelRM1->FullScreen());
  EXPECT_EQ(Form1->BorderStyle(), bsNone);
  EXPECT_EQ(Form1->Width(), 640);
  EXPECT_EQ(Form1->Height(), 480);
  EXPECT_TRUE(platform::Screen::Get().InDisplayMode());
  EXPECT_FALSE(Form1->KorvelRM1->OnPresent);  // a full-screen secondary does not present
  Tick(1);
  const platform::SurfaceLock viewLock(Form1->KorvelRM1->Surface.Get());
  const platform::SurfaceLock screenLock(PrimarySurface.Get());
  ASSERT_TRUE(viewLock.Locked());
  ASSERT_TRUE(screenLock.Locked());
  const platform::PixelView view = viewLock.View(), screen = screenLock.View();
  int differing = 0, drawn = 0;
  for (int y = 0; y < 368; ++y) {
    for (int x = 0; x < 512; x += 2) {
      differing += ReadPixel(view, x, y) != ReadPixel(screen, 64 + x, 56 + y);
      drawn += ReadPixel(view, x, y) != 0;
    }
  }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(drawn, 100);
  // Nothing lands left of or above the picture.
  for (int y = 0; y < 56; y += 5)
    for (int x = 0; x < 640; x += 5) ASSERT_EQ(ReadPixel(screen, x, y), 0u) << x << ", " << y;
  for (int y = 56; y < 424; y += 5)
    for (int x = 0; x < 64; x += 5) ASSERT_EQ(ReadPixel(screen, x, y), 0u) << x << ", " << y;
}

// In full screen the window's deactivation loses the display; the frames drawn meanwhile do
// not reach it, and once the form repaints (as it does when it comes back) they do again.
TEST_F(MainFormTest, AFullScreenDisplayLostWithTheFocusComesBackWithTheRepaint) {
  StartUp(IDYES);
  const auto presented = [] {
    const platform::SurfaceLock viewLock(Form1->KorvelRM1->Surface.Get());
    const platform::SurfaceLock screenLock(PrimarySurface.Get());
    if (!viewLock.Locked() || !screenLock.Locked()) return -1;
    const platform::PixelView view = viewLock.View(), screen = screenLock.View();
    int same = 0;
    for (int y = 0; y < 368; y += 4)
      for (int x = 0; x < 512; x += 4)
        same += ReadPixel(view, x, y) == ReadPixel(screen, 64 + x, 56 + y);
    return same;
  };
  const int everyPixel = (368 / 4) * (512 / 4);
  Tick(1);
  ASSERT_EQ(presented(), everyPixel);
  ASSERT_TRUE(platform::Screen::Get().DeactivateWindow(Form1->Handle()));
  EXPECT_EQ(PrimarySurface->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(Form1->KorvelRM1->Surface->IsLost(), DD_OK) << "the software device's surface";
  Tick(2);  // drawn, but not shown
  EXPECT_EQ(DemoScene->Renderer.FailedCalls, 0);
  EXPECT_EQ(presented(), -1) << "the lost screen cannot be read";
  Form1->Paint();
  EXPECT_EQ(PrimarySurface->IsLost(), DD_OK);
  Tick(1);
  EXPECT_EQ(presented(), everyPixel);
}

TEST_F(MainFormTest, TheRateIsShownEveryTenthFrame) {
  StartUp();
  Tick(9);
  EXPECT_EQ(FrameCount, 9);
  EXPECT_EQ(Form1->Edit1->Text(), "Edit1");

  FakeNow = 1125;  // 125 ms since FormCreate read 1000
  Tick(1);
  EXPECT_EQ(Form1->Edit1->Text(), "FPS =80");
  EXPECT_EQ(LastTime, 1125u);

  FakeNow = 1248;
  Tick(10);
  EXPECT_EQ(Form1->Edit1->Text(), "FPS =81.3008130081301");

  // Ten frames within one millisecond leave the text and start a new window.
  Tick(10);
  EXPECT_EQ(Form1->Edit1->Text(), "FPS =81.3008130081301");
  EXPECT_EQ(LastTime, 1248u);
  FakeNow = 1648;
  Tick(10);
  EXPECT_EQ(Form1->Edit1->Text(), "FPS =25");
  EXPECT_EQ(FrameCount, 40);
  Form1->Close();
}

TEST_F(MainFormTest, TheWindowRestartsAtANewReadingAndSurvivesTheClocksWrap) {
  StartUp();
  LastTime = 0xFFFFFF00u;
  FakeNow = 0x100u;  // 512 ms later, across the wrap
  FakeStep = 7;      // every reading is 7 ms after the one before
  Tick(10);
  EXPECT_EQ(Form1->Edit1->Text(), "FPS =19.53125");
  EXPECT_EQ(LastTime, 0x107u) << "LastTime is read again after the rate";
  Form1->Close();
}

TEST_F(MainFormTest, DraggingOverTheViewTurnsTheCharacter) {
  StartUp();
  Matrix4& placement = DemoScene->Character->Placement;
  const Matrix4 start = placement;
  // The start-up placement to the last bit: the table's turn for the singles nearest -0.2 pi,
  // 1.45 pi and -0.2 pi, each element formed in double and rounded once.
  const auto tilt = static_cast<float>(-0.2 * std::numbers::pi);
  const auto turnY = static_cast<float>(1.45 * std::numbers::pi);
  EXPECT_EQ(start, testsupport::TablePlacement(0, 0, 0, tilt, turnY, tilt));
  const POINT view{Form1->KorvelRM1->Left(), Form1->KorvelRM1->Top()};

  // A move with no button pressed turns nothing.
  backend_->PostMouse(*Form1, HeadlessBackend::MouseAction::Move, view.x + 150, view.y + 90);
  Application->ProcessMessages();
  EXPECT_EQ(placement, start);
  EXPECT_EQ(Dragging, 0);

  backend_->PostMouse(*Form1, HeadlessBackend::MouseAction::Down, view.x + 100, view.y + 100);
  Application->ProcessMessages();
  EXPECT_EQ(Dragging, 1);
  EXPECT_EQ(LastX, 100);  // in the view's own coordinates
  EXPECT_EQ(LastY, 100);

  // 10 pixels right and 5 down: -0.1 radian about y and 0.05 about x, in one step, about the
  // axes of the space the placement maps into.
  backend_->PostMouse(*Form1, HeadlessBackend::MouseAction::Move, view.x + 110, view.y + 105);
  Application->ProcessMessages();
  // The angles are the singles nearest 0.05 and -0.1; each element is rounded once.
  const Matrix4 turn = testsupport::TablePlacement(0, 0, 0, 0.05f, -0.1f, 0);
  EXPECT_EQ(placement, testsupport::ProductRoundedOnce(start, turn));
  EXPECT_EQ(LastX, 110);
  EXPECT_EQ(LastY, 105);

  backend_->PostMouse(*Form1, HeadlessBackend::MouseAction::Up, view.x + 110, view.y + 105);
  Application->ProcessMessages();
  EXPECT_EQ(Dragging, 0);
  const Matrix4 released = placement;
  backend_->PostMouse(*Form1, HeadlessBackend::MouseAction::Move, view.x + 200, view.y + 10);
  Application->ProcessMessages();
  EXPECT_EQ(placement, released);
  Form1->Close();
}

TEST_F(MainFormTest, ClicksRepaintsAndDragsBeforeTheStartUpDoNoHarm) {
  Form1->Show();
  Application->ProcessMessages();  // the first paint
  Form1->Repaint();
  // A click on the form's own surface, right of the view.
  backend_->PostClick(*Form1, 600, 200);
  // A drag over the view: there is no character yet.
  const POINT view{Form1->KorvelRM1->Left(), Form1->KorvelRM1->Top()};
  backend_->PostMouse(*Form1, HeadlessBackend::MouseAction::Down, view.x + 10, view.y + 10);
  backend_->PostMouse(*Form1, HeadlessBackend::MouseAction::Move, view.x + 40, view.y + 30);
  backend_->PostMouse(*Form1, HeadlessBackend::MouseAction::Up, view.x + 40, view.y + 30);
  Application->ProcessMessages();
  Form1->FormClick(Form1);
  Form1->FormPaint(Form1);
  EXPECT_TRUE(backend_->MessageBoxes().empty());
  EXPECT_FALSE(Form1->KorvelRM1->ZBuffer);
  EXPECT_FALSE(::DirectDraw);
  EXPECT_EQ(platform::LiveObjectCount(), live_);
  EXPECT_EQ(Dragging, 0);
}

TEST_F(MainFormTest, ClosingReleasesSceneThenViewThenDisplay) {
  StartUp();
  Tick(3);
  std::vector<TReleaseStep> steps;
  Form1->OnReleaseStep = [&](TReleaseStep step) {
    steps.push_back(step);
    switch (step) {
      case TReleaseStep::Scene:
        // The character, the tree and the renderer are gone; the view still has its device.
        EXPECT_FALSE(DemoScene);
        EXPECT_EQ(TKorObject::LiveCount(), objects_);
        EXPECT_TRUE(Form1->KorvelRM1->D3DDevice);
        EXPECT_TRUE(TextureList);
        break;
      case TReleaseStep::View:
        EXPECT_FALSE(Form1->KorvelRM1->D3DDevice);
        EXPECT_FALSE(Direct3D2);
        EXPECT_FALSE(TextureList);
        EXPECT_FALSE(Form1->KorvelRM1->Surface);
        EXPECT_TRUE(::DirectDraw) << "the display goes after the view";
        EXPECT_TRUE(PrimarySurface);
        break;
      case TReleaseStep::Display:
        EXPECT_FALSE(::DirectDraw);
        EXPECT_FALSE(PrimarySurface);
        EXPECT_FALSE(DriverList);
        break;
    }
  };
  Form1->Exit1->Click();  // the menu's "Exit"
  EXPECT_EQ(steps, (std::vector<TReleaseStep>{TReleaseStep::Scene, TReleaseStep::View,
                                              TReleaseStep::Display}));
  EXPECT_EQ(Form1->Timer2->Interval(), 0u);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(MetaTexture, nullptr);
  EXPECT_EQ(platform::LiveObjectCount(), live_);
}

TEST_F(MainFormTest, TheHiddenEndButtonAlsoClosesTheForm) {
  StartUp();
  int steps = 0;
  Form1->OnReleaseStep = [&steps](TReleaseStep) { ++steps; };
  Form1->Button5Click(Form1->Button5);
  EXPECT_EQ(steps, 3);
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(MainFormTest, NoFrameIsTickedAfterTheClose) {
  StartUp();
  ASSERT_TRUE(Application->OnIdle);
  bool done = true;
  Application->OnIdle(Application, done);
  EXPECT_FALSE(done) << "the idle handler asks to be called again at once";
  EXPECT_EQ(FrameCount, 1);

  Form1->Close();
  // Even if the loop ran one more idle pass, nothing is drawn with the released objects.
  done = true;
  Application->OnIdle(Application, done);
  EXPECT_TRUE(done);
  Form1->Timer2Timer(Form1->Timer2);
  Application->HandleMessage();
  EXPECT_EQ(FrameCount, 1);
  // The released view gives nothing back twice, and a late repaint or click finds nothing.
  Form1->FormPaint(Form1);
  Form1->FormClick(Form1);
  EXPECT_EQ(platform::LiveObjectCount(), live_);
}

TEST_F(MainFormTest, ExitInTheDialogEndsTheProgramBeforeAnythingIsSetUp) {
  std::vector<TReleaseStep> steps;
  Form1->OnReleaseStep = [&steps](TReleaseStep step) { steps.push_back(step); };
  backend_->AnswerMessageBox(IDNO);
  backend_->AnswerModal([](TForm& form) { dynamic_cast<TKorEnumWindow&>(form).Button2->Click(); });
  Form1->Timer1Timer(Form1->Timer1);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(steps.size(), 3u);  // the close ran the release, with nothing to release yet
  EXPECT_FALSE(DemoScene);
  EXPECT_FALSE(Application->OnIdle);
  EXPECT_FALSE(::DirectDraw);
  EXPECT_FALSE(Form1->KorvelRM1->D3DDevice);
  EXPECT_EQ(MetaTexture, nullptr);
  EXPECT_FALSE(config_.HoldsAnyFile());
}

TEST_F(MainFormTest, TheStartUpRunsOnlyOnceWhenTheBeginButtonIsPressedFirst) {
  backend_->AnswerMessageBox(IDNO);
  AnswerDialogWithStart();
  Form1->Button1->Click();
  ASSERT_TRUE(DemoScene);
  TDemoScene* scene = DemoScene.get();
  Form1->Timer1Timer(Form1->Timer1);  // the timer's start-up then only installs the frames
  EXPECT_EQ(DemoScene.get(), scene);
  EXPECT_EQ(BoxCaptions().size(), 1u);
  EXPECT_TRUE(Application->OnIdle);
  Tick(1);
  EXPECT_EQ(FrameCount, 1);
  Form1->Close();
}

// The program's own run of the loop: the timer's start-up, the frames from the idle loop, the
// close, as the desktop would drive them.
class MainFormRunTest : public MainFormTest {
 protected:
  // Runs the application until the main form closes; CloseAfterFrames idle passes after the
  // start-up the main form is closed.
  void Run(int CloseAfterFrames, int FullScreenAnswer = IDNO) {
    backend_->AnswerMessageBox(FullScreenAnswer);
    backend_->AnswerModal([this, CloseAfterFrames](TForm& form) {
      backend_->CloseMainFormAfterIdlePasses(CloseAfterFrames);
      dynamic_cast<TKorEnumWindow&>(form).Button1->Click();
    });
    Application->Run();
  }
  // Boxes beyond the scripted ones (the default error box) are answered OK.
  void AnswerErrorBoxes() {
    backend_->AnswerMessageBoxesWith([](const HeadlessBackend::MessageBoxCall&) { return IDOK; });
  }
};

TEST_F(MainFormRunTest, SixtyFramesFromStartUpToReleaseEndToEnd) {
  FakeStep = 3;  // every reading of the clock 3 ms after the one before
  Run(60);
  EXPECT_EQ(FrameCount, 60);
  EXPECT_EQ(Form1->Edit1->Text(), "FPS =3333.33333333333");
  EXPECT_EQ(BoxCaptions(), std::vector<std::string>{"FullScreen?"});
  EXPECT_EQ(backend_->UnusedModalAnswers(), 0);
  EXPECT_FALSE(DemoScene);
  EXPECT_FALSE(::DirectDraw);
  // The dialog stored the first run's choice.
  TRegIniFile reg(KorvelRegistryKey);
  EXPECT_EQ(reg.ReadInteger(KorvelRegistrySection, "Enum_Checkbox", 99), -1);
  EXPECT_EQ(reg.ReadInteger(KorvelRegistrySection, "DDraw_Device", 99), -1);
  EXPECT_EQ(reg.ReadInteger(KorvelRegistrySection, "D3D_Device", 99), -1);
}

TEST_F(MainFormRunTest, AMissingMetaBitmapIsShownInTheErrorBoxAndNoFrameIsDrawn) {
  const std::filesystem::path empty = config_.Folder() / "empty";
  std::filesystem::create_directories(empty);
  std::filesystem::current_path(empty);
  AnswerErrorBoxes();
  Run(5);
  ASSERT_EQ(BoxCaptions(), (std::vector<std::string>{"FullScreen?", "Error"}));
  // The whole path tried, and where the demo should run from.
  const std::string& text = backend_->MessageBoxes()[1].Text;
  EXPECT_NE(text.find("\"" + (empty / "meta.bmp").string() + "\""), std::string::npos) << text;
  EXPECT_NE(text.find("assets folder"), std::string::npos) << text;
  EXPECT_NE(text.find("tools/setup.sh demo"), std::string::npos) << text;
  EXPECT_EQ(FrameCount, 0);
  EXPECT_EQ(Form1->Edit1->Text(), "Edit1");
  EXPECT_FALSE(DemoScene);
  // The rest of the start-up was skipped: no frame loop was installed.
  EXPECT_FALSE(Application->OnIdle);
}

TEST_F(MainFormRunTest, AMissingModelIsShownInTheErrorBoxAndNoFrameIsDrawn) {
  const std::filesystem::path onlyMeta = config_.Folder() / "only_meta";
  std::filesystem::create_directories(onlyMeta);
  std::filesystem::copy_file("meta.bmp", onlyMeta / "meta.bmp");
  std::filesystem::current_path(onlyMeta);
  AnswerErrorBoxes();
  Run(5);
  ASSERT_EQ(BoxCaptions(), (std::vector<std::string>{"FullScreen?", "Error"}));
  const std::string& text = backend_->MessageBoxes()[1].Text;
  EXPECT_NE(text.find((onlyMeta / "wisp2.kor").string()), std::string::npos) << text;
  EXPECT_NE(text.find("assets folder"), std::string::npos) << text;
  EXPECT_EQ(FrameCount, 0);
  EXPECT_FALSE(DemoScene);
}

}  // namespace
