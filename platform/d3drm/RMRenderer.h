// RMRenderer: draws what a viewport's Render gathered (RMViewport.h) through the immediate-mode
// device: each mesh visual with its frame's world matrix, lit by the scene's lights.
//
// For every group of every Mesh of this layer, each vertex is
//   - taken to camera coordinates by world × view;
//   - lit in world coordinates: with n the vertex normal taken to the world (by the inverse
//     transpose of the world matrix, so scaled frames keep their normals perpendicular) and
//     made unit length,
//        colour = group colour × (Σ ambient colours + Σ directional colour · max(0, n·(−L)))
//     each channel clamped to [0, 1], where L is the light's direction: the z axis of the
//     frame carrying it, in world coordinates, as in DirectX. The group's alpha is kept.
//     Point, spot and parallel-point lights are not built: they light nothing (and are
//     counted);
//   - projected (perspective): with c = the viewport's centre, k = (width / 2) / field,
//        sx = cx + k·x / z,   sy = cy − k·y / z   (y up in the world is down on the screen),
//        sz = back·(z − front) / (z·(back − front))   (0 on the front plane, 1 on the back
//             one; affine in 1/z, which is what the device's z-buffer interpolates),
//        rhw = 1 / z.
// Faces (convex polygons, drawn as fans, winding kept: the device culls as its render states
// say) lying wholly between the front and back planes are drawn as they are; faces crossing a
// plane are cut to it (DepthClipper.h); faces wholly before the front plane or beyond the back
// plane are dropped. The rest of the clipping, to the viewport's rectangle, is left to the
// device: a batch reaching outside the rectangle is drawn without D3DDP_DONOTCLIP.
//
// Each group is drawn as indexed triangle lists of D3DTLVERTEX (specular 0 with alpha 255: no
// highlight, no fog) with D3DRENDERSTATE_TEXTUREHANDLE set to its texture (DeviceTextures.h;
// 0 for none) and D3DRENDERSTATE_TEXTUREPERSPECTIVE to whether its mapping has
// D3DRMMAP_PERSPCORRECT. The two states are put back as they were when the drawing ends.
// D3DRMMAP_WRAPU and D3DRMMAP_WRAPV are not honoured (the device has no such wrapping).
//
// Visuals other than this layer's Mesh (mesh builders, textures, meshes of another
// implementation) are not drawn; they are counted. Buffers grow to the largest group seen and
// are reused: a frame of a scene already drawn once allocates nothing (DeviceTextures aside,
// which makes a texture the first time it is seen).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"
#include "platform/d3drm/DepthClipper.h"
#include "platform/d3drm/DeviceTextures.h"
#include "platform/d3drm/RMMath.h"
#include "platform/d3drm/RMObject.h"

namespace platform::d3drm {

struct MeshGroup;

struct RenderItem {
  IDirect3DRMVisual* visual = nullptr;  // held by its frame for as long as the scene is
  Matrix world;                         // model to world coordinates
};

struct RenderLight {
  IDirect3DRMLight* light = nullptr;
  Matrix world;  // the carrying frame's world matrix: a directional light shines along row 2
};

// The viewport's rectangle on the device's surface and its view volume.
struct ViewVolume {
  D3DVALUE x = 0, y = 0, width = 1, height = 1;  // pixels
  D3DVALUE front = 1, back = 100;                // clipping planes, camera z
  D3DVALUE field = 0.5f;                         // half-width of the view at distance 1
};

// What the last Draw did.
struct RenderCounts {
  unsigned meshes = 0;          // mesh visuals drawn
  unsigned skippedVisuals = 0;  // visuals of a kind that is not drawn
  unsigned unlitLights = 0;     // lights of a type that is not built
  unsigned faces = 0;           // faces drawn whole
  unsigned clippedFaces = 0;    // faces cut by the front or back plane
  unsigned droppedFaces = 0;    // faces wholly before the front or beyond the back plane
  unsigned triangles = 0;       // triangles handed to the device
  unsigned drawCalls = 0;
};

class RMRenderer {
 public:
  // The most vertices one draw call can index with WORD indices.
  static constexpr size_t kMaxBatchVertices = 65535;

