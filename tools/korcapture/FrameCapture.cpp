#include "tools/korcapture/FrameCapture.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

namespace framecapture {

namespace {

constexpr char Magic[8] = {'K', 'O', 'R', 'F', 'R', 'A', 'M', 'E'};
// Sizes beyond these are refused before anything is allocated for them.
constexpr std::uint32_t MaxTargetSide = 8192;
constexpr std::uint32_t MaxTextureSide = 4096;
constexpr std::uint32_t MaxLabel = 4096;

class Writer {
 public:
  void U32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  void F32(float value) { U32(std::bit_cast<std::uint32_t>(value)); }
  void Bytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Reads fields in order; the first failure sticks and names the field and offset.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }
  std::size_t Left() const { return bytes_.size() - at_; }

  void Fail(const std::string& what) {
    if (Ok()) error_ = what + " at byte " + std::to_string(at_);
  }
  std::uint32_t U32(const char* what) {
    std::uint32_t value = 0;
    if (!Have(4, what)) return 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{bytes_[at_ + i]} << (8 * i);
    at_ += 4;
    return value;
  }
  float F32(const char* what) { return std::bit_cast<float>(U32(what)); }
  // Copies Size bytes into Out; fails (copying nothing) when fewer are left.
  bool Bytes(void* out, std::size_t size, const char* what) {
    if (!Have(size, what)) return false;
    if (size > 0) std::memcpy(out, bytes_.data() + at_, size);
    at_ += size;
    return true;
  }
  // A count of records of RecordSize bytes each, refused when more than the bytes left hold.
  std::uint32_t Count(std::size_t recordSize, const char* what) {
    const std::uint32_t count = U32(what);
    if (Ok() && recordSize > 0 && count > Left() / recordSize) {
      Fail(std::string(what) + " " + std::to_string(count) + " is more than the file holds");
      return 0;
    }
    return Ok() ? count : 0;
  }

 private:
  bool Have(std::size_t size, const char* what) {
    if (!Ok()) return false;
    if (size > Left()) {
      Fail(std::string("truncated in ") + what);
      return false;
    }
    return true;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  std::string error_;
};

bool SameVertices(const std::vector<D3DTLVERTEX>& a, const std::vector<D3DTLVERTEX>& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(D3DTLVERTEX)) == 0);
}

void WriteViewport(Writer& w, const D3DVIEWPORT2& v) {
  for (DWORD value : {v.dwX, v.dwY, v.dwWidth, v.dwHeight}) w.U32(value);
  for (float value : {v.dvClipX, v.dvClipY, v.dvClipWidth, v.dvClipHeight, v.dvMinZ, v.dvMaxZ})
    w.F32(value);
}

D3DVIEWPORT2 ReadViewport(Reader& r) {
  D3DVIEWPORT2 v{};
  v.dwSize = sizeof(D3DVIEWPORT2);
  for (DWORD* value : {&v.dwX, &v.dwY, &v.dwWidth, &v.dwHeight}) *value = r.U32("viewport");
  for (float* value :
       {&v.dvClipX, &v.dvClipY, &v.dvClipWidth, &v.dvClipHeight, &v.dvMinZ, &v.dvMaxZ})
    *value = r.F32("viewport");
  return v;
}

void WriteColor(Writer& w, const D3DCOLORVALUE& c) {
  for (float value : {c.r, c.g, c.b, c.a}) w.F32(value);
}

D3DCOLORVALUE ReadColor(Reader& r) {
  D3DCOLORVALUE c;
  for (float* value : {&c.r, &c.g, &c.b, &c.a}) *value = r.F32("material");
  return c;
}

std::size_t PixelBytes(const CaptureTexture& t) {
  return std::size_t{t.Width} * t.Height * (t.BitCount / 8);
}

void WriteTexture(Writer& w, const CaptureTexture& t) {
  for (std::uint32_t value : {t.Id, t.Width, t.Height, t.BitCount, t.Palettised ? 1u : 0u,
                              t.RedMask, t.GreenMask, t.BlueMask, t.AlphaMask})
    w.U32(value);
  if (t.Palettised) {
    for (std::size_t i = 0; i < 256; ++i) w.U32(i < t.Palette.size() ? t.Palette[i] : 0);
  }
  w.Bytes(t.Pixels.data(), t.Pixels.size());
}

