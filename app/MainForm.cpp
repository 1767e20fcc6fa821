#include "app/MainForm.h"

#include <cstdio>
#include <filesystem>

#include "components/KorEnumWin.h"
#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "platform/d3d/D3DTypes.h"
#include "platform/ddraw/DDrawTypes.h"
#include "platform/gdi/Time.h"

TForm1* Form1 = nullptr;
int32_t FrameCount = 0;
DWORD LastTime = 0;
std::unique_ptr<TDemoScene> DemoScene;
TKorvelTexture* MetaTexture = nullptr;
int32_t Dragging = 0;
int32_t LastX = 0;
int32_t LastY = 0;
DWORD (*FrameClock)() = timeGetTime;

namespace {

// The full-screen picture: the view surface's top-left 512 x 368 pixels, centred on the
// 640 x 480 screen.
constexpr RECT kFullScreenSource{0, 0, 512, 368};
constexpr DWORD kFullScreenX = (640 - 512) / 2;
constexpr DWORD kFullScreenY = (480 - 368) / 2;

template <class T>
T* PlaceHidden(TForm* Form, const char* Caption) {
  T* control = new T(Form);
  control->SetParent(Form);
  control->SetCaption(Caption);
  control->SetVisible(false);
  return control;
}

}  // namespace

std::string FrameRateText(int32_t Elapsed) {
  char rate[32];
  std::snprintf(rate, sizeof rate, "%.15g", 10000.0 / Elapsed);
  return std::string("FPS =") + rate;
}

TForm1::TForm1(TComponent* Owner) : TForm(Owner) {
  SetCaption("Form1");
  SetClientWidth(662);
  SetClientHeight(470);
  SetPosition(poDefault);
  MakeControls();
  MakeMenu();
  SetMenu(MainMenu1);
  WireEvents();
}

TForm1::~TForm1() {
  frameLoopArmed_ = false;
  if (idleInstalled_) Application->OnIdle = nullptr;
  // A form destroyed without closing: the scene goes before the view it was drawn with.
  DemoScene.reset();
  if (Form1 == this) Form1 = nullptr;
}

// Controls in the stored order, which is also their component order.
void TForm1::MakeControls() {
  Button1 = PlaceControl<TButton>(this, 16, 424, 75, 25);
  Button1->SetCaption("begin");
  Button2 = PlaceHidden<TButton>(this, "end");
  Button3 = PlaceHidden<TButton>(this, "render");
  Button4 = PlaceHidden<TButton>(this, "load");
  Timer1 = new TTimer(this);
  Timer1->SetInterval(1);
  Timer2 = new TTimer(this);
  Timer2->SetInterval(0);
  Edit1 = PlaceControl<TEdit>(this, 8, 8, 121, 20);
  Edit1->SetText("Edit1");
  Button5 = PlaceControl<TButton>(this, 552, 8, 75, 25);
  Button5->SetCaption("終了");
  Button5->SetVisible(false);
  Image1 = PlaceControl<TImage>(this, 424, 72, 80, 81);
  Image1->SetVisible(false);
  CheckBox1 = PlaceHidden<TCheckBox>(this, "Cullingをする");
  CheckBox1->SetChecked(true);
  CheckBox3 = PlaceHidden<TCheckBox>(this, "InitAuto");
  CheckBox4 = PlaceHidden<TCheckBox>(this, "PerspectiveC");
  MainMenu1 = new TMainMenu(this);
  File1 = new TMenuItem(this);
  Exit1 = new TMenuItem(this);
  OpenDialog1 = new TOpenDialog(this);
  OpenDialog1->Filter = "Model files (*.kor)|*.kor";
  SaveDialog1 = new TSaveDialog(this);
  SaveDialog1->Filter = "Model files (*.kor)|*.kor";
  CheckBox2 = PlaceHidden<TCheckBox>(this, "Hel");
  CheckBox5 = PlaceHidden<TCheckBox>(this, "FullScreen");
  // KorvelG1 is made first, so it heads the display component list and becomes the master.
  KorvelG1 = PlaceControl<TKorvelG>(this, 8, 64, 185, 41);
  KorvelG1->SetFullScreen(false);
  KorvelG1->SetColor8bit(false);
  KorvelRM1 = PlaceControl<TKorvelRM>(this, 8, 32, 512, 386);
  KorvelRM1->SetFullScreen(false);
  KorvelRM1->SetColor8bit(false);
}

