#include "tools/korreplay/DeviceReplay.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/d3d/DeviceCore.h"
#include "platform/ddraw/DirectDraw.h"

namespace framecapture {

namespace {

void Require(HRESULT result, const std::string& what) {
  if (result != S_OK) throw std::runtime_error("replay: cannot " + what);
}

DDSURFACEDESC SurfaceDesc(DWORD width, DWORD height, DWORD caps) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = width;
  desc.dwHeight = height;
  desc.ddsCaps.dwCaps = caps;
  return desc;
}

// Copies tightly packed rows into a locked surface.
void CopyRows(IDirectDrawSurface* surface, const std::uint8_t* rows, std::size_t rowBytes,
              DWORD height) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  Require(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), "lock a texture");
  for (DWORD y = 0; y < height; ++y) {
    std::memcpy(static_cast<std::uint8_t*>(desc.lpSurface) + std::ptrdiff_t{desc.lPitch} * y,
                rows + rowBytes * y, rowBytes);
  }
  surface->Unlock(desc.lpSurface);
}

}  // namespace

DeviceReplay::DeviceReplay(const FrameCapture& Capture) : capture_(Capture) {
  const CaptureTarget& t = Capture.Target;
  if (t.BitCount != 16 || t.RedMask != 0xF800 || t.GreenMask != 0x07E0 || t.BlueMask != 0x001F)
    throw std::runtime_error("replay: only 16-bit 5-6-5 targets are replayed");
  ComPtr<IDirectDraw> ddraw;
  Require(DirectDrawCreate(nullptr, ddraw.Put(), nullptr), "create DirectDraw");
  Require(ddraw.As(IID_IDirectDraw2, ddraw_), "reach IDirectDraw2");
  Require(ddraw_->SetCooperativeLevel(nullptr, DDSCL_NORMAL), "set the cooperative level");
  Require(ddraw.As(IID_IDirect3D2, d3d_), "reach IDirect3D2");
  MakeTarget();
  for (const CaptureTexture& texture : Capture.Textures) MakeTexture(texture);
  for (const CaptureMaterial& material : Capture.Materials) MakeMaterial(material);
  Require(d3d_->CreateViewport(viewport_.Put(), nullptr), "create a viewport");
  Require(device_->AddViewport(viewport_.Get()), "add the viewport");
}

void DeviceReplay::MakeTarget() {
  const CaptureTarget& t = capture_.Target;
  DDSURFACEDESC desc = SurfaceDesc(
      t.Width, t.Height, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY);
  desc.dwFlags |= DDSD_PIXELFORMAT;
  DDPIXELFORMAT& format = desc.ddpfPixelFormat;
  format.dwSize = sizeof(format);
  format.dwFlags = DDPF_RGB;
  format.dwRGBBitCount = 16;
  format.dwRBitMask = t.RedMask;
  format.dwGBitMask = t.GreenMask;
  format.dwBBitMask = t.BlueMask;
  Require(ddraw_->CreateSurface(&desc, target_.Put(), nullptr), "create the target");
  if (t.DepthBits != 0) {
    DDSURFACEDESC zdesc = SurfaceDesc(t.Width, t.Height, DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY);
    zdesc.dwFlags |= DDSD_ZBUFFERBITDEPTH;
    zdesc.dwZBufferBitDepth = t.DepthBits;
    Require(ddraw_->CreateSurface(&zdesc, zbuffer_.Put(), nullptr), "create the z-buffer");
    Require(target_->AddAttachedSurface(zbuffer_.Get()), "attach the z-buffer");
  }
  Require(d3d_->CreateDevice(IID_IDirect3DRGBDevice, target_.Get(), device_.Put()),
          "create the device");
}

void DeviceReplay::MakeTexture(const CaptureTexture& Texture) {
  DDSURFACEDESC desc =
      SurfaceDesc(Texture.Width, Texture.Height, DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY);
  desc.dwFlags |= DDSD_PIXELFORMAT;
  DDPIXELFORMAT& format = desc.ddpfPixelFormat;
  format.dwSize = sizeof(format);
  format.dwFlags = DDPF_RGB | (Texture.Palettised ? DDPF_PALETTEINDEXED8 : 0) |
                   (Texture.AlphaMask ? DDPF_ALPHAPIXELS : 0);
  format.dwRGBBitCount = Texture.BitCount;
  format.dwRBitMask = Texture.RedMask;
  format.dwGBitMask = Texture.GreenMask;
  format.dwBBitMask = Texture.BlueMask;
  format.dwRGBAlphaBitMask = Texture.AlphaMask;
  ComPtr<IDirectDrawSurface> surface;
  const std::string name = "texture " + std::to_string(Texture.Id);
  Require(ddraw_->CreateSurface(&desc, surface.Put(), nullptr), "create " + name);
  CopyRows(surface.Get(), Texture.Pixels.data(), std::size_t{Texture.Width} * Texture.BitCount / 8,
           Texture.Height);
  if (Texture.Palettised) {
    PALETTEENTRY entries[256] = {};
    for (std::size_t i = 0; i < 256 && i < Texture.Palette.size(); ++i) {
      const D3DCOLOR c = Texture.Palette[i];
      entries[i] = {static_cast<BYTE>(RGBA_GETRED(c)), static_cast<BYTE>(RGBA_GETGREEN(c)),
                    static_cast<BYTE>(RGBA_GETBLUE(c)), 0};
    }
    ComPtr<IDirectDrawPalette> palette;
    Require(ddraw_->CreatePalette(DDPCAPS_8BIT, entries, palette.Put(), nullptr),
            "create the palette of " + name);
    Require(surface->SetPalette(palette.Get()), "set the palette of " + name);
  }
  ComPtr<IDirect3DTexture2> texture;
  Require(surface.As(IID_IDirect3DTexture2, texture), "reach " + name);
  if (Texture.Palettised) texture->PaletteChanged(0, 256);
  D3DTEXTUREHANDLE handle = 0;
  Require(texture->GetHandle(device_.Get(), &handle), "get a handle for " + name);
  textureHandles_[Texture.Id] = handle;
  textureSurfaces_.push_back(surface);
  textures_.push_back(texture);
}

