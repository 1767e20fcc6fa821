// The unit KorvelG: TKorvelG, a panel that owns a DirectDraw drawing surface, and the display
// state all its instances share.
//
// All instances share one DirectDraw object, one primary surface and one palette. The first
// instance set up (DDInit) is the master: it opens the driver and makes the shared objects,
// in full-screen mode a 640 x 480 flip chain, in windowed mode the desktop's primary surface
// and an offscreen surface of its own size. Every later instance is a secondary with an
// offscreen surface of its own size. Secondaries are released before the master, whose
// release gives back everything shared.
//
// Calling order: construct all instances; optionally set FullScreen, Color8bit and
// SelectDrawDriver; DDEnum (needed unless DrawDriverIndex is -1); DDInitAll; use; DDrelease on
// every secondary, then on the master. DirectDraw results are kept in LastResult and set-up
// goes on after a failed call; a step whose object was never made is skipped.
#pragma once

#include <memory>

#include "components/KorvelGEnum.h"
#include "framework/Canvas.h"
#include "framework/List.h"
#include "framework/Panel.h"
#include "platform/com/ComPtr.h"
#include "platform/ddraw/DDrawInterfaces.h"

class TKorvelG;

// A method of an instance, as OnPresent holds it: Flip or MainCopy of a given TKorvelG.
struct TKorvelGMethod {
  TKorvelG* Instance = nullptr;
  void (TKorvelG::*Code)() = nullptr;

  explicit operator bool() const { return Instance && Code; }
  void operator()() const { (Instance->*Code)(); }
  bool operator==(const TKorvelGMethod&) const = default;
};

class TKorvelG : public TPanel {
 public:
  // Create: the panel with Owner, then listed at the end of InstanceList.
  explicit TKorvelG(TComponent* Owner);
  // Destroy: DDrelease, then the panel's destructor. The instance also leaves InstanceList,
  // so that no later DDInitAll reaches a destroyed instance.
  ~TKorvelG() override;

  // Published methods.
  // Appends one TDrawDriverRec per driver to DriverList (made when nil). Uses no instance data.
  void DDEnum();
  // Sets this instance up, as the master when DirectDraw is nil, else as a secondary.
  void DDInit();
  // DrawDriverIndex := Index (-1 primary display driver, -2 automatic, else a DriverList index).
  void SelectDrawDriver(LONG Index);
  void SelectDisplayMode() {}
  // Releases this instance, and when it is the master everything shared. Can run twice.
  void DDrelease();
  // GDI copy of Canvas's top-left Width x Height pixels onto Surface.
  void CopyFromCanvas(TCanvas* Canvas);
  // Flips the shared primary flip chain (full-screen).
  void Flip();
  // Copies Surface to this control's place on the screen through its clipper (windowed).
  void MainCopy();
  // Fast copy of SrcRect of Source onto Surface at (X, Y), cut at the left and top by
  // negative X and Y and at this control's right and bottom edges. ColorKey 1 uses the
  // source's colour key, 0 none.
  void Copy(LONG X, LONG Y, IDirectDrawSurface* Source, const RECT& SrcRect, BYTE ColorKey);
  // Fills SurfaceRect of Surface with BltFx.dwFillColor (0).
  void Clear();
  // Restores whichever of Surface, PrimarySurface and BackSurface were lost.
  void DDRestore();
  // Blend blits on 16-bit surfaces (components/BlendBlit.h): screen addition and saturating
  // addition of Source's (SX, SY, W, H) onto Surface at (X, Y), and darkening of Surface.
  void ADDBlt(LONG X, LONG Y, IDirectDrawSurface* Source, LONG SX, LONG SY, LONG W, LONG H);
  void ADDBlt2(LONG X, LONG Y, IDirectDrawSurface* Source, LONG SX, LONG SY, LONG W, LONG H);
  void Dark(float Amount);

  // Published properties: they read the shared flags; writes take effect only while the
  // shared objects are not set up (DirectDraw nil).
  bool FullScreen() const;
  void SetFullScreen(bool Value);
  bool Color8bit() const;
  void SetColor8bit(bool Value);

  // Fields of the instance, public as in the component's interface: the view derived from it
  // draws through them.
  ComPtr<IDirectDrawSurface> Surface;  // the master's BackSurface or a secondary's own
  ComPtr<IDirectDrawClipper> Clipper;  // windowed only, bound to this control's window
  DDSURFACEDESC SurfaceDesc;           // scratch for each surface creation
  DDBLTFX BltFx;                       // Clear's fill, colour 0
  RECT SurfaceRect;                    // (0, 0, width, height) of Surface
  DWORD RedUnit = 0;                   // lowest set bit of each 16-bit channel mask
  DWORD GreenUnit = 0;
  DWORD BlueUnit = 0;
  TKorvelGMethod OnPresent;  // Flip (full-screen master), MainCopy (windowed), else unset

 private:
  enum class BlendKind { Screen, Saturating };

  void OpenDriver();
  void InitFullScreen();
  void InitWindowed();
  void InitSecondary();
  void MakeSharedPalette();
  void ReadChannelUnits();
  DWORD SurfaceMemory() const;
  HWND OwnerHandle() const;
  bool LockBoth(IDirectDrawSurface* Source, DDSURFACEDESC& SrcDesc, DDSURFACEDESC& DstDesc);
  void Blend(LONG X, LONG Y, IDirectDrawSurface* Source, LONG SX, LONG SY, LONG W, LONG H,
             BlendKind Kind);
};

// Display unit state, one copy for the process, shared by every TKorvelG (and TKorvelRM).
extern std::unique_ptr<TList<TKorvelG*>> InstanceList;  // in construction order
extern std::unique_ptr<TDrawDriverList> DriverList;     // filled by DDEnum
extern ComPtr<IDirectDraw> DirectDraw;                  // nil: nothing shared is set up
extern ComPtr<IDirectDraw2> DirectDraw2;
extern ComPtr<IDirectDrawPalette> Palette;
extern ComPtr<IDirectDrawSurface> PrimarySurface;
extern ComPtr<IDirectDrawSurface> BackSurface;
extern HRESULT LastResult;
extern DWORD DisplayBits;  // full-screen bits per pixel: 8 or 16
extern bool FullScreen;
extern bool Color8bit;
extern LONG DrawDriverIndex;  // -1 primary display driver, -2 automatic, else an index
extern LONG UsedDriverIndex;  // -1 primary display driver, else an index into DriverList
extern LONG MasterIndex;      // component index of the master
extern bool NoHardware;       // the full-screen driver reports DDCAPS_NOHARDWARE
// Shared with the 3D view: the chosen Direct3D device is a hardware device, so surfaces go
// to video memory. Set by the device selection and the view's set-up.
extern bool Hardware3D;

// DDInit on every entry of InstanceList, in list order (the first becomes the master).
void DDInitAll();
bool GetNoHardware();
