// A frame of the view's scene loaded from a mesh file: the frame, the mesh it shows and the
// mesh builder the file was loaded into. Each reference belongs to the wrapper.
#pragma once

#include "platform/com/ComPtr.h"
#include "platform/d3drm/RMInterfaces.h"

class TKorvelFrame {
 public:
  ComPtr<IDirect3DRMFrame2> Frame;
  ComPtr<IDirect3DRMMesh> Mesh;
  ComPtr<IDirect3DRMMeshBuilder2> MeshBuilder;

  // Gives back the three references, each only if set.
  void Release() {
    Frame.Reset();
    Mesh.Reset();
    MeshBuilder.Reset();
  }
};
