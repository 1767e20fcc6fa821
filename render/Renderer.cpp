#include "render/Renderer.h"

#include <algorithm>
#include <bit>

#include "components/KorvelRM.h"
#include "scene/FloatingPoint.h"

int32_t VertexLimit(const TKorRenderer& R) {
  // Triangles address the buffer with 16-bit indices.
  return std::min(R.MaxVertices, int32_t{65536});
}

void NewRenderer(TKorRenderer& R, TKorvelRM* View, int32_t Width, int32_t Height,
                 int32_t MaxPolygons, int32_t MaxVertices, float Zoom) {
  R.Camera = IdentityMatrix;
  R.View = View;
  R.ScreenWidth = Width > 0 ? Width : View->Width();
  R.ScreenHeight = Height > 0 ? Height : View->Height();
  R.ScreenRight = static_cast<float>(R.ScreenWidth);
  R.ScreenBottom = static_cast<float>(R.ScreenHeight);
  R.HalfWidth = static_cast<float>(R.ScreenWidth) * 0.5f;
  R.HalfHeight = static_cast<float>(R.ScreenHeight) * 0.5f;
  R.MaxPolygons = std::max(MaxPolygons, int32_t{0});
  R.MaxVertices = std::max(MaxVertices, int32_t{0});
  R.Zoom = Zoom;
  R.SortList.assign(static_cast<size_t>(R.MaxPolygons), nullptr);
  R.BucketNodes.assign(static_cast<size_t>(R.MaxPolygons), BucketNode{});
  R.IndexBuffer.assign(static_cast<size_t>(R.MaxPolygons) * 2 * 3, 0);
  R.VertexBuffer.assign(static_cast<size_t>(R.MaxVertices), D3DTLVERTEX{});
  R.NodeFill = 0;
  R.VertexFill = 0;
  R.Buckets.fill(nullptr);
  R.Light = {0, 0, 1};
  R.FogColor = 0xFFDFDFEF;
  R.Losses = {};
  R.FailedCalls = 0;
  SetRenderStates(R);
}

void FreeRenderer(TKorRenderer& R) {
  R.SortList = {};
  R.BucketNodes = {};
  R.IndexBuffer = {};
  R.VertexBuffer = {};
}

void SetRenderStates(TKorRenderer& R) {
  if (R.View == nullptr || !R.View->D3DDevice) return;  // no device: nothing to set
  IDirect3DDevice2* device = R.View->D3DDevice.Get();
  ResetFloatingPoint();
  device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, 1);
  device->SetRenderState(D3DRENDERSTATE_FOGENABLE, 1);
  device->SetRenderState(D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_LINEAR);
  device->SetRenderState(D3DRENDERSTATE_FOGCOLOR, R.FogColor);
  device->SetRenderState(D3DRENDERSTATE_FOGTABLESTART, std::bit_cast<uint32_t>(0.2f));
  device->SetRenderState(D3DRENDERSTATE_FOGTABLEEND, std::bit_cast<uint32_t>(0.4f));
}
