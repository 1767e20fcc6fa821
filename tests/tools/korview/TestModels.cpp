#include "tests/tools/korview/TestModels.h"

#include <filesystem>

namespace {

TKorVertex Vertex(float X, float Y, float Z, float U, float V) {
  TKorVertex v;
  v.X = X;
  v.Y = Y;
  v.Z = Z;
  v.U = U;
  v.V = V;
  v.NZ = -1;
  v.Color = 0xFFFFFFFF;
  return v;
}

}  // namespace

TKorFileRecord BoxModel(Vector3 Centre, float Size, const Matrix4* Parent) {
  TKorObjectRecord box;
  const float h = Size / 2;
  for (int corner = 0; corner < 8; ++corner) {
    box.Vertices.push_back(Vertex(
        Centre.x + ((corner & 1) ? h : -h), Centre.y + ((corner & 2) ? h : -h),
        Centre.z + ((corner & 4) ? h : -h), (corner & 1) ? 1.f : 0.f, (corner & 2) ? 1.f : 0.f));
  }
  const uint16_t quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                                {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
  for (const auto& quad : quads) box.Faces.push_back({{quad[0], quad[1], quad[2], quad[3]}, 6, 0});
  TKorFileRecord file;
  file.TextureNames = {"box.bmp"};
  if (Parent == nullptr) {
    file.Objects = {box};
    return file;
  }
  TKorObjectRecord root;
  root.Local = *Parent;
  box.ParentIndex = 0;
  file.Objects = {root, box};
  return file;
}

TKorFileRecord GridModel(int Cells, float Size, int Objects) {
  TKorFileRecord file;
  file.TextureNames = {"box.bmp"};
  const float step = Size / static_cast<float>(Cells);
  for (int o = 0; o < Objects; ++o) {
    TKorObjectRecord grid;
    const float left = -Size * static_cast<float>(Objects) / 2 + Size * static_cast<float>(o);
    for (int y = 0; y <= Cells; ++y)
      for (int x = 0; x <= Cells; ++x)
        grid.Vertices.push_back(Vertex(left + step * static_cast<float>(x),
                                       -Size / 2 + step * static_cast<float>(y), 0,
                                       static_cast<float>(x % 2), static_cast<float>(y % 2)));
    for (int y = 0; y < Cells; ++y)
      for (int x = 0; x < Cells; ++x) {
        const auto at = [Cells](int X, int Y) {
          return static_cast<uint16_t>(Y * (Cells + 1) + X);
        };
        grid.Faces.push_back({{at(x, y), at(x + 1, y), at(x + 1, y + 1), at(x, y + 1)}, 6, 0});
      }
    grid.ParentIndex = o == 0 ? -1 : 0;
    file.Objects.push_back(grid);
  }
  return file;
}

std::string WriteModel(const testsupport::TempDirectory& Folder, const std::string& Name,
                       const TKorFileRecord& File) {
  std::filesystem::copy_file(std::string(KOR_ASSETS_DIR) + "/wisp_base.bmp", Folder.File("box.bmp"),
                             std::filesystem::copy_options::overwrite_existing);
  testsupport::WriteBytes(Folder.File(Name), EncodeKorFile(File));
  return Folder.File(Name);
}
