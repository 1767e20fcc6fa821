#include "platform/d3drm/XFileReader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>

namespace platform::d3drm {
namespace {

// The header is 16 characters: magic, version, format, float size.
constexpr std::string_view kMagic = "xof ";
constexpr size_t kHeaderSize = 16;
// Lists are not reserved beyond this many entries up front: a count is only trusted as far
// as the values that follow it.
constexpr DWORD kLargestReserve = 1u << 16;
// Frames are read by recursion; a file nesting them deeper than this is refused rather than
// allowed to exhaust the stack.
constexpr int kDeepestFrame = 256;

enum class TokenType { Name, Number, String, Guid, OpenBrace, CloseBrace, Separator, Symbol, End };

struct Token {
  TokenType type = TokenType::End;
  std::string_view text;
  int line = 0;
};

std::string Describe(const Token& T) {
  switch (T.type) {
    case TokenType::Name:
      return "name \"" + std::string(T.text) + "\"";
    case TokenType::Number:
      return "number " + std::string(T.text);
    case TokenType::String:
      return "string " + std::string(T.text);
    case TokenType::Guid:
      return "GUID " + std::string(T.text);
    case TokenType::End:
      return "end of file";
    default:
      return "\"" + std::string(T.text) + "\"";
  }
}

// What a fault found where a closing brace was due adds: a number there usually means a
// count smaller than the values that follow it.
std::string UnexpectedValueHint(const Token& T) {
  return T.type == TokenType::Number ? " (more values than its counts say?)" : "";
}

bool IsNameStart(char C) {
  return std::isalpha(static_cast<unsigned char>(C)) || C == '_';
}
bool IsNameChar(char C) {
  return std::isalnum(static_cast<unsigned char>(C)) || C == '_' || C == '-' || C == '.';
}
bool IsNumberStart(char C, char Next) {
  if (std::isdigit(static_cast<unsigned char>(C))) return true;
  return (C == '-' || C == '+' || C == '.') &&
         (std::isdigit(static_cast<unsigned char>(Next)) || Next == '.');
}

// Splits the text after the header into tokens, counting lines.
class Tokenizer {
 public:
  Tokenizer(std::string_view Text, const std::string& FileName, int FirstLine)
      : text_(Text), fileName_(FileName), line_(FirstLine) {}

  [[noreturn]] void Fail(int Line, const std::string& What) const {
    throw XFileError(D3DRMERR_BADFILE, fileName_ + ", line " + std::to_string(Line) + ": " + What);
  }

  const Token& Peek() {
    if (!peeked_) {
      next_ = Scan();
      peeked_ = true;
    }
    return next_;
  }
  Token Take() {
    Token t = Peek();
    peeked_ = false;
    return t;
  }

 private:
  void SkipSpaceAndComments() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '\n') {
        ++line_;
        ++at_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++at_;
      } else if (c == '#' || (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/')) {
        while (at_ < text_.size() && text_[at_] != '\n') ++at_;
      } else {
        return;
      }
    }
  }

  Token Scan() {
    SkipSpaceAndComments();
    Token t;
    t.line = line_;
    if (at_ >= text_.size()) return t;
    const size_t start = at_;
    const char c = text_[at_];
    const char next = at_ + 1 < text_.size() ? text_[at_ + 1] : '\0';
    if (IsNameStart(c)) {
      while (at_ < text_.size() && IsNameChar(text_[at_])) ++at_;
      t.type = TokenType::Name;
    } else if (IsNumberStart(c, next)) {
      ++at_;
      while (at_ < text_.size() &&
             (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '.' ||
              ((text_[at_] == '-' || text_[at_] == '+') &&
               (text_[at_ - 1] == 'e' || text_[at_ - 1] == 'E'))))
        ++at_;
      t.type = TokenType::Number;
    } else if (c == '"') {
      ++at_;
      while (at_ < text_.size() && text_[at_] != '"' && text_[at_] != '\n') ++at_;
      if (at_ >= text_.size() || text_[at_] != '"') Fail(t.line, "string without its closing '\"'");
      ++at_;
      t.type = TokenType::String;
    } else if (c == '<') {
      while (at_ < text_.size() && text_[at_] != '>' && text_[at_] != '\n') ++at_;
      if (at_ >= text_.size() || text_[at_] != '>') Fail(t.line, "GUID without its closing '>'");
      ++at_;
      t.type = TokenType::Guid;
    } else {
      ++at_;
      t.type = c == '{'               ? TokenType::OpenBrace
               : c == '}'             ? TokenType::CloseBrace
               : c == ',' || c == ';' ? TokenType::Separator
                                      : TokenType::Symbol;
    }
    t.text = text_.substr(start, at_ - start);
    return t;
  }

