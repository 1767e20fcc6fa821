#include "render/FramePass.h"

#include <utility>

#include "components/KorvelRM.h"
#include "render/NearClip.h"
#include "render/TransformPass.h"
#include "scene/FloatingPoint.h"
#include "scene/Texdata.h"

namespace {

// Counts a failed device call: the frame goes on, but the caller can see it did not draw.
void Count(TKorRenderer& R, HRESULT Result) {
  if (FAILED(Result)) ++R.FailedCalls;
}

// Copies queue b into SortList[1..n-1] between the two sentinels, empties the queue and
// returns n (the high sentinel's slot). A queue is never longer than SortList less its two
// sentinel slots, so a renderer too small for any polygon never writes SortList at all.
int32_t TakeQueue(TKorRenderer& R, int b, TKorPolygon* lowSentinel, TKorPolygon* highSentinel) {
  R.SortList[0] = lowSentinel;
  int32_t n = 1;
  for (BucketNode* node = R.Buckets[static_cast<size_t>(b)]; node != nullptr;
       node = node->NextNode) {
    R.SortList[static_cast<size_t>(n++)] = node->Polygon;
  }
  R.Buckets[static_cast<size_t>(b)] = nullptr;
  R.SortList[static_cast<size_t>(n)] = highSentinel;
  return n;
}

void AppendClippedGroup(TKorRenderer& R, int32_t last, int32_t& triangles) {
  for (int32_t k = 1; k <= last; ++k) {
    ResetFloatingPoint();
    const TKorPolygon& p = *R.SortList[static_cast<size_t>(k)];
    if (p.Flag != 6) continue;
    for (int32_t m = 0; m + 2 < p.Count; ++m) ClipFanTriangle(R, p, m + 1, m + 2, triangles);
  }
}

void AppendUnclippedGroup(TKorRenderer& R, int32_t first, int32_t n, int32_t& triangles) {
  for (int32_t k = first; k < n; ++k) {
    const TKorPolygon& p = *R.SortList[static_cast<size_t>(k)];
    if (p.Flag != 6) continue;
    const int32_t F = p.Owner->FirstIndex;
    for (int32_t m = 0; m + 2 < p.Count; ++m) {
      AppendTriangle(R, triangles, F + p.Indices[0], F + p.Indices[static_cast<size_t>(m + 1)],
                     F + p.Indices[static_cast<size_t>(m + 2)]);
    }
  }
}

void DrawGroup(TKorRenderer& R, int32_t start, int32_t end, DWORD flags) {
  if (end == start) return;
  Count(R,
        R.View->D3DDevice->DrawIndexedPrimitive(
            D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, R.VertexBuffer.data(),
            static_cast<DWORD>(R.VertexFill), R.IndexBuffer.data() + static_cast<size_t>(start) * 3,
            static_cast<DWORD>((end - start) * 3), flags));
}

void DrawQueue(TKorRenderer& R, int b, TKorPolygon* lowSentinel, TKorPolygon* highSentinel,
               int32_t& triangles) {
  const int32_t n = TakeQueue(R, b, lowSentinel, highSentinel);
  int32_t i = 0, j = 0;
  PartitionQueue(R, n, i, j);

  const int32_t clippedStart = triangles;
  AppendClippedGroup(R, j, triangles);
  ResetFloatingPoint();
  const TKorTexdata& texture = *R.SortList[1]->TexRef;
  IDirect3DDevice2* device = R.View->D3DDevice.Get();
  Count(R, device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, texture.TextureHandle));
  Count(R, device->SetLightState(D3DLIGHTSTATE_MATERIAL, texture.MaterialHandle));
  DrawGroup(R, clippedStart, triangles, D3DDP_WAIT);

  const int32_t unclippedStart = triangles;
  AppendUnclippedGroup(R, i, n, triangles);
  ResetFloatingPoint();
  DrawGroup(R, unclippedStart, triangles, D3DDP_WAIT | D3DDP_DONOTCLIP);
}

}  // namespace

Matrix4 ScreenMatrix(const TKorRenderer& R) {
  const Matrix4& C = R.Camera;
  Matrix4 T = IdentityMatrix;
  T[12] = -C[12];
  T[13] = -C[13];
  T[14] = -C[14];
  Matrix4 Q = IdentityMatrix;
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) Q[row * 4 + col] = C[col * 4 + row];
  }
  Matrix4 S = IdentityMatrix;
  S[0] = R.HalfWidth;
  S[5] = R.HalfWidth;
  Matrix4 V, M;
  MatrixMultiply(T, Q, V);
  MatrixMultiply(V, S, M);
  return M;
}

void PartitionQueue(TKorRenderer& R, int32_t n, int32_t& i, int32_t& j) {
  auto state = [&R](int32_t k) { return R.SortList[static_cast<size_t>(k)]->ClipState; };
  i = 0;
  j = n - 1;
  while (i <= j) {
    while (state(i) < 1) ++i;
    while (state(j) > 1) --j;
    if (i <= j) {
      std::swap(R.SortList[static_cast<size_t>(i)], R.SortList[static_cast<size_t>(j)]);
      ++i;
      --j;
    }
  }
}

void DrawScene(TKorRenderer& R, TKorObject* Root, bool DepthOnly) {
  ResetFloatingPoint();
  R.VertexFill = 0;
  R.NodeFill = 0;
  R.Losses = {};
  R.FailedCalls = 0;
  TKorvelRM& view = *R.View;
  if (!view.D3DDevice || !view.Viewport) return;  // a view without a device draws nothing

  ComPtr<IDirect3DViewport> viewport;
  view.Viewport->GetDirect3DViewport(viewport.Put());
  ComPtr<IDirect3DViewport2> viewport2;
  if (viewport) viewport.As(IID_IDirect3DViewport2, viewport2);
  if (viewport2) {
    Count(R, view.D3DDevice->SetCurrentViewport(viewport2.Get()));
    Count(R, viewport2->SetBackground(view.BGMaterialHandle));
    D3DRECT rect{0, 0, view.Width(), view.Height()};
    Count(R, viewport2->Clear(1, &rect,
                              DepthOnly ? D3DCLEAR_ZBUFFER : D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER));
  }

  const Matrix4 M = ScreenMatrix(R);
  ResetFloatingPoint();
  TransformTree(R, M, IdentityMatrix, Root);

  TKorPolygon lowSentinel, highSentinel;
  lowSentinel.ClipState = -1;
  highSentinel.ClipState = 256;
  int32_t triangles = 0;
  Count(R, view.D3DDevice->BeginScene());
  for (int b = 0; b < TextureQueueCount; ++b) {
    if (R.Buckets[static_cast<size_t>(b)] != nullptr)
      DrawQueue(R, b, &lowSentinel, &highSentinel, triangles);
  }
  ResetFloatingPoint();
  Count(R, view.D3DDevice->EndScene());
  // The two viewport interfaces are released here, the newer first, as the ComPtrs go.
  viewport2.Reset();
  viewport.Reset();
}