void ReadTexture(Reader& r, CaptureTexture& t) {
  t.Id = r.U32("texture id");
  t.Width = r.U32("texture width");
  t.Height = r.U32("texture height");
  t.BitCount = r.U32("texture bit count");
  const std::uint32_t flags = r.U32("texture flags");
  t.RedMask = r.U32("texture masks");
  t.GreenMask = r.U32("texture masks");
  t.BlueMask = r.U32("texture masks");
  t.AlphaMask = r.U32("texture masks");
  if (!r.Ok()) return;
  if (flags > 1u) return r.Fail("texture " + std::to_string(t.Id) + " has unknown flags");
  t.Palettised = flags == 1u;
  if (t.Width == 0 || t.Height == 0 || t.Width > MaxTextureSide || t.Height > MaxTextureSide)
    return r.Fail("texture " + std::to_string(t.Id) + " has a bad size");
  if (t.Palettised != (t.BitCount == 8) ||
      (t.BitCount != 8 && t.BitCount != 16 && t.BitCount != 32))
    return r.Fail("texture " + std::to_string(t.Id) + " has an unknown format");
  if (t.Palettised) {
    if (r.Left() < 256 * 4) return r.Fail("truncated in texture palette");
    t.Palette.resize(256);
    for (D3DCOLOR& entry : t.Palette) entry = r.U32("texture palette");
  }
  if (PixelBytes(t) > r.Left()) return r.Fail("truncated in texture pixels");
  t.Pixels.resize(PixelBytes(t));
  r.Bytes(t.Pixels.data(), t.Pixels.size(), "texture pixels");
}

void WriteMaterial(Writer& w, const CaptureMaterial& m) {
  w.U32(m.Id);
  const D3DMATERIAL& d = m.Material;
  for (const D3DCOLORVALUE* c : {&d.diffuse, &d.ambient, &d.specular, &d.emissive})
    WriteColor(w, *c);
  w.F32(d.power);
  w.U32(d.hTexture);
  w.U32(d.dwRampSize);
}

void ReadMaterial(Reader& r, CaptureMaterial& m) {
  m.Id = r.U32("material id");
  D3DMATERIAL& d = m.Material;
  d.dwSize = sizeof(D3DMATERIAL);
  for (D3DCOLORVALUE* c : {&d.diffuse, &d.ambient, &d.specular, &d.emissive}) *c = ReadColor(r);
  d.power = r.F32("material");
  d.hTexture = r.U32("material");
  d.dwRampSize = r.U32("material");
}

// Draws that share the previous draw's vertices write them once.
void WriteCommand(Writer& w, const CaptureCommand& c, const CaptureCommand* previousDraw) {
  w.U32(static_cast<std::uint32_t>(c.Kind));
  switch (c.Kind) {
    case CommandKind::RenderState:
    case CommandKind::LightState:
      w.U32(c.Type);
      w.U32(c.Value);
      break;
    case CommandKind::Viewport:
      WriteViewport(w, c.Viewport);
      break;
    case CommandKind::Clear:
      WriteViewport(w, c.Viewport);
      w.U32(c.Value);
      w.U32(c.Flags);
      w.U32(static_cast<std::uint32_t>(c.Rects.size()));
      for (const D3DRECT& rect : c.Rects) {
        for (std::int32_t v : {rect.x1, rect.y1, rect.x2, rect.y2})
          w.U32(static_cast<std::uint32_t>(v));
      }
      break;
    case CommandKind::Draw:
      for (std::uint32_t value : {c.Type, c.Value, c.Flags}) w.U32(value);
      if (previousDraw && SameVertices(previousDraw->Vertices, c.Vertices)) {
        w.U32(1);
      } else {
        w.U32(0);
        w.U32(static_cast<std::uint32_t>(c.Vertices.size()));
        w.Bytes(c.Vertices.data(), c.Vertices.size() * sizeof(D3DTLVERTEX));
      }
      w.U32(static_cast<std::uint32_t>(c.Indices.size()));
      w.Bytes(c.Indices.data(), c.Indices.size() * sizeof(WORD));
      break;
    case CommandKind::BeginScene:
    case CommandKind::EndScene:
      break;
  }
}

void ReadClear(Reader& r, CaptureCommand& c) {
  c.Viewport = ReadViewport(r);
  c.Value = r.U32("clear background");
  c.Flags = r.U32("clear flags");
  c.Rects.resize(r.Count(16, "clear rect count"));
  for (D3DRECT& rect : c.Rects) {
    for (std::int32_t* v : {&rect.x1, &rect.y1, &rect.x2, &rect.y2})
      *v = static_cast<std::int32_t>(r.U32("clear rect"));
  }
}

