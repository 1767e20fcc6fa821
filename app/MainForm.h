// The main form TForm1: the demonstration itself.
//
// The form carries the display panel KorvelG1 (the master of the shared DirectDraw objects)
// and the 3D view KorvelRM1. Shortly after the window first shows, the one-shot Timer1 runs
// the start-up: the "FullScreen?" question, the form made a borderless 640 x 480 window at
// (0, 0), the device selection (SelectDevices(-4) with its dialog), the "meta.bmp" texture and
// the scene (TDemoScene: renderer, scene root, character, camera). From then on every pass of
// the application's idle loop is one frame: the character's step, the drawing, the
// presentation (full screen: the view's top-left 512 x 368 pixels to (64, 56) of the primary
// surface; windowed: the view's own copy to its place on the screen) and, every tenth frame,
// "FPS =" and the rate in Edit1. Dragging over the view turns the character; a click or a
// repaint restores lost surfaces; closing releases the scene, the view and the display, in
// that order, and disarms the frame loop first.
//
// A missing "meta.bmp" or "wisp2.kor" leaves the start-up with the framework's file error,
// which the default error box shows; nothing more is set up and no frame is drawn. Exit in the
// device dialog closes this form; the start-up then stops at once.
//
// The form works on either backend: the program chooses the desktop one in main(); the tests
// choose the headless one and create the form with Application->CreateForm(Form1).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/DemoScene.h"
#include "components/KorvelG.h"
#include "components/KorvelRM.h"
#include "framework/Button.h"
#include "framework/CheckBox.h"
#include "framework/Edit.h"
#include "framework/Form.h"
#include "framework/Image.h"
#include "framework/Menu.h"
#include "framework/OpenDialog.h"
#include "framework/Timer.h"

// The steps of the release sequence, in their order.
enum class TReleaseStep { Scene, View, Display };

class TForm1 : public TForm {
 public:
  // The form as stored: caption "Form1", client 662 x 470 at a place the desktop chooses, the
  // main menu, the controls below. OnCreate (FormCreate) runs when CreateForm makes it.
  explicit TForm1(TComponent* Owner);
  // Releases what a form destroyed without closing still holds, and removes its idle handler.
  ~TForm1() override;

  // Controls and components, in the stored order.
  TButton* Button1;      // "begin": the start-up; hidden once it runs
  TButton* Button2;      // "end", hidden: the release sequence
  TButton* Button3;      // "render", hidden: nothing
  TButton* Button4;      // "load", hidden: nothing
  TTimer* Timer1;        // 1 ms, fires once: the start-up
  TTimer* Timer2;        // interval 0, never fires itself: its handler is the frame tick
  TEdit* Edit1;          // the frame-rate text
  TButton* Button5;      // "終了", hidden: closes the form
  TImage* Image1;        // hidden: holds "meta.bmp"
  TCheckBox* CheckBox1;  // hidden, checked: counter-clockwise culling after start-up
  TCheckBox* CheckBox3;  // "InitAuto", hidden, not used
  TCheckBox* CheckBox4;  // hidden, unchecked: no texture perspective correction
  TMainMenu* MainMenu1;
  TMenuItem* File1;          // "File"
  TMenuItem* Exit1;          // "Exit": closes the form
  TOpenDialog* OpenDialog1;  // for ".kor" files; not used
  TSaveDialog* SaveDialog1;  // for ".kor" files; not used
  TCheckBox* CheckBox2;      // "Hel", hidden, not used
  TCheckBox* CheckBox5;      // hidden: the answer to "FullScreen?"
  TKorvelG* KorvelG1;        // the master display component; nothing is drawn into it
  TKorvelRM* KorvelRM1;      // the 3D view, 512 x 386

  // Event handlers, as wired.
  // FrameCount and Dragging := 0; LastTime := the millisecond clock.
  void FormCreate(TObject* Sender);
  // Runs once: stops Timer1, hides Button1, runs the start-up, sets culling and perspective
  // from CheckBox1 and CheckBox4, installs AppIdle.
  void Timer1Timer(TObject* Sender);
  // The start-up sequence proper (see the top of this file). Runs only once.
  void Button1Click(TObject* Sender);
  // Release: the scene (character, tree, renderer), KorvelRM1's RmRelease, KorvelG1's
  // DDrelease.
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button4Click(TObject* Sender);
  void Button5Click(TObject* Sender);
  // One frame tick; nothing before the start-up made the scene or after the release.
  void Timer2Timer(TObject* Sender);
  // The idle handler: one frame, and "not done" so the loop comes straight back. Once the
  // form has closed it draws nothing and lets the loop wait.
  void AppIdle(TObject* Sender, bool& Done);
  void FormClick(TObject* Sender);
  void FormPaint(TObject* Sender);
  void KorvelRM1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void KorvelRM1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void KorvelRM1MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void Exit1Click(TObject* Sender);
  // Disarms the frame loop, Timer2's interval := 0, then the release (Button2Click).
  void FormClose(TObject* Sender, TCloseAction& Action);

  // Runs after each step of the release sequence, for whoever watches it.
  std::function<void(TReleaseStep Step)> OnReleaseStep;

 private:
  void MakeControls();
  void MakeMenu();
  void WireEvents();
  void SetStartUpRenderStates();
  void Present();
  void CountFrame();
  void ReleaseStepDone(TReleaseStep Step);

  bool startUpBegun_ = false;    // Button1Click has run (a second run would set up twice)
  bool frameLoopArmed_ = false;  // AppIdle may tick: from the start-up until the close
  bool idleInstalled_ = false;   // Application->OnIdle is this form's AppIdle
};

// Main form unit state, one copy for the process.
extern TForm1* Form1;
extern int32_t FrameCount;  // frames ticked since FormCreate
extern DWORD LastTime;      // start of the current 10-frame measuring window
// The scene root with the character under it, and the renderer; made by the start-up, freed
// by the release.
extern std::unique_ptr<TDemoScene> DemoScene;
extern TKorvelTexture* MetaTexture;  // the texture made from "meta.bmp"; owned by the view
extern int32_t Dragging;             // 1 while a button is held down over the view
extern int32_t LastX;                // view coordinates of the drag's previous mouse event
extern int32_t LastY;

// The millisecond clock the frame rate is measured with: timeGetTime. Tests put a clock of
// their own here before creating the form.
extern DWORD (*FrameClock)();

// "FPS =" and 10000 / Elapsed (10 frames in Elapsed milliseconds) in general format: up to 15
// significant digits, no trailing zeros ("FPS =80", "FPS =81.3008130081301"). Elapsed is not 0.
std::string FrameRateText(int32_t Elapsed);

// Added to the message of a file the start-up could not read: where the demo looked (its
// working folder, in full) and that it runs from its assets folder.
std::string AssetsHint();