void TForm1::MakeMenu() {
  File1->SetCaption("File");
  Exit1->SetCaption("Exit");
  MainMenu1->Items()->Add(File1);
  File1->Add(Exit1);
}

void TForm1::WireEvents() {
  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
  OnClick = [this](TObject* Sender) { FormClick(Sender); };
  OnPaint = [this](TObject* Sender) { FormPaint(Sender); };
  OnClose = [this](TObject* Sender, TCloseAction& Action) { FormClose(Sender, Action); };
  Button1->OnClick = [this](TObject* Sender) { Button1Click(Sender); };
  Button2->OnClick = [this](TObject* Sender) { Button2Click(Sender); };
  Button3->OnClick = [this](TObject* Sender) { Button3Click(Sender); };
  Button4->OnClick = [this](TObject* Sender) { Button4Click(Sender); };
  Button5->OnClick = [this](TObject* Sender) { Button5Click(Sender); };
  Timer1->OnTimer = [this](TObject* Sender) { Timer1Timer(Sender); };
  Timer2->OnTimer = [this](TObject* Sender) { Timer2Timer(Sender); };
  Exit1->OnClick = [this](TObject* Sender) { Exit1Click(Sender); };
  KorvelRM1->OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                  int Y) { KorvelRM1MouseDown(Sender, Button, Shift, X, Y); };
  KorvelRM1->OnMouseMove = [this](TObject* Sender, TShiftState Shift, int X, int Y) {
    KorvelRM1MouseMove(Sender, Shift, X, Y);
  };
  KorvelRM1->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                int Y) { KorvelRM1MouseUp(Sender, Button, Shift, X, Y); };
}

void TForm1::FormCreate(TObject* /*Sender*/) {
  FrameCount = 0;
  Dragging = 0;
  LastTime = FrameClock();
}

// ---------------------------------------------------------------------------------------------
// Start-up

void TForm1::Timer1Timer(TObject* Sender) {
  Timer1->SetInterval(0);
  Timer1->SetEnabled(false);
  Button1->SetVisible(false);
  Button1Click(Sender);
  Button4Click(Sender);
  if (Application->Terminated()) return;  // Exit in the device dialog: the program is ending
  SetStartUpRenderStates();
  Application->OnIdle = [this](TObject* Idler, bool& Done) { AppIdle(Idler, Done); };
  idleInstalled_ = true;
  frameLoopArmed_ = true;
}

void TForm1::SetStartUpRenderStates() {
  IDirect3DDevice2* device = KorvelRM1->D3DDevice.Get();
  if (!device) return;  // every device attempt failed: the view stays blank
  device->SetRenderState(D3DRENDERSTATE_CULLMODE,
                         CheckBox1->Checked() ? D3DCULL_CCW : D3DCULL_NONE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, CheckBox4->Checked() ? 1 : 0);
}

void TForm1::Button1Click(TObject* /*Sender*/) {
  // The button and the timer both lead here; the displays can be set up only once.
  if (startUpBegun_) return;
  startUpBegun_ = true;

  CheckBox5->SetChecked(Application->MessageBox("FullScreen?", "FullScreen?", MB_YESNO) == IDYES);
  // Whatever the answer. The windows are made again here, which a view answers by giving
  // back its objects, so this comes before the device selection.
  SetBorderStyle(bsNone);
  SetBounds(0, 0, 640, 480);
  KorvelRM1->SetFullScreen(CheckBox5->Checked());
  SelectDevices(EnumModeCustom);
  if (Application->Terminated()) return;  // Exit in the device dialog: the program is ending
  Edit1->Repaint();
  KorvelRM1->MakeTexture(MetaTexture, 256, 256);
  // A missing or bad file ends the start-up here, in the default error box.
  try {
    Image1->Picture()->LoadFromFile("meta.bmp");
    KorvelRM1->SetTexture(MetaTexture, Image1->Picture()->Bitmap(), "meta.bmp");
    DemoScene = std::make_unique<TDemoScene>(KorvelRM1);
  } catch (const std::exception& error) {
    throw Exception(std::string(error.what()) + AssetsHint());
  }
}