void ReadDraw(Reader& r, CaptureCommand& c, std::size_t number,
              const CaptureCommand* previousDraw) {
  c.Type = r.U32("draw primitive type");
  c.Value = r.U32("draw vertex type");
  c.Flags = r.U32("draw flags");
  if (!r.Ok()) return;
  const std::string name = "draw " + std::to_string(number);
  if (c.Type < D3DPT_POINTLIST || c.Type > D3DPT_TRIANGLEFAN)
    return r.Fail(name + " has an unknown primitive type " + std::to_string(c.Type));
  if (c.Value != D3DVT_TLVERTEX) return r.Fail(name + " has vertices other than D3DTLVERTEX");
  const std::uint32_t source = r.U32("draw vertex source");
  if (source == 1 && previousDraw) {
    c.Vertices = previousDraw->Vertices;
  } else if (source == 0) {
    c.Vertices.resize(r.Count(sizeof(D3DTLVERTEX), "draw vertex count"));
    r.Bytes(c.Vertices.data(), c.Vertices.size() * sizeof(D3DTLVERTEX), "draw vertices");
  } else if (r.Ok()) {
    return r.Fail(name + " has a bad vertex source " + std::to_string(source));
  }
  c.Indices.resize(r.Count(sizeof(WORD), "draw index count"));
  r.Bytes(c.Indices.data(), c.Indices.size() * sizeof(WORD), "draw indices");
  if (!r.Ok()) return;
  for (WORD index : c.Indices) {
    if (index >= c.Vertices.size()) {
      return r.Fail(name + " has index " + std::to_string(index) + " beyond its " +
                    std::to_string(c.Vertices.size()) + " vertices");
    }
  }
}

void ReadCommand(Reader& r, CaptureCommand& c, std::size_t number,
                 const CaptureCommand* previousDraw) {
  const std::uint32_t kind = r.U32("command kind");
  if (!r.Ok()) return;
  c.Kind = static_cast<CommandKind>(kind);
  switch (c.Kind) {
    case CommandKind::RenderState:
    case CommandKind::LightState:
      c.Type = r.U32("state type");
      c.Value = r.U32("state value");
      return;
    case CommandKind::Viewport:
      c.Viewport = ReadViewport(r);
      return;
    case CommandKind::Clear:
      return ReadClear(r, c);
    case CommandKind::Draw:
      return ReadDraw(r, c, number, previousDraw);
    case CommandKind::BeginScene:
    case CommandKind::EndScene:
      return;
  }
  r.Fail("command " + std::to_string(number) + " has an unknown kind " + std::to_string(kind));
}

void ReadTarget(Reader& r, CaptureTarget& t) {
  t.Width = r.U32("target");
  t.Height = r.U32("target");
  t.BitCount = r.U32("target");
  t.RedMask = r.U32("target");
  t.GreenMask = r.U32("target");
  t.BlueMask = r.U32("target");
  t.DepthBits = r.U32("target");
  if (!r.Ok()) return;
  if (t.Width == 0 || t.Height == 0 || t.Width > MaxTargetSide || t.Height > MaxTargetSide)
    return r.Fail("the target has a bad size");
  if (t.BitCount != 16 && t.BitCount != 32) return r.Fail("the target has an unknown format");
  if (t.DepthBits != 0 && t.DepthBits != 16 && t.DepthBits != 24 && t.DepthBits != 32)
    return r.Fail("the target has an unknown depth");
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  // gzread reads plain files as they are, so both forms load the same way.
  const std::unique_ptr<gzFile_s, int (*)(gzFile)> file(gzopen(path.c_str(), "rb"), gzclose);
  if (!file) {
    error = path + ": cannot open";
    return false;
  }
  std::uint8_t buffer[1 << 16];
  for (;;) {
    const int got = gzread(file.get(), buffer, sizeof buffer);
    if (got < 0) {
      error = path + ": cannot read (corrupt compressed data?)";
      return false;
    }
    if (got == 0) return true;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
}

}  // namespace

const CaptureTexture* FrameCapture::FindTexture(std::uint32_t Id) const {
  for (const CaptureTexture& t : Textures)
    if (t.Id == Id) return &t;
  return nullptr;
}

const CaptureMaterial* FrameCapture::FindMaterial(std::uint32_t Id) const {
  for (const CaptureMaterial& m : Materials)
    if (m.Id == Id) return &m;
  return nullptr;
}

