#include "tools/korreplay/GlReplay.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/osmesa.h>
// osmesa.h brings gl.h; glext.h adds the framebuffer-object and colour-sum entry points.
#include <GL/glext.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <unordered_map>

namespace framecapture {

namespace {

// Per-draw arrays GL cannot read from the captured records directly.
struct DrawArrays {
  std::vector<float> clip;  // x, y, z, w with w = 1 / rhw, for perspective-correct drawing
  std::vector<float> fog;   // vertex fog factors (specular alpha / 255)
};

GLenum CompareFunction(DWORD f) {
  switch (f) {
    case D3DCMP_NEVER:
      return GL_NEVER;
    case D3DCMP_LESS:
      return GL_LESS;
    case D3DCMP_EQUAL:
      return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
      return GL_LEQUAL;
    case D3DCMP_GREATER:
      return GL_GREATER;
    case D3DCMP_NOTEQUAL:
      return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
      return GL_GEQUAL;
    default:
      return GL_ALWAYS;
  }
}

GLenum BlendFactor(DWORD f) {
  switch (f) {
    case D3DBLEND_ZERO:
      return GL_ZERO;
    case D3DBLEND_SRCCOLOR:
      return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
      return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
      return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
      return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
      return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
      return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
      return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
      return GL_SRC_ALPHA_SATURATE;
    default:
      return GL_ONE;
  }
}

GLint AddressMode(DWORD a) {
  switch (a) {
    case D3DTADDRESS_MIRROR:
      return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
      return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
      return GL_CLAMP_TO_BORDER;
    default:
      return GL_REPEAT;
  }
}

GLint TextureEnv(DWORD blend) {
  switch (blend) {
    case D3DTBLEND_DECAL:
    case D3DTBLEND_COPY:
      return GL_REPLACE;
    case D3DTBLEND_DECALALPHA:
      return GL_DECAL;
    case D3DTBLEND_ADD:
      return GL_ADD;
    default:
      return GL_MODULATE;
  }
}

GLenum PrimitiveMode(DWORD type) {
  switch (type) {
    case D3DPT_POINTLIST:
      return GL_POINTS;
    case D3DPT_LINELIST:
      return GL_LINES;
    case D3DPT_LINESTRIP:
      return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP:
      return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
      return GL_TRIANGLE_FAN;
    default:
      return GL_TRIANGLES;
  }
}

void SetColor4(GLfloat out[4], D3DCOLOR c) {
  out[0] = static_cast<float>(RGBA_GETRED(c)) / 255.0f;
  out[1] = static_cast<float>(RGBA_GETGREEN(c)) / 255.0f;
  out[2] = static_cast<float>(RGBA_GETBLUE(c)) / 255.0f;
  out[3] = static_cast<float>(RGBA_GETALPHA(c)) / 255.0f;
}

// The texture's pixels as GL reads them: palettes expanded to RGBA bytes, others as they are.
GLuint Upload(const CaptureTexture& t) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const auto w = static_cast<GLsizei>(t.Width), h = static_cast<GLsizei>(t.Height);
  if (t.Palettised) {
    std::vector<std::uint8_t> rgba(t.Pixels.size() * 4);
    for (std::size_t i = 0; i < t.Pixels.size(); ++i) {
      const D3DCOLOR c = t.Palette[t.Pixels[i]];
      rgba[i * 4 + 0] = static_cast<std::uint8_t>(RGBA_GETRED(c));
      rgba[i * 4 + 1] = static_cast<std::uint8_t>(RGBA_GETGREEN(c));
      rgba[i * 4 + 2] = static_cast<std::uint8_t>(RGBA_GETBLUE(c));
      rgba[i * 4 + 3] = 255;
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  } else if (t.BitCount == 16 && t.GreenMask == 0x07E0) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, w, h, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5,
                 t.Pixels.data());
  } else if (t.BitCount == 16) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV,
                 t.Pixels.data());
  } else {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, t.Pixels.data());
  }
  return name;
}

// The viewport's rectangle, or the whole target for a viewport never set.
D3DRECT ViewportRect(const D3DVIEWPORT2& v, const CaptureTarget& target) {
  if (v.dwWidth == 0) {
    return {0, 0, static_cast<std::int32_t>(target.Width),
            static_cast<std::int32_t>(target.Height)};
  }
  return {static_cast<std::int32_t>(v.dwX), static_cast<std::int32_t>(v.dwY),
          static_cast<std::int32_t>(v.dwX + v.dwWidth),
          static_cast<std::int32_t>(v.dwY + v.dwHeight)};
}

}  // namespace

