// libFuzzer target for the text ".x" reader, through the mesh builder's Load as the program
// calls it (from a file, textures found beside it). Every input must either load into a
// builder whose faces name only vertices and normals it holds, with finite normals, and make
// a mesh; or fail with a message. Either way every object made must be given back.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/com/ComPtr.h"
#include "platform/com/Unknown.h"
#include "platform/d3drm/Direct3DRM.h"
#include "platform/d3drm/MeshBuilder.h"

namespace {

using platform::d3drm::MeshBuilder;

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

// Memory-backed when the machine has it: every input is written to a file and read back.
std::filesystem::path ScratchFolder() {
  std::error_code ignored;
  if (std::filesystem::is_directory("/dev/shm", ignored)) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

// A 2 x 2 true-colour BMP, the texture "t.bmp" that inputs may name.
std::string TextureFile() {
  std::string bytes = "BM";
  const auto put32 = [&](uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(value >> shift);
  };
  const auto put16 = [&](uint32_t value) {
    bytes += static_cast<char>(value);
    bytes += static_cast<char>(value >> 8);
  };
  put32(70), put32(0), put32(54), put32(40), put32(2), put32(2), put16(1), put16(24);
  for (int i = 0; i < 6; ++i) put32(0);
  bytes += std::string("\xFF\0\0\0\xFF\0\0\0\0\0\xFF\0\xFF\xFF\xFF\xFF", 16);
  return bytes;
}

// The folder the input is written to, made once.
const std::string& Folder() {
  static const std::string folder = [] {
    const auto path = ScratchFolder() / ("kor_fuzz_xfile_" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    std::ofstream(path / "t.bmp", std::ios::binary) << TextureFile();
    return path.string();
  }();
  return folder;
}

void CheckLoaded(IDirect3DRMMeshBuilder2* Builder) {
  const MeshBuilder* read = MeshBuilder::From(Builder);
  for (const auto& face : read->Faces()) {
    Require(face.vertexIndices.size() >= 3);
    Require(face.vertexIndices.size() == face.normalIndices.size());
    for (DWORD index : face.vertexIndices) Require(index < read->Vertices().size());
    for (DWORD index : face.normalIndices) Require(index < read->Normals().size());
  }
  for (const D3DVECTOR& n : read->Normals())
    Require(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z));
  Require(read->TextureCoordinates().size() == read->Vertices().size());
  ComPtr<IDirect3DRMMesh> mesh;
  Require(Builder->CreateMesh(mesh.Put()) == D3DRM_OK);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string file = Folder() + "/mesh.x";
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
  const long objectsBefore = platform::LiveObjectCount();
  {
    ComPtr<IDirect3DRM> rm;
    Require(Direct3DRMCreate(rm.Put()) == D3DRM_OK);
    ComPtr<IDirect3DRM2> rm2;
    Require(rm.As(IID_IDirect3DRM2, rm2) == D3DRM_OK);
    ComPtr<IDirect3DRMMeshBuilder2> builder;
    Require(rm2->CreateMeshBuilder(builder.Put()) == D3DRM_OK);
    const HRESULT result = builder->Load(const_cast<char*>(file.c_str()), nullptr,
                                         D3DRMLOAD_FROMFILE, nullptr, nullptr);
    if (result == D3DRM_OK)
      CheckLoaded(builder.Get());
    else
      Require(builder->LastError()[0] != '\0' && builder->GetVertexCount() == 0);
  }
  Require(platform::LiveObjectCount() == objectsBefore);
  return 0;
}