std::string AssetsHint() {
  std::error_code ignored;
  const std::string folder = std::filesystem::current_path(ignored).string();
  return "\n\nThe demo reads meta.bmp, wisp2.kor and the model's bitmaps from the folder it "
         "runs in, now " +
         folder +
         ". It runs from its assets folder: tools/setup.sh demo starts it there (or cd "
         "assets first).";
}

void TForm1::Button3Click(TObject* /*Sender*/) {}

void TForm1::Button4Click(TObject* /*Sender*/) {}

// ---------------------------------------------------------------------------------------------
// Frames

void TForm1::AppIdle(TObject* /*Sender*/, bool& Done) {
  if (!frameLoopArmed_) return;  // closed: Done stays true and the loop may wait
  Timer2Timer(this);
  Done = false;
}

void TForm1::Timer2Timer(TObject* /*Sender*/) {
  if (!DemoScene) return;
  DemoScene->Tick();
  Present();
  CountFrame();
}

void TForm1::Present() {
  if (KorvelRM1->FullScreen()) {
    if (PrimarySurface && KorvelRM1->Surface) {
      PrimarySurface->BltFast(kFullScreenX, kFullScreenY, KorvelRM1->Surface.Get(),
                              &kFullScreenSource, DDBLTFAST_WAIT);
    }
  } else if (KorvelRM1->OnPresent) {
    KorvelRM1->OnPresent();
  }
}

void TForm1::CountFrame() {
  // Wraps as a 32-bit count would, without the undefined overflow of a signed increment.
  FrameCount = static_cast<int32_t>(static_cast<uint32_t>(FrameCount) + 1u);
  if (FrameCount % 10 != 0) return;
  const auto elapsed = static_cast<int32_t>(FrameClock() - LastTime);
  if (elapsed != 0) Edit1->SetText(FrameRateText(elapsed));
  LastTime = FrameClock();
}

// ---------------------------------------------------------------------------------------------
// Input and painting

void TForm1::FormClick(TObject* /*Sender*/) {
  KorvelRM1->RmRestore();
}

void TForm1::FormPaint(TObject* /*Sender*/) {
  KorvelRM1->RmRestore();
}

void TForm1::KorvelRM1MouseDown(TObject* /*Sender*/, TMouseButton /*Button*/, TShiftState /*Shift*/,
                                int X, int Y) {
  Dragging = 1;
  LastX = X;
  LastY = Y;
}

void TForm1::KorvelRM1MouseMove(TObject* /*Sender*/, TShiftState /*Shift*/, int X, int Y) {
  if (Dragging != 1) return;
  // Before the start-up made the character (or after the release) there is nothing to turn.
  if (DemoScene) DemoScene->Turn(X - LastX, Y - LastY);
  LastX = X;
  LastY = Y;
}

void TForm1::KorvelRM1MouseUp(TObject* /*Sender*/, TMouseButton /*Button*/, TShiftState /*Shift*/,
                              int /*X*/, int /*Y*/) {
  Dragging = 0;
}

// ---------------------------------------------------------------------------------------------
// Closing

void TForm1::Exit1Click(TObject* /*Sender*/) {
  Close();
}

void TForm1::Button5Click(TObject* /*Sender*/) {
  Close();
}

void TForm1::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
  // The idle event is never removed, so the tick itself is disarmed before the release: the
  // loop may still run an idle pass after this.
  frameLoopArmed_ = false;
  Timer2->SetInterval(0);
  Button2Click(this);
}

void TForm1::Button2Click(TObject* /*Sender*/) {
  DemoScene.reset();  // the character, then the scene tree, then the renderer's buffers
  ReleaseStepDone(TReleaseStep::Scene);
  KorvelRM1->RmRelease();
  MetaTexture = nullptr;  // it went with the view's textures
  ReleaseStepDone(TReleaseStep::View);
  KorvelG1->DDrelease();
  ReleaseStepDone(TReleaseStep::Display);
}

void TForm1::ReleaseStepDone(TReleaseStep Step) {
  if (OnReleaseStep) OnReleaseStep(Step);
}