struct GlReplay::State {
  const FrameCapture& capture;
  GLuint framebuffer = 0, colour = 0, depth = 0;
  std::unordered_map<std::uint32_t, GLuint> textures;
  std::vector<DrawArrays> arrays;  // one per command, filled for draws
  // Device states the mapping needs to combine.
  GLuint texture = 0;
  DWORD magFilter = D3DFILTER_NEAREST, minFilter = D3DFILTER_NEAREST;
  DWORD addressU = D3DTADDRESS_WRAP, addressV = D3DTADDRESS_WRAP;
  DWORD srcBlend = D3DBLEND_ONE, destBlend = D3DBLEND_ZERO;
  DWORD alphaFunc = D3DCMP_ALWAYS, alphaRef = 0;
  DWORD fogTableMode = D3DFOG_NONE;
  bool perspective = true;
  bool fogEnable = false;
  bool depthWrite = true;
  D3DVIEWPORT2 viewport{};

  explicit State(const FrameCapture& c) : capture(c) {}
  void RenderState(DWORD type, DWORD value);
  void SamplerStates();
  void FogStates();
  void Scissor(const D3DRECT& rect);
  void Clear(const CaptureCommand& c);
  void Draw(const CaptureCommand& c, const DrawArrays& a);
};

void GlReplay::State::SamplerStates() {
  if (texture == 0) return;
  const auto filter = [](DWORD f) { return f == D3DFILTER_LINEAR ? GL_LINEAR : GL_NEAREST; };
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter(magFilter));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter(minFilter));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, AddressMode(addressU));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, AddressMode(addressV));
}

void GlReplay::State::FogStates() {
  if (!fogEnable) return glDisable(GL_FOG);
  glEnable(GL_FOG);
  switch (fogTableMode) {
    case D3DFOG_EXP:
      glFogi(GL_FOG_MODE, GL_EXP);
      break;
    case D3DFOG_EXP2:
      glFogi(GL_FOG_MODE, GL_EXP2);
      break;
    case D3DFOG_LINEAR:
      glFogi(GL_FOG_MODE, GL_LINEAR);
      break;
    default:
      // Vertex fog: the factor itself is the coordinate, f = (0 - c) / (0 - 1) = c.
      glFogi(GL_FOG_MODE, GL_LINEAR);
      glFogf(GL_FOG_START, 1.0f);
      glFogf(GL_FOG_END, 0.0f);
      break;
  }
}

void GlReplay::State::RenderState(DWORD type, DWORD value) {
  const float asFloat = std::bit_cast<float>(value);
  switch (type) {
    case D3DRENDERSTATE_TEXTUREHANDLE: {
      const auto found = textures.find(value);
      texture = found == textures.end() ? 0 : found->second;
      if (texture == 0) return glDisable(GL_TEXTURE_2D);
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, texture);
      return SamplerStates();
    }
    case D3DRENDERSTATE_TEXTUREADDRESS:
      addressU = addressV = value;
      return SamplerStates();
    case D3DRENDERSTATE_TEXTUREADDRESSU:
      addressU = value;
      return SamplerStates();
    case D3DRENDERSTATE_TEXTUREADDRESSV:
      addressV = value;
      return SamplerStates();
    case D3DRENDERSTATE_TEXTUREMAG:
      magFilter = value;
      return SamplerStates();
    case D3DRENDERSTATE_TEXTUREMIN:
      minFilter = value;
      return SamplerStates();
    case D3DRENDERSTATE_TEXTUREPERSPECTIVE:
      perspective = value != 0;
      return;
    case D3DRENDERSTATE_ZENABLE:
      return value ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
    case D3DRENDERSTATE_ZWRITEENABLE:
      depthWrite = value != 0;
      return glDepthMask(depthWrite ? GL_TRUE : GL_FALSE);
    case D3DRENDERSTATE_ZFUNC:
      return glDepthFunc(CompareFunction(value));
    case D3DRENDERSTATE_FILLMODE:
      return glPolygonMode(GL_FRONT_AND_BACK, value == D3DFILL_POINT       ? GL_POINT
                                              : value == D3DFILL_WIREFRAME ? GL_LINE
                                                                           : GL_FILL);
    case D3DRENDERSTATE_SHADEMODE:
      return glShadeModel(value == D3DSHADE_FLAT ? GL_FLAT : GL_SMOOTH);
    case D3DRENDERSTATE_CULLMODE:
      // The picture keeps its orientation (only the row order of memory differs), so the
      // winding seen on screen is GL's: counter-clockwise is GL's front face.
      if (value == D3DCULL_NONE) return glDisable(GL_CULL_FACE);
      glEnable(GL_CULL_FACE);
      return glCullFace(value == D3DCULL_CCW ? GL_FRONT : GL_BACK);
    case D3DRENDERSTATE_TEXTUREMAPBLEND:
      return glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, TextureEnv(value));
    case D3DRENDERSTATE_ALPHABLENDENABLE:
      return value ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    case D3DRENDERSTATE_SRCBLEND:
      srcBlend = value;
      break;
    case D3DRENDERSTATE_DESTBLEND:
      destBlend = value;
      break;
    case D3DRENDERSTATE_ALPHATESTENABLE:
      return value ? glEnable(GL_ALPHA_TEST) : glDisable(GL_ALPHA_TEST);
    case D3DRENDERSTATE_ALPHAFUNC:
      alphaFunc = value;
      break;
    case D3DRENDERSTATE_ALPHAREF:
      alphaRef = value;
      break;
    case D3DRENDERSTATE_DITHERENABLE:
      return value ? glEnable(GL_DITHER) : glDisable(GL_DITHER);
    case D3DRENDERSTATE_SPECULARENABLE:
      return value ? glEnable(GL_COLOR_SUM) : glDisable(GL_COLOR_SUM);
    case D3DRENDERSTATE_FOGENABLE:
      fogEnable = value != 0;
      return FogStates();
    case D3DRENDERSTATE_FOGTABLEMODE:
      fogTableMode = value;
      return FogStates();
    case D3DRENDERSTATE_FOGCOLOR: {
      GLfloat colour[4];
      SetColor4(colour, value);
      return glFogfv(GL_FOG_COLOR, colour);
    }
    case D3DRENDERSTATE_FOGTABLESTART:
      if (fogTableMode != D3DFOG_NONE) glFogf(GL_FOG_START, asFloat);
      return;
    case D3DRENDERSTATE_FOGTABLEEND:
      if (fogTableMode != D3DFOG_NONE) glFogf(GL_FOG_END, asFloat);
      return;
    case D3DRENDERSTATE_FOGTABLEDENSITY:
      return glFogf(GL_FOG_DENSITY, asFloat);
    default:
      return;
  }
  glBlendFunc(BlendFactor(srcBlend), BlendFactor(destBlend));
  glAlphaFunc(CompareFunction(alphaFunc), static_cast<float>(alphaRef & 0xFF) / 255.0f);
}

