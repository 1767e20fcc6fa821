#include "tools/korview/ViewerForm.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include "app/MainForm.h"
#include "framework/Application.h"
#include "platform/gdi/Time.h"
#include "tools/snapshot/SurfaceImage.h"

namespace {

constexpr int kBarHeight = 28;    // the switches and the frame rate, above the view
constexpr int kPanelWidth = 380;  // the side panel, right of the view
constexpr int kSmallestView = 64;
constexpr const char* kCaption = "korview";

TCheckBox* PlaceCheckBox(TForm* Form, int Left, int Width, const char* Caption, bool Checked) {
  TCheckBox* box = PlaceControl<TCheckBox>(Form, Left, 4, Width, 20);
  box->SetCaption(Caption);
  box->SetChecked(Checked);
  return box;
}

TMenuItem* AddItem(TComponent* Owner, TMenuItem* Parent, const char* Caption) {
  auto* item = new TMenuItem(Owner);
  item->SetCaption(Caption);
  Parent->Add(item);
  return item;
}

}  // namespace

TViewerForm::TViewerForm(TComponent* Owner) : TForm(Owner) {
  SetCaption(kCaption);
  SetPosition(poDefault);
  SetClientWidth(940);
  SetClientHeight(580);
  MakeControls();
  MakeMenu();
  SetMenu(MainMenu1);
  Layout();
  WireEvents();
}

TViewerForm::~TViewerForm() {
  frameLoopArmed_ = false;
  if (idleInstalled_) Application->OnIdle = nullptr;
  // The scene gives its textures back to the view, so it goes first.
  scene_.reset();
}

void TViewerForm::MakeControls() {
  const TViewerSwitches defaults;
  CullingBox = PlaceCheckBox(this, 8, 76, "Culling", defaults.Culling);
  PerspectiveBox =
      PlaceCheckBox(this, 88, 196, "Perspective correction", defaults.PerspectiveCorrection);
  FogBox = PlaceCheckBox(this, 290, 52, "Fog", defaults.Fog);
  SwayBox = PlaceCheckBox(this, 346, 64, "Sway", defaults.Sway);
  SwayBox->SetEnabled(false);
  RateLabel = PlaceControl<TLabel>(this, 420, 7, 200, 16);
  ModelPanel = new TListBox(this);
  ModelPanel->SetParent(this);
  // The master display component first, so it heads the display list; the view covers it.
  KorvelG1 = PlaceControl<TKorvelG>(this, 0, kBarHeight, 8, 8);
  KorvelRM1 = new TKorvelRM(this);
  KorvelRM1->SetParent(this);
  StartTimer = new TTimer(this);
  StartTimer->SetInterval(1);
  OpenDialog1 = new TOpenDialog(this);
  OpenDialog1->Title = "Open a model";
  OpenDialog1->Filter = "Model files (*.kor)|*.kor";
  SaveDialog1 = new TSaveDialog(this);
  SaveDialog1->Title = "Save picture";
  SaveDialog1->Filter = "PNG pictures (*.png)|*.png";
  SaveDialog1->DefaultExt = "png";
}

void TViewerForm::MakeMenu() {
  MainMenu1 = new TMainMenu(this);
  File1 = AddItem(this, MainMenu1->Items(), "File");
  Open1 = AddItem(this, File1, "Open...");
  SavePicture1 = AddItem(this, File1, "Save picture...");
  Exit1 = AddItem(this, File1, "Exit");
  View1 = AddItem(this, MainMenu1->Items(), "View");
  ResetView1 = AddItem(this, View1, "Reset view");
}

void TViewerForm::WireEvents() {
  StartTimer->OnTimer = [this](TObject*) { StartUp(); };
  Open1->OnClick = [this](TObject*) {
    // The dialog starts in the open model's folder.
    if (scene_ && scene_->Model()) OpenDialog1->FileName = scene_->Model()->FileName();
    if (OpenDialog1->Execute()) OpenFile(OpenDialog1->FileName);
  };
  SavePicture1->OnClick = [this](TObject*) {
    if (SaveDialog1->Execute()) SavePicture(SaveDialog1->FileName);
  };
  Exit1->OnClick = [this](TObject*) { Close(); };
  ResetView1->OnClick = [this](TObject*) {
    if (scene_) scene_->ResetView();
  };
  for (TCheckBox* box : {CullingBox, PerspectiveBox, FogBox, SwayBox})
    box->OnClick = [this](TObject*) { SwitchesChanged(); };
  KorvelRM1->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int X, int Y) {
    dragging_ = true;
    lastX_ = X;
    lastY_ = Y;
  };
  KorvelRM1->OnMouseMove = [this](TObject*, TShiftState, int X, int Y) {
    if (!dragging_) return;
    if (scene_) scene_->Turn(X - lastX_, Y - lastY_);
    lastX_ = X;
    lastY_ = Y;
  };
  KorvelRM1->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) {
    dragging_ = false;
  };
  OnMouseWheel = [this](TObject*, TShiftState, int WheelDelta, POINT At, bool& Handled) {
    if (!scene_ || !OverView(At.x, At.y)) return;
    scene_->Zoom(WheelDelta);
    Handled = true;
  };
  OnDropFiles = [this](TObject*, const std::vector<std::string>& Files) {
    if (!Files.empty()) OpenFile(Files.front());
  };
  OnResize = [this](TObject*) { Layout(); };
  OnPaint = [this](TObject*) { KorvelRM1->RmRestore(); };
  OnClose = [this](TObject*, TCloseAction&) { Release(); };
}

