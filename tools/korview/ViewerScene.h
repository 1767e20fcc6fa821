// The model viewer's scene on a set-up 3D view: the renderer, sized for the model open, and a
// small tree that turns and frames whatever model hangs in it.
//
//   turn root   Local: the user's turn (about the model's centre)
//   frame       Base: the model's centre moved to the origin, scaled to FramedRadius
//   model       the file's tree, as loaded
//
// The camera looks along +z from Distance in front of the centre. Opening a file that the
// loader rejects leaves the model open before as it was.
#pragma once

#include <memory>
#include <string>

#include "components/KorvelRM.h"
#include "render/Renderer.h"
#include "tools/korview/ModelFraming.h"
#include "tools/korview/ViewerModel.h"

struct TViewerSwitches {
  bool Culling = true;                 // counter-clockwise faces are culled, as in the demo
  bool PerspectiveCorrection = false;  // texture perspective correction, off as in the demo
  bool Fog = true;                     // the renderer's linear fog (from camera depth 200)
  bool Sway = true;                    // the demo figure sways, one step each frame
};

// The renderer's zoom, as in the demo.
inline constexpr float ViewerZoom = 2.0f;

class TViewerScene {
 public:
  // An empty scene with a renderer of the smallest size, on View (which stays the caller's).
  explicit TViewerScene(TKorvelRM* View);
  // Frees the model (giving its textures back), the scene tree and the renderer's buffers.
  ~TViewerScene();
  TViewerScene(const TViewerScene&) = delete;
  TViewerScene& operator=(const TViewerScene&) = delete;

  // Loads FileName and shows it framed, from the start turn (the demo's for the demo figure,
  // none for other models), with a renderer sized for it. Throws the loader's EKorModelError
  // when the file is rejected: the model open before stays, drawn as before.
  void Open(const std::string& FileName);

  // The view is about to be set up again (its size changed): drops the model without giving
  // textures back (the view's release takes them all) and the renderer's buffers.
  void ViewReleasing();
  // The view is set up again: loads the same file again, keeping the turn and the zoom, with a
  // renderer of the view's new size. Throws like Open, leaving the scene empty.
  void ViewReady();

  // One frame: the figure's step when it sways, then the drawing into the view's surface.
  void Tick();
  // A drag of (dx, dy) pixels turns the model about y and x, 0.01 radian a pixel, as in the demo.
  void Turn(int dx, int dy);
  // The wheel: WheelDelta 120 a notch, positive comes closer.
  void Zoom(int WheelDelta);
  // The start turn and the framed distance again.
  void ResetView();
  // Sets culling, perspective correction and fog on the view's device from Switches.
  void ApplySwitches();

  TViewerSwitches Switches;
  const TViewerModel* Model() const { return model_.get(); }
  TKorRenderer Renderer;
  float Distance = 0;
  TRendererCapacity Capacity;
  TKorObject* TurnRoot = nullptr;
  TKorObject* Frame = nullptr;

 private:
  void Install(std::unique_ptr<TViewerModel> Model);
  void DropModel();
  void MakeRenderer();
  void PlaceCamera();
  Matrix4 StartTurn() const;

  TKorvelRM* view_;
  std::unique_ptr<TViewerModel> model_;
  std::string fileName_;  // the file open, kept while the view is set up again
  float framedDistance_ = 0;
};

// Numbers the view's textures 0, 1, 2, ... in the order it holds them, and makes the next
// number follow them. The renderer draws only numbers below 256, and the view's count only
// grows, so a viewer that opens file after file renumbers after each load.
void RenumberTextures();
