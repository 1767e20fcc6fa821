// A captured frame: the device calls of one frame (render and light states, viewport clears,
// DrawIndexedPrimitive calls with their vertices and indices) with the textures and materials
// they name and the render target they drew into, and its file format.
//
// The file is a little-endian byte stream (optionally gzip-compressed as a whole):
//   "KORFRAME" u32 version
//   target: u32 width, height, bit count, red, green, blue masks, depth bits
//   u32 label length, label bytes
//   u32 texture count, textures: u32 id, width, height, bit count, flags (1 = palettised),
//       red, green, blue, alpha masks, [256 u32 ARGB palette if palettised],
//       width * height * bit count / 8 pixel bytes, rows from the top, unpadded
//   u32 material count, materials: u32 id, D3DMATERIAL as 18 floats (diffuse, ambient,
//       specular, emissive as r g b a; power) and u32 texture handle, ramp size
//   u32 command count, commands: u32 kind, then
//       RenderState, LightState: u32 type, value
//       Viewport: D3DVIEWPORT2 (u32 x, y, width, height; floats clip x, y, width, height,
//           min z, max z)
//       Clear: viewport as above, u32 background material id, flags, rect count, rects (4 i32)
//       Draw: u32 primitive type, vertex type, flags, u32 vertex source (0: vertex count and
//           vertices, 32 bytes each, follow; 1: the previous draw's vertices again, as the
//           program hands the same vertex buffer to every draw of a frame), u32 index count,
//           indices (u16 each)
//       BeginScene, EndScene: nothing
// Ids are the handles the program used; a replay makes its own and maps them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/d3d/D3DInterfaces.h"

namespace framecapture {

inline constexpr std::uint32_t CaptureVersion = 2;

// The render target the frame drew into.
struct CaptureTarget {
  std::uint32_t Width = 0, Height = 0;
  std::uint32_t BitCount = 16;
  std::uint32_t RedMask = 0xF800, GreenMask = 0x07E0, BlueMask = 0x001F;
  std::uint32_t DepthBits = 0;  // 0: no z-buffer
};

struct CaptureTexture {
  std::uint32_t Id = 0;
  std::uint32_t Width = 0, Height = 0, BitCount = 8;
  bool Palettised = true;
  std::uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0, AlphaMask = 0;
  std::vector<D3DCOLOR> Palette;     // 256 opaque ARGB entries when palettised, else empty
  std::vector<std::uint8_t> Pixels;  // Width * Height * BitCount / 8 bytes
};

struct CaptureMaterial {
  std::uint32_t Id = 0;
  D3DMATERIAL Material{};
};

enum class CommandKind : std::uint32_t {
  RenderState = 1,
  LightState = 2,
  Viewport = 3,
  Clear = 4,
  Draw = 5,
  BeginScene = 6,
  EndScene = 7,
};

struct CaptureCommand {
  CommandKind Kind = CommandKind::BeginScene;
  std::uint32_t Type = 0;   // state type; primitive type of a draw
  std::uint32_t Value = 0;  // state value; vertex type of a draw; background id of a clear
  std::uint32_t Flags = 0;  // clear and draw flags
  D3DVIEWPORT2 Viewport{};  // Viewport and Clear
  std::vector<D3DRECT> Rects;
  std::vector<D3DTLVERTEX> Vertices;
  std::vector<WORD> Indices;
};

struct FrameCapture {
  CaptureTarget Target;
  std::string Label;
  std::vector<CaptureTexture> Textures;
  std::vector<CaptureMaterial> Materials;
  std::vector<CaptureCommand> Commands;

  const CaptureTexture* FindTexture(std::uint32_t Id) const;
  const CaptureMaterial* FindMaterial(std::uint32_t Id) const;
  // Triangles drawn by the frame's draws (lists, strips and fans).
  std::size_t TriangleCount() const;
};

// The frame as file bytes (uncompressed).
std::vector<std::uint8_t> EncodeCapture(const FrameCapture& Capture);

// Reads a frame from file bytes. On bad input (truncated, a wrong magic or version, counts
// that do not fit the bytes left, indices beyond the vertices, unknown kinds or formats)
// returns false with Error saying what and where; Capture is then unspecified.
bool DecodeCapture(std::span<const std::uint8_t> Bytes, FrameCapture& Capture, std::string& Error);

// Writes the frame to Path, gzip-compressed. False (with Error) when it cannot be written.
bool SaveCapture(const std::string& Path, const FrameCapture& Capture, std::string& Error);

// Reads a frame from Path, compressed or not.
bool LoadCapture(const std::string& Path, FrameCapture& Capture, std::string& Error);

}  // namespace framecapture