bool TViewerForm::OverView(int X, int Y) const {
  return X >= KorvelRM1->Left() && X < KorvelRM1->Left() + KorvelRM1->Width() &&
         Y >= KorvelRM1->Top() && Y < KorvelRM1->Top() + KorvelRM1->Height();
}

void TViewerForm::Layout() {
  const int viewWidth = std::max(ClientWidth() - kPanelWidth, kSmallestView);
  const int viewHeight = std::max(ClientHeight() - kBarHeight, kSmallestView);
  const bool resized = viewWidth != KorvelRM1->Width() || viewHeight != KorvelRM1->Height();
  KorvelRM1->SetBounds(0, kBarHeight, viewWidth, viewHeight);
  ModelPanel->SetBounds(viewWidth + 4, kBarHeight, std::max(kPanelWidth - 8, 8),
                        std::max(ClientHeight() - kBarHeight - 4, 8));
  // The view's surfaces keep their size until it is set up again, at the next frame.
  if (resized && scene_) viewStale_ = true;
}

void TViewerForm::StartUp() {
  if (scene_) return;  // the displays can be set up only once
  StartTimer->SetEnabled(false);
  StartTimer->SetInterval(0);
  // The primary display driver and its first software device: no question, no dialog.
  SelectDevices(-1);
  scene_ = std::make_unique<TViewerScene>(KorvelRM1);
  SwitchesChanged();
  lastTime_ = timeGetTime();
  frameLoopArmed_ = true;
  Application->OnIdle = [this](TObject*, bool& Done) {
    if (!frameLoopArmed_) return;  // closed: the loop may wait
    FrameTick();
    Done = false;
  };
  idleInstalled_ = true;
  if (InitialFile.empty()) return;
  FrameTick();  // the empty view is drawn before a box about the file may hold the loop
  OpenFile(InitialFile);
}

bool TViewerForm::OpenFile(const std::string& FileName) {
  if (!scene_) return false;
  try {
    scene_->Open(FileName);
  } catch (const std::exception& error) {
    ShowError(error.what());
    return false;
  }
  SetCaption(std::string(kCaption) + " - " + std::filesystem::path(FileName).filename().string());
  ShowModelFacts();
  return true;
}

void TViewerForm::ShowModelFacts() {
  const TViewerModel* model = scene_ ? scene_->Model() : nullptr;
  ModelPanel->Items()->Clear();
  SwayBox->SetEnabled(model && model->Figure());
  if (!model) return;
  for (const std::string& line : model->ReportLines()) ModelPanel->Items()->Add(line);
  const TRendererCapacity& capacity = scene_->Capacity;
  ModelPanel->Items()->Add("Renderer: " + std::to_string(capacity.MaxPolygons) + " polygons, " +
                           std::to_string(capacity.MaxVertices) + " vertices");
  // Triangles index a frame's vertices with 16 bits: the renderer cannot hold more.
  const int32_t limit = VertexLimit(scene_->Renderer);
  if (capacity.Vertices > limit)
    ModelPanel->Items()->Add("Over " + std::to_string(limit) +
                             " vertices: the objects beyond them are not drawn");
}

bool TViewerForm::SavePicture(const std::string& FileName) {
  int width = 0, height = 0;
  const auto pixels = SurfaceRgba(KorvelRM1->Surface.Get(), width, height);
  if (pixels.empty() || !WriteRgbaPng(FileName, pixels, width, height)) {
    ShowError("Cannot write the picture " + FileName);
    return false;
  }
  return true;
}

void TViewerForm::ShowError(const std::string& Text) {
  Application->MessageBox(Text, kCaption, MB_OK | MB_ICONERROR);
}

void TViewerForm::SwitchesChanged() {
  if (!scene_) return;
  TViewerSwitches& switches = scene_->Switches;
  switches.Culling = CullingBox->Checked();
  switches.PerspectiveCorrection = PerspectiveBox->Checked();
  switches.Fog = FogBox->Checked();
  switches.Sway = SwayBox->Checked();
  scene_->ApplySwitches();
}

void TViewerForm::RebuildView() {
  viewStale_ = false;
  scene_->ViewReleasing();
  KorvelRM1->RmRelease();
  KorvelRM1->DDInit();
  KorvelRM1->RmInit();
  try {
    scene_->ViewReady();
  } catch (const std::exception& error) {
    SetCaption(kCaption);  // the file could not be loaded again: nothing is open now
    ShowError(error.what());
  }
  ShowModelFacts();
}

void TViewerForm::FrameTick() {
  if (!scene_) return;
  if (viewStale_) RebuildView();
  scene_->Tick();
  if (KorvelRM1->OnPresent) KorvelRM1->OnPresent();
  CountFrame();
}

void TViewerForm::CountFrame() {
  if (++frameCount_ % 10 != 0) return;
  const auto elapsed = static_cast<int32_t>(timeGetTime() - lastTime_);
  if (elapsed != 0) RateLabel->SetCaption(FrameRateText(elapsed));
  lastTime_ = timeGetTime();
}

void TViewerForm::Release() {
  frameLoopArmed_ = false;
  scene_.reset();
  KorvelRM1->RmRelease();
  KorvelG1->DDrelease();
}
