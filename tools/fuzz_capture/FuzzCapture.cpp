// libFuzzer target for the frame-capture reader. Every input must either be refused with a
// reason or decode into a frame whose draws index only their own vertices and whose textures
// hold exactly their pixels, and that encodes back to the very same bytes. Anything else is a
// finding: a sanitizer report, an escaped exception or one of the traps below.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/korcapture/FrameCapture.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckFrame(const framecapture::FrameCapture& frame) {
  for (const framecapture::CaptureTexture& t : frame.Textures) {
    Require(t.Pixels.size() == std::size_t{t.Width} * t.Height * (t.BitCount / 8));
    Require(t.Palette.size() == (t.Palettised ? 256u : 0u));
  }
  for (const framecapture::CaptureCommand& c : frame.Commands) {
    if (c.Kind != framecapture::CommandKind::Draw) continue;
    for (WORD index : c.Indices) Require(index < c.Vertices.size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  framecapture::FrameCapture frame;
  std::string error;
  const std::span<const std::uint8_t> bytes(data, size);
  if (!framecapture::DecodeCapture(bytes, frame, error)) {
    Require(!error.empty());
    return 0;
  }
  CheckFrame(frame);
  const std::vector<std::uint8_t> again = framecapture::EncodeCapture(frame);
  Require(again.size() == size && std::equal(again.begin(), again.end(), data));
  return 0;
}
