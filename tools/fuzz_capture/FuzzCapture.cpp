// libFuzzer target for the frame-capture reader. Every input must either be refused with a
// reason or decode into a frame whose draws index only their own vertices and whose textures
// hold exactly their pixels, and which the writer and reader then carry through unchanged. Anything
// else is a finding: a sanitizer report, an escaped exception or one of the traps below.
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
  // What was accepted writes out as bytes that read back into the same frame: encoding it
  // again gives those bytes exactly. (The input itself may differ: a draw may repeat the
  // previous draw's vertices in full where the writer refers to them.)
  const std::vector<std::uint8_t> written = framecapture::EncodeCapture(frame);
  framecapture::FrameCapture reread;
  Require(framecapture::DecodeCapture(written, reread, error));
  Require(framecapture::EncodeCapture(reread) == written);
  return 0;
}