  std::string_view text_;
  const std::string& fileName_;
  size_t at_ = 0;
  int line_;
  Token next_;
  bool peeked_ = false;
};

// Reads data objects from the tokens and collects meshes and named materials.
class Parser {
 public:
  Parser(std::string_view Body, const std::string& FileName, int FirstLine)
      : tokens_(Body, FileName, FirstLine) {}

  std::vector<XFileMesh> ReadAll() {
    for (;;) {
      const Token t = tokens_.Take();
      if (t.type == TokenType::End) break;
      if (t.type == TokenType::Name && t.text == "template") {
        SkipTemplate(t);
      } else if (t.type == TokenType::Name) {
        ReadObject(t);
      } else {
        tokens_.Fail(t.line, "expected a template or a data object, found " + Describe(t));
      }
    }
    return std::move(meshes_);
  }

 private:
  [[noreturn]] void Fail(int Line, const std::string& What) { tokens_.Fail(Line, What); }

  void SkipSeparators() {
    while (tokens_.Peek().type == TokenType::Separator) tokens_.Take();
  }

  // Reads "Type [Name] {" with Type already taken, and an optional GUID; answers the name.
  std::string OpenObject(const Token& Type) {
    std::string name;
    if (tokens_.Peek().type == TokenType::Name) name = std::string(tokens_.Take().text);
    const Token brace = tokens_.Take();
    if (brace.type != TokenType::OpenBrace)
      Fail(brace.line,
           "expected \"{\" after \"" + std::string(Type.text) + "\", found " + Describe(brace));
    if (tokens_.Peek().type == TokenType::Guid) tokens_.Take();
    return name;
  }

  // Skips to the brace that closes one already opened at line OpenedAt.
  void SkipToClose(const Token& Type, int OpenedAt) {
    for (int depth = 1; depth > 0;) {
      const Token t = tokens_.Take();
      if (t.type == TokenType::End)
        Fail(t.line, "end of file inside \"" + std::string(Type.text) + "\" begun at line " +
                         std::to_string(OpenedAt));
      if (t.type == TokenType::OpenBrace) ++depth;
      if (t.type == TokenType::CloseBrace) --depth;
    }
  }

  void SkipTemplate(const Token& Keyword) {
    const Token name = tokens_.Take();
    if (name.type != TokenType::Name)
      Fail(name.line, "expected a template name, found " + Describe(name));
    const Token brace = tokens_.Take();
    if (brace.type != TokenType::OpenBrace)
      Fail(brace.line, "expected \"{\" after template " + std::string(name.text) + ", found " +
                           Describe(brace));
    SkipToClose(Keyword, Keyword.line);
  }

  // The closing brace of an object whose values have all been read.
  void CloseObject(std::string_view Type) {
    SkipSeparators();
    const Token t = tokens_.Take();
    if (t.type != TokenType::CloseBrace)
      Fail(t.line, "expected \"}\" to end " + std::string(Type) + ", found " + Describe(t) +
                       UnexpectedValueHint(t));
  }

