// The text ".x" reader on small texts: what it reads, what it skips, how lax it is about
// separators and how exactly it reports what is wrong.
#include <gtest/gtest.h>

#include <string>

#include "platform/d3drm/XFileReader.h"

namespace {

using platform::d3drm::ParseXFileMesh;
using platform::d3drm::XFileError;
using platform::d3drm::XFileMesh;
using platform::d3drm::XFileMeshChoice;

const std::string kHeader = "xof 0302txt 0032\n";

XFileMesh Parse(const std::string& Body, const XFileMeshChoice& Choice = {}) {
  return ParseXFileMesh(kHeader + Body, "test.x", Choice);
}

// The message of the XFileError that parsing Body throws ("" when it parses).
std::string FaultOf(const std::string& Body) {
  try {
    Parse(Body);
  } catch (const XFileError& error) {
    return error.what();
  }
  return "";
}

const std::string kTriangle = "Mesh Tri { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; ";

TEST(XFileReaderTest, ReadsVerticesFacesAndTheirIndices) {
  const XFileMesh mesh = Parse(
      "Mesh Fan {\n"
      " 5;\n"
      " 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, -1.5e1;+2;.25;;\n"
      " 2;\n"
      " 4;0,1,2,3;,\n"
      " 3;0,3,4;;\n"
      "}\n");
  EXPECT_EQ(mesh.name, "Fan");
  ASSERT_EQ(mesh.vertices.size(), 5u);
  EXPECT_FLOAT_EQ(mesh.vertices[4].x, -15.0f);
  EXPECT_FLOAT_EQ(mesh.vertices[4].y, 2.0f);
  EXPECT_FLOAT_EQ(mesh.vertices[4].z, 0.25f);
  ASSERT_EQ(mesh.faces.size(), 2u);
  EXPECT_EQ(mesh.faces[0].vertexIndices, (std::vector<DWORD>{0, 1, 2, 3}));
  EXPECT_EQ(mesh.faces[1].vertexIndices, (std::vector<DWORD>{0, 3, 4}));
  EXPECT_TRUE(mesh.normals.empty());
  EXPECT_TRUE(mesh.textureCoordinates.empty());
  EXPECT_TRUE(mesh.materials.empty());
}

TEST(XFileReaderTest, SeparatorStylesOfDifferentWritersAllRead) {
  // Commas between vector members, no list terminators, spaces instead of separators.
  const XFileMesh mesh = Parse("Mesh { 3 0,0,0, 1,0,0, 0,1,0 1 3 0 1 2 }");
  EXPECT_EQ(mesh.vertices.size(), 3u);
  EXPECT_FLOAT_EQ(mesh.vertices[1].x, 1.0f);
  EXPECT_EQ(mesh.faces[0].vertexIndices, (std::vector<DWORD>{0, 1, 2}));
}

TEST(XFileReaderTest, TemplatesCommentsAndUnknownObjectsAreSkipped) {
  const XFileMesh mesh = Parse(
      "// a comment { with braces\n"
      "# another\n"
      "template Unused { <11111111-2222-3333-4444-555555555555> DWORD n; [...] }\n"
      "AnimationSet Walk { Animation { { Tri } AnimationKey { 0; 1; 0; 3; 0,0,0;;; } } }\n" +
      kTriangle +
      " MeshFaceWraps { 1; TRUE, FALSE;; }\n"
      " VertexDuplicationIndices { 3; 3; 0, 1, 2; }\n"
      "}\n");
  EXPECT_EQ(mesh.name, "Tri");
  EXPECT_EQ(mesh.vertices.size(), 3u);
}

TEST(XFileReaderTest, ReadsNormalsCoordinatesAndMaterials) {
  const XFileMesh mesh = Parse(
      "Material Blue { 0;0;1;0.5;; 8; 0.1;0.2;0.3;; 0;0;0;; TextureFilename { \"sky.bmp\"; } }\n"
      "Mesh Square {\n"
      " 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n"
      " 2; 3;0,1,2;, 3;0,2,3;;\n"
      " MeshNormals { 1; 0;0;-1;; 2; 3;0,0,0;, 3;0,0,0;; }\n"
      " MeshTextureCoords { 4; 0;1;, 1;1;, 1;0;, 0;0;; }\n"
      " MeshMaterialList { 2; 2; 1, 0;;\n"
      "  { Blue }\n"
      "  Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n"
      " }\n"
      "}\n");
  ASSERT_EQ(mesh.normals.size(), 1u);
  EXPECT_FLOAT_EQ(mesh.normals[0].z, -1.0f);
  EXPECT_EQ(mesh.faces[1].normalIndices, (std::vector<DWORD>{0, 0, 0}));
  ASSERT_EQ(mesh.textureCoordinates.size(), 4u);
  EXPECT_FLOAT_EQ(mesh.textureCoordinates[1].u, 1.0f);
  EXPECT_FLOAT_EQ(mesh.textureCoordinates[2].v, 0.0f);
  ASSERT_EQ(mesh.materials.size(), 2u);
  EXPECT_FLOAT_EQ(mesh.materials[0].faceColor[2], 1.0f);
  EXPECT_FLOAT_EQ(mesh.materials[0].faceColor[3], 0.5f);
  EXPECT_FLOAT_EQ(mesh.materials[0].power, 8.0f);
  EXPECT_FLOAT_EQ(mesh.materials[0].specularColor[2], 0.3f);
  EXPECT_EQ(mesh.materials[0].textureFileName, "sky.bmp");
  EXPECT_EQ(mesh.materials[1].textureFileName, "");
  EXPECT_EQ(mesh.faces[0].material, 1u);
  EXPECT_EQ(mesh.faces[1].material, 0u);
}

TEST(XFileReaderTest, FewerFaceIndexesThanFacesRepeatTheLast) {
  const XFileMesh mesh = Parse(
      "Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 3; 3;0,1,2;, 3;0,2,3;, 3;1,2,3;;\n"
      " MeshMaterialList { 2; 2; 0, 1;;\n"
      "  Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }\n"
      "  Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; }\n"
      " }\n"
      "}\n");
  EXPECT_EQ(mesh.faces[2].material, 1u);
}

TEST(XFileReaderTest, MeshesInsideFramesAreFoundAndChosen) {
  const std::string body =
      "Frame A { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
      "  Frame B { Mesh Inner { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } } }\n"
      "Mesh Outer { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 1; 4;0,1,2,3;; }\n";
  EXPECT_EQ(Parse(body).name, "Inner") << "the first in the order of the file";
  XFileMeshChoice byName;
  byName.kind = XFileMeshChoice::Kind::ByName;
  byName.name = "Outer";
  EXPECT_EQ(Parse(body, byName).vertices.size(), 4u);
  XFileMeshChoice byPosition;
  byPosition.kind = XFileMeshChoice::Kind::ByPosition;
  byPosition.position = 1;
  EXPECT_EQ(Parse(body, byPosition).name, "Outer");
  byPosition.position = 2;
  EXPECT_THROW(Parse(body, byPosition), XFileError);
}

TEST(XFileReaderTest, EveryFaultNamesTheFileAndTheLine) {
  struct Case {
    std::string body;
    std::string message;
  };
  const Case cases[] = {
      {"Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1;\n 2;0,1;; }",
       "test.x, line 3: face 0 has 2 vertices; a face needs at least 3"},
      {"Mesh { 3; 0;0;0;, 1;0;x;, 0;1;0;; 1; 3;0,1,2;; }",
       "test.x, line 2: expected vertex 1 z, found name \"x\""},
      {"Mesh { -3; }",
       "test.x, line 2: expected the mesh's vertex count (a whole number), "
       "found number -3"},
      {"Mesh { 3.5; }",
       "test.x, line 2: expected the mesh's vertex count (a whole number), "
       "found number 3.5"},
      {kTriangle + "\n MeshTextureCoords { 2; 0;0;, 1;1;; } }",
       "test.x, line 3: MeshTextureCoords has 2 coordinate pairs, but the mesh has 3 vertices"},
      {kTriangle + "\n MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; } }",
       "test.x, line 3: face 0 refers to normal 1, but MeshNormals has 1 normals"},
      {kTriangle + "\n MeshNormals { 1; 0;0;1;; 1; 4;0,0,0,0;; } }",
       "test.x, line 3: the normals of face 0 are 4, but the face has 3 vertices"},
      {kTriangle + "MeshNormals { 1; 0;0;1;; 1; 3;0,0,0;; }\n MeshNormals { 0; 0; } }",
       "test.x, line 3: a second \"MeshNormals\" in one mesh"},
      {kTriangle + "MeshMaterialList { 1; 1; 0;; { Missing } } }",
       "test.x, line 2: material \"Missing\" is not defined before here"},
      {kTriangle + "MeshMaterialList { 2; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
       "test.x, line 2: MeshMaterialList says 2 materials, but holds 1"},
      {kTriangle + "MeshMaterialList { 1; 2; 0, 0;; } }",
       "test.x, line 2: MeshMaterialList has 2 face indexes, but the mesh has 1 faces"},
      {kTriangle + "MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; "
                   "TextureFilename { \"unterminated; } } } }",
       "test.x, line 2: string without its closing '\"'"},
      {kTriangle + "\n\n",
       "test.x, line 4: expected \"}\" to end the mesh or a nested object, found end of file"},
      {"Frame F {\n Header {\n", "test.x, line 4: end of file inside \"Header\" begun at line 3"},
      {"Mesh Two Words {", "test.x, line 2: expected \"{\" after \"Mesh\", found name \"Words\""},
      {"; Mesh", "test.x, line 2: expected a template or a data object, found \";\""},
      {"Header { 1; 0; 1; }", "test.x: the file holds no Mesh"},
  };
  for (const Case& c : cases) EXPECT_EQ(FaultOf(c.body), c.message) << c.body;
}

TEST(XFileReaderTest, WholeNumbersTooLargeForThirtyTwoBitsAreRefusedNotReadAsZero) {
  EXPECT_EQ(FaultOf("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;;\n 4294967296; 3;0,1,2;; }"),
            "test.x, line 3: the mesh's face count 4294967296 is too large (the largest is "
            "4294967295)");
  EXPECT_EQ(FaultOf("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1;\n\n 3;0,4294967296,2;; }"),
            "test.x, line 4: a vertex index of face 0 4294967296 is too large (the largest is "
            "4294967295)");
  EXPECT_EQ(FaultOf(kTriangle + "\n MeshNormals { 99999999999999999999; } }"),
            "test.x, line 3: the normal count 99999999999999999999 is too large (the largest "
            "is 4294967295)");
  // The largest count that fits is read as itself (and then found wanting).
  EXPECT_EQ(FaultOf("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,4294967295,2;; }"),
            "test.x, line 2: face 0 refers to vertex 4294967295, but the mesh has 3 vertices");
}

TEST(XFileReaderTest, FramesNestedTooDeepAreRefusedNotRecursedInto) {
  std::string nested;
  for (int i = 0; i < 300; ++i) nested += "Frame {\n";
  EXPECT_EQ(FaultOf(nested), "test.x, line 258: frames nested deeper than 256");
  std::string fine;
  for (int i = 0; i < 256; ++i) fine += "Frame { ";
  fine += kTriangle + "}" + std::string(256, '}');
  EXPECT_EQ(FaultOf(fine), "");
}

TEST(XFileReaderTest, HeadersOtherThanTextAreRefused) {
  const auto fault = [](const std::string& Text) -> std::string {
    try {
      ParseXFileMesh(Text, "h.x", {});
    } catch (const XFileError& error) {
      EXPECT_EQ(error.Result(), D3DRMERR_BADFILE);
      return error.what();
    }
    return "";
  };
  EXPECT_EQ(fault("xof 0302tzip0032"),
            "h.x, line 1: format \"tzip\" is not supported: only text files (\"txt \") are read");
  EXPECT_EQ(fault("xof 0202txt 0032"),
            "h.x, line 1: file format version 0202 is not supported (0302 or 0303)");
  EXPECT_EQ(fault("xof 0302txt 0016"), "h.x, line 1: float size \"0016\" is not 0032 or 0064");
  EXPECT_EQ(fault("xof"),
            "h.x, line 1: not a DirectX file (it must begin with \"xof 0302txt "
            "0032\")");
  EXPECT_EQ(fault(""),
            "h.x, line 1: not a DirectX file (it must begin with \"xof 0302txt "
            "0032\")");
}

TEST(XFileReaderTest, MissingFilesAndMissingMeshesHaveTheirOwnResults) {
  try {
    platform::d3drm::ReadXFileMesh("data/nothing_here.x", {});
    FAIL() << "no error";
  } catch (const XFileError& error) {
    EXPECT_EQ(error.Result(), D3DRMERR_FILENOTFOUND);
  }
  try {
    Parse("Header { 1; 0; 1; }");
    FAIL() << "no error";
  } catch (const XFileError& error) {
    EXPECT_EQ(error.Result(), D3DRMERR_NOTFOUND);
  }
}

}  // namespace