// Scissor to a rectangle of the target given from the top.
void GlReplay::State::Scissor(const D3DRECT& rect) {
  const auto height = static_cast<std::int32_t>(capture.Target.Height);
  glScissor(rect.x1, height - rect.y2, std::max(0, rect.x2 - rect.x1),
            std::max(0, rect.y2 - rect.y1));
}

void GlReplay::State::Clear(const CaptureCommand& c) {
  // The background as the device's material gives it: channels scaled by 255 and rounded.
  const CaptureMaterial* material = capture.FindMaterial(c.Value);
  D3DCOLORVALUE diffuse = material ? material->Material.diffuse : D3DCOLORVALUE{0, 0, 0, 1};
  const auto channel = [](float v) {
    return static_cast<float>(static_cast<int>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f)) / 255.0f;
  };
  glClearColor(channel(diffuse.r), channel(diffuse.g), channel(diffuse.b), 1.0f);
  glClearDepth(1.0);
  GLbitfield mask = 0;
  if (c.Flags & D3DCLEAR_TARGET) mask |= GL_COLOR_BUFFER_BIT;
  if (c.Flags & D3DCLEAR_ZBUFFER) mask |= GL_DEPTH_BUFFER_BIT;
  const D3DRECT view = ViewportRect(c.Viewport, capture.Target);
  // Clears ignore the depth mask in Direct3D, not in GL.
  glDepthMask(GL_TRUE);
  for (const D3DRECT& r : c.Rects) {
    Scissor({std::max(r.x1, view.x1), std::max(r.y1, view.y1), std::min(r.x2, view.x2),
             std::min(r.y2, view.y2)});
    glClear(mask);
  }
  glDepthMask(depthWrite ? GL_TRUE : GL_FALSE);
  Scissor(ViewportRect(viewport, capture.Target));
}

void GlReplay::State::Draw(const CaptureCommand& c, const DrawArrays& a) {
  if (c.Vertices.empty() || c.Indices.empty()) return;  // nothing to draw, no arrays to point at
  const D3DTLVERTEX* v = c.Vertices.data();
  constexpr GLsizei Stride = sizeof(D3DTLVERTEX);
  if (perspective) {
    glVertexPointer(4, GL_FLOAT, 0, a.clip.data());
  } else {
    glVertexPointer(3, GL_FLOAT, Stride, &v->sx);
  }
  glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, Stride, &v->color);
  glSecondaryColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, Stride, &v->specular);
  glTexCoordPointer(2, GL_FLOAT, Stride, &v->tu);
  if (fogTableMode != D3DFOG_NONE) {
    glFogCoordPointer(GL_FLOAT, Stride, &v->sz);
  } else {
    glFogCoordPointer(GL_FLOAT, 0, a.fog.data());
  }
  glDrawElements(PrimitiveMode(c.Type), static_cast<GLsizei>(c.Indices.size()), GL_UNSIGNED_SHORT,
                 c.Indices.data());
}

