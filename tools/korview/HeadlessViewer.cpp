#include "tools/korview/HeadlessViewer.h"

#include <exception>
#include <ostream>

#include "tools/korview/ViewerScene.h"
#include "tools/snapshot/HeadlessView.h"
#include "tools/snapshot/SurfaceImage.h"

int RenderModelPicture(const std::string& ModelFile, const std::string& PngFile, int Frames,
                       std::ostream& Err) {
  try {
    THeadlessView headless;
    TViewerScene scene(&headless.View());
    scene.Open(ModelFile);
    for (int frame = 0; frame < Frames; ++frame) scene.Tick();
    const TKorRenderLosses& losses = scene.Renderer.Losses;
    if (losses.Objects + losses.Polygons + losses.Triangles > 0) {
      Err << "korview: the last frame left out " << losses.Objects << " objects, "
          << losses.Polygons << " polygons, " << losses.Triangles << " triangles\n";
    }
    int width = 0, height = 0;
    const auto pixels = headless.Pixels(width, height);
    if (pixels.empty() || !WriteRgbaPng(PngFile, pixels, width, height)) {
      Err << "korview: cannot write " << PngFile << "\n";
      return 1;
    }
  } catch (const std::exception& error) {
    Err << "korview: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