std::size_t FrameCapture::TriangleCount() const {
  std::size_t triangles = 0;
  for (const CaptureCommand& c : Commands) {
    if (c.Kind != CommandKind::Draw) continue;
    const std::size_t n = c.Indices.size();
    if (c.Type == D3DPT_TRIANGLELIST) triangles += n / 3;
    if ((c.Type == D3DPT_TRIANGLESTRIP || c.Type == D3DPT_TRIANGLEFAN) && n >= 3)
      triangles += n - 2;
  }
  return triangles;
}

std::vector<std::uint8_t> EncodeCapture(const FrameCapture& Capture) {
  Writer w;
  w.Bytes(Magic, sizeof Magic);
  w.U32(CaptureVersion);
  const CaptureTarget& t = Capture.Target;
  for (std::uint32_t value :
       {t.Width, t.Height, t.BitCount, t.RedMask, t.GreenMask, t.BlueMask, t.DepthBits})
    w.U32(value);
  w.U32(static_cast<std::uint32_t>(Capture.Label.size()));
  w.Bytes(Capture.Label.data(), Capture.Label.size());
  w.U32(static_cast<std::uint32_t>(Capture.Textures.size()));
  for (const CaptureTexture& texture : Capture.Textures) WriteTexture(w, texture);
  w.U32(static_cast<std::uint32_t>(Capture.Materials.size()));
  for (const CaptureMaterial& material : Capture.Materials) WriteMaterial(w, material);
  w.U32(static_cast<std::uint32_t>(Capture.Commands.size()));
  const CaptureCommand* previousDraw = nullptr;
  for (const CaptureCommand& command : Capture.Commands) {
    WriteCommand(w, command, previousDraw);
    if (command.Kind == CommandKind::Draw) previousDraw = &command;
  }
  return w.Take();
}

bool DecodeCapture(std::span<const std::uint8_t> Bytes, FrameCapture& Capture, std::string& Error) {
  Capture = FrameCapture{};
  Reader r(Bytes);
  char magic[sizeof Magic] = {};
  r.Bytes(magic, sizeof magic, "the header");
  if (r.Ok() && std::memcmp(magic, Magic, sizeof Magic) != 0) r.Fail("not a frame capture");
  const std::uint32_t version = r.U32("the header");
  if (r.Ok() && version != CaptureVersion)
    r.Fail("version " + std::to_string(version) + " is not " + std::to_string(CaptureVersion));
  ReadTarget(r, Capture.Target);
  const std::uint32_t labelSize = r.Count(1, "label length");
  if (r.Ok() && labelSize > MaxLabel) r.Fail("the label is too long");
  if (r.Ok()) {
    Capture.Label.resize(labelSize);
    r.Bytes(Capture.Label.data(), labelSize, "the label");
  }
  // Each record takes at least its fixed fields, so a count cannot ask for more than the
  // bytes left could hold.
  Capture.Textures.resize(r.Count(36, "texture count"));
  for (CaptureTexture& texture : Capture.Textures) {
    if (r.Ok()) ReadTexture(r, texture);
  }
  Capture.Materials.resize(r.Count(84, "material count"));
  for (CaptureMaterial& material : Capture.Materials) {
    if (r.Ok()) ReadMaterial(r, material);
  }
  Capture.Commands.resize(r.Count(4, "command count"));
  const CaptureCommand* previousDraw = nullptr;
  for (std::size_t i = 0; i < Capture.Commands.size() && r.Ok(); ++i) {
    ReadCommand(r, Capture.Commands[i], i, previousDraw);
    if (Capture.Commands[i].Kind == CommandKind::Draw) previousDraw = &Capture.Commands[i];
  }
  if (r.Ok() && r.Left() != 0) r.Fail(std::to_string(r.Left()) + " bytes after the last command");
  Error = r.Error();
  return r.Ok();
}

bool SaveCapture(const std::string& Path, const FrameCapture& Capture, std::string& Error) {
  const std::vector<std::uint8_t> bytes = EncodeCapture(Capture);
  gzFile file = gzopen(Path.c_str(), "wb9");
  if (!file) {
    Error = Path + ": cannot create";
    return false;
  }
  const bool written = gzwrite(file, bytes.data(), static_cast<unsigned>(bytes.size())) ==
                       static_cast<int>(bytes.size());
  if (gzclose(file) != Z_OK || !written) {
    Error = Path + ": cannot write";
    return false;
  }
  return true;
}

bool LoadCapture(const std::string& Path, FrameCapture& Capture, std::string& Error) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(Path, bytes, Error)) return false;
  if (DecodeCapture(bytes, Capture, Error)) return true;
  Error = Path + ": " + Error;
  return false;
}

}  // namespace framecapture