  DWORD ReadCount(const std::string& What) {
    SkipSeparators();
    const Token t = tokens_.Take();
    DWORD value = 0;
    const char* end = t.text.data() + t.text.size();
    if (t.type != TokenType::Number)
      Fail(t.line, "expected " + What + " (a whole number), found " + Describe(t));
    const auto [ptr, error] = std::from_chars(t.text.data(), end, value);
    // from_chars leaves value as it was for a number it cannot hold: refuse it, not read 0.
    if (error == std::errc::result_out_of_range)
      Fail(t.line, What + " " + std::string(t.text) + " is too large (the largest is " +
                       std::to_string(std::numeric_limits<DWORD>::max()) + ")");
    if (error != std::errc() || ptr != end)
      Fail(t.line, "expected " + What + " (a whole number), found " + Describe(t));
    return value;
  }

  D3DVALUE ReadFloat(const std::string& What) {
    SkipSeparators();
    const Token t = tokens_.Take();
    if (t.type != TokenType::Number) Fail(t.line, "expected " + What + ", found " + Describe(t));
    // from_chars does not take a leading '+'.
    std::string_view text = t.text;
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    D3DVALUE value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end)
      Fail(t.line, "expected " + What + ", found " + Describe(t));
    return value;
  }

  D3DVECTOR ReadVector(const std::string& What) {
    D3DVECTOR v;
    v.x = ReadFloat(What + " x");
    v.y = ReadFloat(What + " y");
    v.z = ReadFloat(What + " z");
    return v;
  }

  // A top-level (or frame-level) data object whose type name T was just taken.
  void ReadObject(const Token& Type) {
    const std::string name = OpenObject(Type);
    if (Type.text == "Mesh") {
      meshes_.push_back(ReadMesh(name));
    } else if (Type.text == "Frame") {
      ReadFrame(Type);
    } else if (Type.text == "Material") {
      XFileMaterial material = ReadMaterial(Type.line);
      if (!name.empty()) namedMaterials_[name] = std::move(material);
    } else {
      SkipToClose(Type, Type.line);
    }
  }

  void ReadFrame(const Token& Type) {
    if (++frameDepth_ > kDeepestFrame)
      Fail(Type.line, "frames nested deeper than " + std::to_string(kDeepestFrame));
    for (;;) {
      SkipSeparators();
      const Token t = tokens_.Take();
      if (t.type == TokenType::CloseBrace) {
        --frameDepth_;
        return;
      }
      if (t.type == TokenType::Name) {
        ReadObject(t);
      } else if (t.type == TokenType::OpenBrace) {
        SkipToClose(t, t.line);  // a reference to an object defined elsewhere
      } else {
        Fail(t.line, "unexpected " + Describe(t) + " in \"" + std::string(Type.text) + "\"");
      }
    }
  }

  XFileMesh ReadMesh(const std::string& Name) {
    XFileMesh mesh;
    mesh.name = Name;
    const DWORD vertexCount = ReadCount("the mesh's vertex count");
    mesh.vertices.reserve(std::min(vertexCount, kLargestReserve));
    for (DWORD i = 0; i < vertexCount; ++i)
      mesh.vertices.push_back(ReadVector("vertex " + std::to_string(i)));
    const DWORD faceCount = ReadCount("the mesh's face count");
    mesh.faces.reserve(std::min(faceCount, kLargestReserve));
    for (DWORD i = 0; i < faceCount; ++i) mesh.faces.push_back(ReadFace(i, vertexCount));
    ReadMeshParts(mesh);
    return mesh;
  }

  XFileFace ReadFace(DWORD Index, DWORD VertexCount) {
    const std::string face = "face " + std::to_string(Index);
    SkipSeparators();
    const int line = tokens_.Peek().line;
    const DWORD count = ReadCount("the vertex count of " + face);
    if (count < 3)
      Fail(line, face + " has " + std::to_string(count) + " vertices; a face needs at least 3");
    XFileFace result;
    result.vertexIndices.reserve(std::min(count, kLargestReserve));
    for (DWORD k = 0; k < count; ++k) {
      SkipSeparators();
      const int at = tokens_.Peek().line;
      const DWORD vertex = ReadCount("a vertex index of " + face);
      if (vertex >= VertexCount)
        Fail(at, face + " refers to vertex " + std::to_string(vertex) + ", but the mesh has " +
                     std::to_string(VertexCount) + " vertices");
      result.vertexIndices.push_back(vertex);
    }
    return result;
  }

  // The objects nested in a mesh after its faces, up to the mesh's closing brace.
  void ReadMeshParts(XFileMesh& Mesh) {
    bool normals = false, coordinates = false, materials = false;
    for (;;) {
      SkipSeparators();
      const Token t = tokens_.Take();
      if (t.type == TokenType::CloseBrace) return;
      if (t.type == TokenType::OpenBrace) {
        SkipToClose(t, t.line);
        continue;
      }
      if (t.type != TokenType::Name)
        Fail(t.line, "expected \"}\" to end the mesh or a nested object, found " + Describe(t) +
                         UnexpectedValueHint(t));
      OpenObject(t);
      if (t.text == "MeshNormals") {
        Once(normals, t);
        ReadNormals(Mesh);
      } else if (t.text == "MeshTextureCoords") {
        Once(coordinates, t);
        ReadTextureCoordinates(Mesh, t.line);
      } else if (t.text == "MeshMaterialList") {
        Once(materials, t);
        ReadMaterialList(Mesh, t.line);
      } else {
        SkipToClose(t, t.line);
      }
    }
  }

  void Once(bool& Seen, const Token& Type) {
    if (Seen) Fail(Type.line, "a second \"" + std::string(Type.text) + "\" in one mesh");
    Seen = true;
  }

  void ReadNormals(XFileMesh& Mesh) {
    const DWORD normalCount = ReadCount("the normal count");
    Mesh.normals.reserve(std::min(normalCount, kLargestReserve));
    for (DWORD i = 0; i < normalCount; ++i)
      Mesh.normals.push_back(ReadVector("normal " + std::to_string(i)));
    SkipSeparators();
    const int line = tokens_.Peek().line;
    const DWORD faceCount = ReadCount("the face normal count");
    if (faceCount != Mesh.faces.size())
      Fail(line, "MeshNormals has " + std::to_string(faceCount) + " faces, but the mesh has " +
                     std::to_string(Mesh.faces.size()));
    for (DWORD i = 0; i < faceCount; ++i) ReadFaceNormals(Mesh, i, normalCount);
    CloseObject("MeshNormals");
  }

  void ReadFaceNormals(XFileMesh& Mesh, DWORD Index, DWORD NormalCount) {
    XFileFace& face = Mesh.faces[Index];
    const std::string what = "the normals of face " + std::to_string(Index);
    SkipSeparators();
    const int line = tokens_.Peek().line;
    const DWORD count = ReadCount("the vertex count of " + what);
    if (count != face.vertexIndices.size())
      Fail(line, what + " are " + std::to_string(count) + ", but the face has " +
                     std::to_string(face.vertexIndices.size()) + " vertices");
    for (DWORD k = 0; k < count; ++k) {
      SkipSeparators();
      const int at = tokens_.Peek().line;
      const DWORD normal = ReadCount("a normal index of face " + std::to_string(Index));
      if (normal >= NormalCount)
        Fail(at, "face " + std::to_string(Index) + " refers to normal " + std::to_string(normal) +
                     ", but MeshNormals has " + std::to_string(NormalCount) + " normals");
      face.normalIndices.push_back(normal);
    }
  }

  void ReadTextureCoordinates(XFileMesh& Mesh, int Line) {
    const DWORD count = ReadCount("the texture coordinate count");
    if (count != Mesh.vertices.size())
      Fail(Line, "MeshTextureCoords has " + std::to_string(count) +
                     " coordinate pairs, but the mesh has " + std::to_string(Mesh.vertices.size()) +
                     " vertices");
    Mesh.textureCoordinates.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
      XFileTextureCoordinates uv;
      uv.u = ReadFloat("u of vertex " + std::to_string(i));
      uv.v = ReadFloat("v of vertex " + std::to_string(i));
      Mesh.textureCoordinates.push_back(uv);
    }
    CloseObject("MeshTextureCoords");
  }

  void ReadMaterialList(XFileMesh& Mesh, int Line) {
    const DWORD materialCount = ReadCount("the material count");
    const DWORD indexCount = ReadCount("the face index count");
    if (indexCount > Mesh.faces.size())
      Fail(Line, "MeshMaterialList has " + std::to_string(indexCount) +
                     " face indexes, but the mesh has " + std::to_string(Mesh.faces.size()) +
                     " faces");
    DWORD last = 0;
    for (DWORD i = 0; i < indexCount; ++i) {
      SkipSeparators();
      const int at = tokens_.Peek().line;
      last = ReadCount("the material index of face " + std::to_string(i));
      if (last >= materialCount)
        Fail(at, "face " + std::to_string(i) + " uses material " + std::to_string(last) +
                     ", but the list has " + std::to_string(materialCount) + " materials");
      Mesh.faces[i].material = last;
    }
    for (size_t i = indexCount; i < Mesh.faces.size(); ++i) Mesh.faces[i].material = last;
    ReadListedMaterials(Mesh);
    if (Mesh.materials.size() != materialCount)
      Fail(Line, "MeshMaterialList says " + std::to_string(materialCount) +
                     " materials, but holds " + std::to_string(Mesh.materials.size()));
  }

  // Material objects and { Name } references up to the list's closing brace.
  void ReadListedMaterials(XFileMesh& Mesh) {
    for (;;) {
      SkipSeparators();
      const Token t = tokens_.Take();
      if (t.type == TokenType::CloseBrace) return;
      if (t.type == TokenType::OpenBrace) {
        Mesh.materials.push_back(ReadMaterialReference(t));
      } else if (t.type == TokenType::Name && t.text == "Material") {
        OpenObject(t);
        Mesh.materials.push_back(ReadMaterial(t.line));
      } else if (t.type == TokenType::Name) {
        OpenObject(t);
        SkipToClose(t, t.line);
      } else {
        Fail(t.line, "expected \"}\" to end MeshMaterialList or a Material, found " + Describe(t) +
                         " (more values than its counts say?)");
      }
    }
  }

  XFileMaterial ReadMaterialReference(const Token& Brace) {
    const Token name = tokens_.Take();
    if (name.type != TokenType::Name)
      Fail(Brace.line, "a material reference must give a name, found " + Describe(name));
    if (tokens_.Peek().type == TokenType::Guid) tokens_.Take();
    const Token close = tokens_.Take();
    if (close.type != TokenType::CloseBrace)
      Fail(close.line, "expected \"}\" to end the reference to \"" + std::string(name.text) +
                           "\", found " + Describe(close));
    const auto found = namedMaterials_.find(std::string(name.text));
    if (found == namedMaterials_.end())
      Fail(name.line, "material \"" + std::string(name.text) + "\" is not defined before here");
    return found->second;
  }

  XFileMaterial ReadMaterial(int Line) {
    XFileMaterial m;
    m.line = Line;
    static const char* const kChannels[] = {"red", "green", "blue", "alpha"};
    for (int i = 0; i < 4; ++i)
      m.faceColor[i] = ReadFloat(std::string("face colour ") + kChannels[i]);
    m.power = ReadFloat("the specular power");
    for (int i = 0; i < 3; ++i)
      m.specularColor[i] = ReadFloat(std::string("specular colour ") + kChannels[i]);
    for (int i = 0; i < 3; ++i)
      m.emissiveColor[i] = ReadFloat(std::string("emissive colour ") + kChannels[i]);
    for (;;) {
      SkipSeparators();
      const Token t = tokens_.Take();
      if (t.type == TokenType::CloseBrace) return m;
      if (t.type == TokenType::OpenBrace) {
        SkipToClose(t, t.line);
      } else if (t.type == TokenType::Name) {
        OpenObject(t);
        if (t.text == "TextureFilename" || t.text == "TextureFileName")
          m.textureFileName = ReadTextureFileName();
        else
          SkipToClose(t, t.line);
      } else {
        Fail(t.line,
             "expected \"}\" to end Material, found " + Describe(t) + UnexpectedValueHint(t));
      }
    }
  }

  std::string ReadTextureFileName() {
    SkipSeparators();
    const Token t = tokens_.Take();
    if (t.type != TokenType::String)
      Fail(t.line, "expected the texture file name (a quoted string), found " + Describe(t));
    CloseObject("TextureFilename");
    return std::string(t.text.substr(1, t.text.size() - 2));
  }

  Tokenizer tokens_;
  std::vector<XFileMesh> meshes_;
  std::map<std::string, XFileMaterial> namedMaterials_;
  int frameDepth_ = 0;
};

