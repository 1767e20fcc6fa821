// The demonstration's scene on a set-up 3D view: the renderer, the empty scene root with the
// character hanging under it, and the camera. The main form builds it once at start-up, ticks
// it once per frame and releases it on close; the headless tools drive it the same way.
#pragma once

#include <memory>

#include "anim/Wisp.h"
#include "components/KorvelRM.h"
#include "render/Renderer.h"

class TDemoScene {
 public:
  // The renderer on View (the view's own size, 20000 polygons and vertices, zoom 2), the scene
  // root, the character loaded from "wisp2.kor" in the working directory and attached under
  // the root, the camera at (0, 0, -20) looking along +z, and the character's start-up turn.
  // The character's textures are made through View. Throws when the model cannot be loaded;
  // what was made before is given back.
  explicit TDemoScene(TKorvelRM* View);
  // Frees the character, then the scene tree, then the renderer's buffers.
  ~TDemoScene();
  TDemoScene(const TDemoScene&) = delete;
  TDemoScene& operator=(const TDemoScene&) = delete;

  // One frame: the floating-point reset, the character's step of 0.02, the drawing of the tree
  // into the view's surface.
  void Tick();

  // A drag of (dx, dy) pixels turns the character about y and x, 0.01 radian a pixel.
  void Turn(int dx, int dy);

  TKorRenderer Renderer;
  TKorObject* SceneRoot = nullptr;
  std::unique_ptr<TWisp> Character;
};