GlContext::GlContext() {
  context_ = OSMesaCreateContextExt(OSMESA_RGBA, 0, 0, 0, nullptr);
  if (!context_) throw std::runtime_error("OSMesa cannot make a context");
  // The frame goes to a framebuffer object; the context's own buffer only has to exist.
  buffer_.resize(16 * 16 * 4);
  if (!OSMesaMakeCurrent(static_cast<OSMesaContext>(context_), buffer_.data(), GL_UNSIGNED_BYTE, 16,
                         16)) {
    OSMesaDestroyContext(static_cast<OSMesaContext>(context_));
    throw std::runtime_error("OSMesa cannot make its context current");
  }
}

GlContext::~GlContext() {
  OSMesaDestroyContext(static_cast<OSMesaContext>(context_));
}

GlReplay::GlReplay(const FrameCapture& Capture) : state_(std::make_unique<State>(Capture)) {
  State& s = *state_;
  const auto w = static_cast<GLsizei>(Capture.Target.Width);
  const auto h = static_cast<GLsizei>(Capture.Target.Height);
  glGenFramebuffers(1, &s.framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
  glGenRenderbuffers(1, &s.colour);
  glBindRenderbuffer(GL_RENDERBUFFER, s.colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB565, w, h);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.colour);
  glGenRenderbuffers(1, &s.depth);
  glBindRenderbuffer(GL_RENDERBUFFER, s.depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32, w, h);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, s.depth);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
    throw std::runtime_error("GL: the 5-6-5 / 32-bit depth framebuffer is incomplete");

  for (const CaptureTexture& t : Capture.Textures) s.textures[t.Id] = Upload(t);
  glBindTexture(GL_TEXTURE_2D, 0);
  s.arrays.resize(Capture.Commands.size());
  for (std::size_t i = 0; i < Capture.Commands.size(); ++i) {
    const CaptureCommand& c = Capture.Commands[i];
    if (c.Kind != CommandKind::Draw) continue;
    DrawArrays& a = s.arrays[i];
    for (const D3DTLVERTEX& v : c.Vertices) {
      const float w1 = v.rhw != 0.0f ? 1.0f / v.rhw : 1.0f;
      a.clip.insert(a.clip.end(), {v.sx * w1, v.sy * w1, v.sz * w1, w1});
      a.fog.push_back(static_cast<float>(RGBA_GETALPHA(v.specular)) / 255.0f);
    }
  }

  // Screen coordinates straight through, shifted by half a pixel, y from the top, z in [0, 1].
  glViewport(0, 0, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-0.5, w - 0.5, h - 0.5, -0.5, 0.0, -1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_SCISSOR_TEST);
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  glFogi(GL_FOG_COORD_SRC, GL_FOG_COORD);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_SECONDARY_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_FOG_COORD_ARRAY);
  glFinish();
}

GlReplay::~GlReplay() {
  State& s = *state_;
  for (const auto& [id, name] : s.textures) glDeleteTextures(1, &name);
  glDeleteRenderbuffers(1, &s.colour);
  glDeleteRenderbuffers(1, &s.depth);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &s.framebuffer);
}

void GlReplay::Run() {
  State& s = *state_;
  glBindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
  for (std::size_t i = 0; i < s.capture.Commands.size(); ++i) {
    const CaptureCommand& c = s.capture.Commands[i];
    switch (c.Kind) {
      case CommandKind::RenderState:
        s.RenderState(c.Type, c.Value);
        break;
      case CommandKind::Viewport:
        s.viewport = c.Viewport;
        s.Scissor(ViewportRect(s.viewport, s.capture.Target));
        break;
      case CommandKind::Clear:
        s.Clear(c);
        break;
      case CommandKind::Draw:
        s.Draw(c, s.arrays[i]);
        break;
      case CommandKind::LightState:  // only untransformed vertices use them
      case CommandKind::BeginScene:
      case CommandKind::EndScene:
        break;
    }
  }
  glFinish();
}

std::vector<std::uint16_t> GlReplay::Pixels() const {
  const auto w = state_->capture.Target.Width, h = state_->capture.Target.Height;
  std::vector<std::uint16_t> rows(std::size_t{w} * h), pixels(rows.size());
  glBindFramebuffer(GL_FRAMEBUFFER, state_->framebuffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 2);
  glReadPixels(0, 0, static_cast<GLsizei>(w), static_cast<GLsizei>(h), GL_RGB,
               GL_UNSIGNED_SHORT_5_6_5, rows.data());
  // GL's rows run from the bottom.
  for (std::uint32_t y = 0; y < h; ++y) {
    std::memcpy(pixels.data() + std::size_t{w} * y, rows.data() + std::size_t{w} * (h - 1 - y),
                std::size_t{w} * 2);
  }
  return pixels;
}

}  // namespace framecapture