void DeviceReplay::MakeMaterial(const CaptureMaterial& Material) {
  ComPtr<IDirect3DMaterial2> material;
  Require(d3d_->CreateMaterial(material.Put(), nullptr), "create a material");
  D3DMATERIAL data = Material.Material;
  data.dwSize = sizeof(data);
  data.hTexture = MappedTexture(data.hTexture);
  Require(material->SetMaterial(&data), "set a material");
  D3DMATERIALHANDLE handle = 0;
  Require(material->GetHandle(device_.Get(), &handle), "get a material handle");
  materialHandles_[Material.Id] = handle;
  materials_.push_back(material);
}

DWORD DeviceReplay::MappedTexture(DWORD Id) const {
  const auto found = textureHandles_.find(Id);
  return found == textureHandles_.end() ? 0 : found->second;
}

DWORD DeviceReplay::MappedMaterial(DWORD Id) const {
  const auto found = materialHandles_.find(Id);
  return found == materialHandles_.end() ? 0 : found->second;
}

void DeviceReplay::SetThreadCount(int Count) {
  const std::shared_ptr<platform::DeviceCore> core = platform::CoreOf(device_.Get());
  if (!core) throw std::runtime_error("replay: the device is not this project's");
  core->Raster().SetThreadCount(Count);
}

void DeviceReplay::Run() {
  for (const CaptureCommand& command : capture_.Commands) Play(command);
}

void DeviceReplay::Play(const CaptureCommand& c) {
  switch (c.Kind) {
    case CommandKind::RenderState: {
      const DWORD value = c.Type == D3DRENDERSTATE_TEXTUREHANDLE ? MappedTexture(c.Value) : c.Value;
      device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(c.Type), value);
      break;
    }
    case CommandKind::LightState: {
      const DWORD value = c.Type == D3DLIGHTSTATE_MATERIAL ? MappedMaterial(c.Value) : c.Value;
      device_->SetLightState(static_cast<D3DLIGHTSTATETYPE>(c.Type), value);
      break;
    }
    case CommandKind::Viewport:
      if (c.Viewport.dwWidth > 0) viewport_->SetViewport2(&c.Viewport);
      device_->SetCurrentViewport(viewport_.Get());
      break;
    case CommandKind::Clear:
      if (c.Viewport.dwWidth > 0) viewport_->SetViewport2(&c.Viewport);
      viewport_->SetBackground(MappedMaterial(c.Value));
      viewport_->Clear(static_cast<DWORD>(c.Rects.size()), c.Rects.data(), c.Flags);
      break;
    case CommandKind::Draw:
      // The device reads the arrays only; the interface's pointers are not const.
      device_->DrawIndexedPrimitive(
          static_cast<D3DPRIMITIVETYPE>(c.Type), static_cast<D3DVERTEXTYPE>(c.Value),
          const_cast<D3DTLVERTEX*>(c.Vertices.data()), static_cast<DWORD>(c.Vertices.size()),
          const_cast<WORD*>(c.Indices.data()), static_cast<DWORD>(c.Indices.size()), c.Flags);
      break;
    case CommandKind::BeginScene:
      device_->BeginScene();
      break;
    case CommandKind::EndScene:
      device_->EndScene();
      break;
  }
}

std::vector<std::uint16_t> DeviceReplay::Pixels() const {
  const CaptureTarget& t = capture_.Target;
  std::vector<std::uint16_t> pixels(std::size_t{t.Width} * t.Height);
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  Require(target_->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), "lock the target");
  for (DWORD y = 0; y < t.Height; ++y) {
    std::memcpy(pixels.data() + std::size_t{t.Width} * y,
                static_cast<const std::uint8_t*>(desc.lpSurface) + std::ptrdiff_t{desc.lPitch} * y,
                std::size_t{t.Width} * 2);
  }
  target_->Unlock(desc.lpSurface);
  return pixels;
}

}  // namespace framecapture