  // Draws Items lit by Lights, seen through View (world to camera coordinates), on Device,
  // whose current viewport the caller has set and whose scene it has begun. D3DRM_OK, or the
  // first failed device call's result (the drawing stops there).
  HRESULT Draw(IDirect3DDevice2* Device, const std::vector<RenderItem>& Items,
               const std::vector<RenderLight>& Lights, const Matrix& View,
               const ViewVolume& Volume);

  const RenderCounts& Counts() const { return counts_; }
  const DeviceTextures& Textures() const { return textures_; }

 private:
  struct Directional {
    D3DVECTOR towardLight;  // −L, unit length
    D3DVALUE red, green, blue;
  };
  // The per-item transforms.
  struct ItemTransform {
    Matrix toCamera;       // model to camera
    Matrix normalToWorld;  // transpose of the inverse of the world matrix's 3 × 3 part
  };

  void GatherLights(const std::vector<RenderLight>& Lights);
  HRESULT DrawGroup(const MeshGroup& Group, const ItemTransform& Transform);
  // Transforms, lights and (when between the planes) projects every vertex of Group.
  void PrepareVertices(const MeshGroup& Group, const ItemTransform& Transform);
  void LightVertex(const D3DVECTOR& WorldNormal, D3DCOLOR GroupColor, ClipVertex& Out) const;
  D3DTLVERTEX Project(const ClipVertex& Vertex) const;
  HRESULT SetGroupStates(const MeshGroup& Group);
  HRESULT AddWholeFace(const unsigned* Corners, unsigned Count);
  HRESULT AddClippedFace(const unsigned* Corners, unsigned Count);
  // Flushes the batch when Count more vertices would not fit in it.
  HRESULT MakeRoom(size_t Count);
  WORD BatchSlot(unsigned Vertex);
  WORD AppendToBatch(const D3DTLVERTEX& Vertex);
  void AddFan(const WORD* Slots, size_t Count);
  HRESULT Flush();
  void NextBatch();
  HRESULT SetState(D3DRENDERSTATETYPE State, DWORD Value, DWORD& Current);
  void RestoreStates();

  // Set for the length of one Draw.
  IDirect3DDevice2* device_ = nullptr;
  ViewVolume volume_;
  D3DVALUE centreX_ = 0, centreY_ = 0, scale_ = 1, depthScale_ = 1;

  D3DVALUE ambient_[3] = {0, 0, 0};
  std::vector<Directional> directionals_;

  // Per group vertex: camera coordinates with lit colour, where it lies (0 between the
  // planes, −1 before the front one, +1 beyond the back one), and its projection.
  std::vector<ClipVertex> camera_;
  std::vector<std::int8_t> side_;
  std::vector<D3DTLVERTEX> screen_;
  // Where each group vertex sits in the current batch: valid when its stamp is the batch's.
  std::vector<WORD> slot_;
  std::vector<std::uint32_t> slotStamp_;
  std::uint32_t batchStamp_ = 0;
  std::vector<ClipVertex> polygon_;
  std::vector<WORD> fan_;
  DepthClipper clipper_;

  std::vector<D3DTLVERTEX> batchVertices_;
  std::vector<WORD> batchIndices_;
  D3DVALUE batchLeft_ = 0, batchTop_ = 0, batchRight_ = 0, batchBottom_ = 0;

  // Render states as set during this Draw, and as found before it.
  DWORD textureHandle_ = 0, perspective_ = 0;
  DWORD savedTextureHandle_ = 0, savedPerspective_ = 0;
  bool haveSavedTextureHandle_ = false, haveSavedPerspective_ = false;

  DeviceTextures textures_;
  RenderCounts counts_;
};

}  // namespace platform::d3drm