// Checks the 16-character header; answers the text after it.
std::string_view CheckHeader(std::string_view Text, const std::string& FileName) {
  const auto fail = [&](const std::string& What) {
    throw XFileError(D3DRMERR_BADFILE, FileName + ", line 1: " + What);
  };
  if (Text.size() < kHeaderSize || Text.substr(0, 4) != kMagic)
    fail("not a DirectX file (it must begin with \"xof 0302txt 0032\")");
  const std::string_view version = Text.substr(4, 4), format = Text.substr(8, 4),
                         floats = Text.substr(12, 4);
  if (version.substr(0, 2) != "03")
    fail("file format version " + std::string(version) + " is not supported (0302 or 0303)");
  if (format != "txt ")
    fail("format \"" + std::string(format) +
         "\" is not supported: only text files (\"txt \") are read");
  if (floats != "0032" && floats != "0064")
    fail("float size \"" + std::string(floats) + "\" is not 0032 or 0064");
  return Text.substr(kHeaderSize);
}

XFileMesh Choose(std::vector<XFileMesh>& Meshes, const std::string& FileName,
                 const XFileMeshChoice& Choice) {
  if (Meshes.empty()) throw XFileError(D3DRMERR_NOTFOUND, FileName + ": the file holds no Mesh");
  switch (Choice.kind) {
    case XFileMeshChoice::Kind::First:
      return std::move(Meshes.front());
    case XFileMeshChoice::Kind::ByName:
      for (auto& mesh : Meshes)
        if (mesh.name == Choice.name) return std::move(mesh);
      throw XFileError(D3DRMERR_NOTFOUND, FileName + ": no Mesh is named \"" + Choice.name + "\"");
    case XFileMeshChoice::Kind::ByPosition:
      if (Choice.position < Meshes.size()) return std::move(Meshes[Choice.position]);
      throw XFileError(D3DRMERR_NOTFOUND, FileName + ": there is no Mesh at position " +
                                              std::to_string(Choice.position) +
                                              " (the file holds " + std::to_string(Meshes.size()) +
                                              ")");
  }
  throw XFileError(D3DRMERR_BADVALUE, FileName + ": unknown way to choose a mesh");
}

}  // namespace

XFileMesh ParseXFileMesh(std::string_view Text, const std::string& FileName,
                         const XFileMeshChoice& Choice) {
  const std::string_view body = CheckHeader(Text, FileName);
  std::vector<XFileMesh> meshes = Parser(body, FileName, 1).ReadAll();
  return Choose(meshes, FileName, Choice);
}

XFileMesh ReadXFileMesh(const std::string& FileName, const XFileMeshChoice& Choice) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(FileName, ignored))
    throw XFileError(D3DRMERR_FILENOTFOUND, FileName + ": no such file");
  std::ifstream in(FileName, std::ios::binary);
  if (!in) throw XFileError(D3DRMERR_FILENOTFOUND, FileName + ": cannot open the file");
  std::ostringstream text;
  text << in.rdbuf();
  return ParseXFileMesh(text.str(), FileName, Choice);
}

}  // namespace platform::d3drm
