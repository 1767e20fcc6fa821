// The retained-mode sample mesh: the committed assets/sample.x is what the generator writes,
// and the torus it describes faces outward everywhere.
#include "tools/rmscene/SampleMesh.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/com/ComPtr.h"
#include "platform/d3drm/MeshBuilder.h"
#include "platform/d3drm/RMMath.h"

namespace {

using platform::d3drm::Cross;
using platform::d3drm::Dot;
using platform::d3drm::Length;
using platform::d3drm::MeshBuilder;
using platform::d3drm::Subtract;

const std::string kSample = std::string(KOR_ASSETS_DIR) + "/sample.x";

TEST(SampleMeshTest, TheCommittedFileIsTheGeneratorsOutput) {
  std::ifstream file(kSample, std::ios::binary);
  ASSERT_TRUE(file) << kSample;
  std::ostringstream text;
  text << file.rdbuf();
  EXPECT_EQ(text.str(), SampleMeshText()) << "run make_sample_mesh " << kSample;
}

TEST(SampleMeshTest, TheTorusFacesOutwardWithUnitNormalsAndTwoMaterials) {
  ComPtr<MeshBuilder> builder;
  builder.Attach(MeshBuilder::Create());
  ASSERT_EQ(builder->Load(const_cast<char*>(kSample.c_str()), nullptr, D3DRMLOAD_FROMFILE, nullptr,
                          nullptr),
            D3DRM_OK)
      << builder->LastError();
  EXPECT_EQ(builder->GetVertexCount(), 17 * 9);
  ASSERT_EQ(builder->GetFaceCount(), 16 * 8);
  const auto& vertices = builder->Vertices();
  const auto& normals = builder->Normals();
  for (const D3DVECTOR& n : normals) EXPECT_NEAR(Length(n), 1.0f, 1e-5f);
  int ivory = 0;
  for (const auto& face : builder->Faces()) {
    ASSERT_EQ(face.vertexIndices.size(), 4u);
    const D3DVECTOR& p0 = vertices[face.vertexIndices[0]];
    // A front face runs clockwise seen from outside: (p1 − p0) × (p2 − p0) points out.
    const D3DVECTOR turn = Cross(Subtract(vertices[face.vertexIndices[1]], p0),
                                 Subtract(vertices[face.vertexIndices[2]], p0));
    EXPECT_GT(Dot(turn, normals[face.normalIndices[0]]), 0);
    ivory += face.color == D3DRGB(0.95f, 0.88f, 0.70f);
  }
  EXPECT_EQ(ivory, 64) << "every other ring segment";
  // The texture coordinates run 0 to 1 round the ring and round the tube.
  D3DVALUE u = 0, v = 0;
  ASSERT_EQ(builder->GetTextureCoordinates(17 * 9 - 1, &u, &v), D3DRM_OK);
  EXPECT_FLOAT_EQ(u, 1.0f);
  EXPECT_FLOAT_EQ(v, 1.0f);
}

}  // namespace
