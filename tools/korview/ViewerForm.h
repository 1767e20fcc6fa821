// The model viewer's main form: a 3D view of the model open, switches above it, and a side
// panel with the file's texture table and object tree as kordump prints them.
//
// A file is opened from the command line (InitialFile), through File, Open (a TOpenDialog
// listing folders and ".kor" files), or by dropping it onto the window. A file the loader
// rejects gives the loader's message in a box and leaves the model open before. Dragging over
// the view turns the model, the wheel over it zooms, View, Reset view brings back the start
// turn and the framed distance. File, Save picture writes the view's last frame as PNG.
// Frames run back to back from the idle loop, the frame rate shown above the view every ten
// frames. The window is resizable; the view follows its size (the view is set up again, and
// the model loaded again, at the next frame).
#pragma once

#include <memory>
#include <string>

#include "components/KorvelG.h"
#include "components/KorvelRM.h"
#include "framework/CheckBox.h"
#include "framework/Form.h"
#include "framework/Label.h"
#include "framework/ListBox.h"
#include "framework/Menu.h"
#include "framework/OpenDialog.h"
#include "framework/Timer.h"
#include "tools/korview/ViewerScene.h"

class TViewerForm : public TForm {
 public:
  explicit TViewerForm(TComponent* Owner);
  ~TViewerForm() override;

  // The file the start-up opens (the command line's), empty for none.
  std::string InitialFile;

  // The start-up, run once by StartTimer after the window shows: the displays and the view set
  // up (primary display driver, first software device, no dialog), the scene, the switches,
  // the frame loop, and InitialFile opened.
  void StartUp();
  // Opens FileName in the view; a rejected file shows the loader's message in a box
  // (captioned "korview") and changes nothing. True when it opened.
  bool OpenFile(const std::string& FileName);
  // Writes the view's last frame to FileName as PNG; false (after a box) when it cannot.
  bool SavePicture(const std::string& FileName);
  // One frame: the view set up again if the window's size changed, the scene's tick, the
  // presentation, the frame rate every ten frames.
  void FrameTick();

  TViewerScene* Scene() { return scene_.get(); }

  TMainMenu* MainMenu1;
  TMenuItem* File1;
  TMenuItem* Open1;
  TMenuItem* SavePicture1;
  TMenuItem* Exit1;
  TMenuItem* View1;
  TMenuItem* ResetView1;
  TCheckBox* CullingBox;
  TCheckBox* PerspectiveBox;
  TCheckBox* FogBox;
  TCheckBox* SwayBox;
  TLabel* RateLabel;
  TListBox* ModelPanel;
  TKorvelG* KorvelG1;    // the master display component, hidden under the view
  TKorvelRM* KorvelRM1;  // the 3D view
  TTimer* StartTimer;    // fires once, after the window shows: the start-up
  TOpenDialog* OpenDialog1;
  TSaveDialog* SaveDialog1;

 private:
  void MakeControls();
  void MakeMenu();
  void WireEvents();
  void Layout();
  void RebuildView();
  void SwitchesChanged();
  void ShowModelFacts();
  void CountFrame();
  void Release();
  void ShowError(const std::string& Text);
  bool OverView(int X, int Y) const;

  std::unique_ptr<TViewerScene> scene_;
  bool frameLoopArmed_ = false;
  bool idleInstalled_ = false;  // Application->OnIdle is this form's
  bool viewStale_ = false;      // the view's size changed since it was set up
  bool dragging_ = false;
  int lastX_ = 0;
  int lastY_ = 0;
  int frameCount_ = 0;
  unsigned lastTime_ = 0;
};
