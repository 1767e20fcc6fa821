// Replays a captured frame through Mesa's software OpenGL (llvmpipe, through OSMesa) with the
// device's states mapped to the fixed-function pipeline, for comparison with our device: the
// frame is drawn into a framebuffer object with 5-6-5 colour and 32-bit depth (OSMesa's own
// buffer has at most 24 depth bits), palettes are expanded at upload (GL has no palettised
// textures), and the projection shifts by half a pixel because GL samples pixel centres at
// +0.5 where the device samples at integer coordinates. Vertices go in as client arrays read
// straight from the captured D3DTLVERTEX records.
//
// Mapped: z-buffer enable, write and function; flat or Gouraud shading (first vertex gives the
// flat colour, as in Direct3D); culling in screen space; texture handle, blend (modulate,
// decal, copy, add), point or linear filters, wrap, mirror and clamp addressing; specular added
// after the texture (colour sum); table fog (linear, exp, exp2 over screen z) and vertex fog
// (specular alpha); alpha test and blending; fill mode; perspective correction on or off.
// Dither is asked for but llvmpipe ignores it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "tools/korcapture/FrameCapture.h"

namespace framecapture {

// An OSMesa context; llvmpipe reads LP_NUM_THREADS when the first one is made.
class GlContext {
 public:
  // Throws std::runtime_error when OSMesa cannot make a context.
  GlContext();
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

 private:
  void* context_ = nullptr;
  std::vector<std::uint8_t> buffer_;
};

class GlReplay {
 public:
  // Makes the framebuffer object and uploads the textures (a context must be current; Capture
  // must outlive the replay). Throws std::runtime_error when the framebuffer is incomplete.
  explicit GlReplay(const FrameCapture& Capture);
  ~GlReplay();
  GlReplay(const GlReplay&) = delete;
  GlReplay& operator=(const GlReplay&) = delete;

  // Plays the frame's commands and waits for the drawing to finish (glFinish).
  void Run();

  // The framebuffer's 5-6-5 pixels, rows from the top.
  std::vector<std::uint16_t> Pixels() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace framecapture
