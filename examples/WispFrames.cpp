// Renders the animated figure without a window and writes the last frame as a PNG:
//   wisp_frames <folder holding wisp2.kor> <out.png> [frames]
// It shows the component library from outside: a headless backend, a form with the display
// panel and the 3D view, the renderer on the view, the character loaded from its model file.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <numbers>
#include <vector>

#include "anim/Wisp.h"
#include "components/KorvelRM.h"
#include "framework/Application.h"
#include "framework/backends/HeadlessBackend.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/display/Rgb565.h"
#include "render/FramePass.h"
#include "render/Renderer.h"
#include "scene/FloatingPoint.h"

namespace {

// The view's 5-6-5 surface as 8-bit RGB rows.
std::vector<unsigned char> SurfaceRgb(IDirectDrawSurface* Surface, int& Width, int& Height) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  if (Surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return {};
  Width = static_cast<int>(desc.dwWidth);
  Height = static_cast<int>(desc.dwHeight);
  std::vector<unsigned char> rgb(static_cast<std::size_t>(Width) * Height * 3);
  for (int y = 0; y < Height; ++y) {
    const auto* row = reinterpret_cast<const std::uint16_t*>(
        static_cast<const unsigned char*>(desc.lpSurface) + y * desc.lPitch);
    for (int x = 0; x < Width; ++x) {
      unsigned char* out = &rgb[(static_cast<std::size_t>(y) * Width + x) * 3];
      out[0] = static_cast<unsigned char>(platform::Red565(row[x]));
      out[1] = static_cast<unsigned char>(platform::Green565(row[x]));
      out[2] = static_cast<unsigned char>(platform::Blue565(row[x]));
    }
  }
  Surface->Unlock(desc.lpSurface);
  return rgb;
}

bool WritePng(const char* Path, const std::vector<unsigned char>& Rgb, int Width, int Height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(Width);
  image.height = static_cast<png_uint_32>(Height);
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, Path, 0, Rgb.data(), Width * 3, nullptr) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <folder holding wisp2.kor> <out.png> [frames]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path output = std::filesystem::absolute(argv[2]);
  const int frames = argc > 3 ? std::atoi(argv[3]) : 10;
  try {
    std::filesystem::current_path(argv[1]);  // the character reads its files from here

    // No window: the headless backend, which answers message boxes with OK.
    UseHeadlessBackend().AnswerMessageBoxesWith(
        [](const HeadlessBackend::MessageBoxCall&) { return IDOK; });
    auto form = std::make_unique<TWinControl>(nullptr);
    form->SetBounds(0, 0, 640, 480);
    auto* display = new TKorvelG(form.get());
    display->SetParent(form.get());
    display->SetBounds(8, 64, 185, 41);
    auto* view = new TKorvelRM(form.get());
    view->SetParent(form.get());
    view->SetBounds(8, 32, 512, 386);
    D3DDeviceChoice = -1;  // the first software device, windowed
    DrawDriverIndex = -1;
    view->DDEnum();
    DDInitAll();
    view->RmInit();

    // The renderer on the view and the character under an empty root, seen from z = -20.
    TKorRenderer renderer;
    NewRenderer(renderer, view, 0, 0, 20000, 20000, 2.0f);
    TKorObject* root = nullptr;
    NewObject(root, 0, 0, 0, 0);
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    {
      TWisp character(view);
      AttachObject(root, character.Model);
      MakeMatrix(renderer.Camera, 0, 0, -20, 0, 0, 0);
      constexpr float kPi = std::numbers::pi_v<float>;
      MakeMatrix(character.Placement, 0, 0, 0, -0.2f * kPi, 1.45f * kPi, -0.2f * kPi);
      renderer.Light = {0, 0, 1};
      for (int i = 0; i < frames; ++i) {
        ResetFloatingPoint();
        character.Animate(0.02f);
        DrawScene(renderer, root, false);
      }
      rgb = SurfaceRgb(view->Surface.Get(), width, height);
    }
    FreeObject(root);
    FreeRenderer(renderer);
    view->RmRelease();
    display->DDrelease();
    form.reset();

    if (rgb.empty() || !WritePng(output.c_str(), rgb, width, height)) {
      std::fprintf(stderr, "could not write %s\n", output.c_str());
      return 1;
    }
    std::printf("%d frames, %d x %d, written to %s\n", frames, width, height, output.c_str());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
