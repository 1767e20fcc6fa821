#include "tools/rmscene/SampleScene.h"

namespace {

// A turn of 0.05 radians per frame about a tilted axis: the torus shows all its sides.
constexpr float kTurnPerFrame = 0.05f;

}  // namespace

TSampleWrap SampleWrap(int32_t WrapType) {
  // Origin at the torus's centre, z axis along its own axis, y axis up. The torus reaches 2.1
  // from its axis and 0.6 along it.
  TSampleWrap wrap{0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 1};
  switch (WrapType) {
    case 0:  // flat: u and v run 0 to 1 across the torus
      wrap.su = wrap.sv = 1.0f / 4.2f;
      wrap.ou = wrap.ov = -0.5f;
      break;
    case 1:  // cylinder: u once round the ring, v along the axis
      wrap.sv = 1.0f / 1.2f;
      wrap.ov = -0.5f;
      break;
    default:  // sphere and chrome: the texture once over the sphere of directions
      break;
  }
  return wrap;
}

void LoadSampleScene(TKorvelRM& View, const std::string& Folder, TKorvelFrame** Frame) {
  View.MakeFramefromFile(Frame, (Folder + "/sample.x").c_str());
  TKorvelFrame* loaded = *Frame;
  if (!loaded || !loaded->Frame || !View.Scene) return;
  loaded->Frame->SetPosition(View.Scene.Get(), 0, 0, 0);
  loaded->Frame->SetOrientation(View.Scene.Get(), 0, -0.6f, 1, 0, 1, 0.6f);
  loaded->Frame->SetRotation(View.Scene.Get(), 0.3f, 1, 0.2f, kTurnPerFrame);
}

void WrapSample(TKorvelRM& View, TKorvelFrame* Frame, const std::string& Folder, int32_t WrapType) {
  const TSampleWrap w = SampleWrap(WrapType);
  View.SetWrap(Frame, (Folder + "/meta.bmp").c_str(), WrapType, w.ox, w.oy, w.oz, w.dx, w.dy, w.dz,
               w.ux, w.uy, w.uz, w.ou, w.ov, w.su, w.sv);
}

void SetSampleBackground(TKorvelRM& View) {
  View.SetBGColor(16, 24, 64);
  if (!View.Viewport) return;
  ComPtr<IDirect3DViewport> immediate;
  if (View.Viewport->GetDirect3DViewport(immediate.Put()) == D3DRM_OK)
    immediate->SetBackground(View.BGMaterialHandle);
}

void RenderSampleFrame(TKorvelRM& View) {
  View.RMClear();
  View.Render();
}
