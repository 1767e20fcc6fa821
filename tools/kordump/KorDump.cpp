#include "tools/kordump/KorDump.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iomanip>
#include <locale>
#include <map>
#include <ostream>
#include <sstream>

#include "model/LoadModel.h"
#include "tools/kordump/BitmapProbe.h"

namespace {

// The tag's four bytes as text when they are printable, else in hexadecimal.
std::string TagText(int32_t tag) {
  char bytes[4];
  std::memcpy(bytes, &tag, 4);
  std::string text = "\"";
  for (char c : bytes) {
    if (!std::isprint(static_cast<unsigned char>(c))) {
      std::ostringstream hex;
      hex << "0x" << std::hex << std::setw(8) << std::setfill('0') << static_cast<uint32_t>(tag);
      return hex.str();
    }
    text += c;
  }
  return text + "\"";
}

std::string Triple(float x, float y, float z) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << "(" << x << ", " << y << ", " << z << ")";
  return out.str();
}

std::string MatrixText(const Matrix4& m) {
  Matrix4 rotation = m;
  rotation[12] = rotation[13] = rotation[14] = 0;
  if (rotation == IdentityMatrix) {
    if (m == IdentityMatrix) return "identity";
    return "translation " + Triple(m[12], m[13], m[14]);
  }
  std::string text;
  for (int row = 0; row < 4; ++row) {
    text += (row == 0 ? "" : " ") + Triple(m[row * 4], m[row * 4 + 1], m[row * 4 + 2]);
  }
  return "rows " + text;
}

class TPrinter {
 public:
  TPrinter(std::ostream& out, const TKorModelIndex& index, const TBitmapFactsByName& facts)
      : out_(out), index_(index), facts_(facts) {}

  void Header(const std::string& fileName) const;
  void TextureTable() const;
  void Tree(const TKorObject* root) const;
  void Outside() const;

 private:
  int IndexOf(const TKorObject* object) const;
  int TableEntryOf(const TKorTexdata* texture) const;
  void Object(const TKorObject* object, int depth) const;
  void Faces(const TKorObject& object, const std::string& pad) const;

  std::ostream& out_;
  const TKorModelIndex& index_;
  const TBitmapFactsByName& facts_;
};

void TPrinter::Header(const std::string& fileName) const {
  out_ << PrintableText(fileName) << ": " << index_.FileSize << " bytes";
  if (index_.BytesRead < index_.FileSize) {
    out_ << ", of which the last " << index_.FileSize - index_.BytesRead << " are not read";
  }
  out_ << "\n";
}

void TPrinter::TextureTable() const {
  const size_t count = index_.TextureNames.size();
  out_ << "Texture table: " << count << (count == 1 ? " entry" : " entries") << "\n";
  for (size_t entry = 0; entry < count; ++entry) {
    const std::string& name = index_.TextureNames[entry];
    out_ << "  [" << entry << "] \"" << PrintableText(name) << "\"";
    const int first = TableEntryOf(index_.Textures[entry]);
    if (first != static_cast<int>(entry)) {
      out_ << "  same texture as [" << first << "]\n";
      continue;
    }
    const auto known = facts_.find(name);
    if (known != facts_.end()) {
      out_ << "  " << known->second.Width << " x " << known->second.Height << ", "
           << known->second.BitsPerPixel << " bits per pixel";
    }
    out_ << "\n";
  }
}

int TPrinter::IndexOf(const TKorObject* object) const {
  for (size_t i = 0; i < index_.Objects.size(); ++i) {
    if (index_.Objects[i] == object) return static_cast<int>(i);
  }
  return -1;
}

int TPrinter::TableEntryOf(const TKorTexdata* texture) const {
  for (size_t i = 0; i < index_.Textures.size(); ++i) {
    if (index_.Textures[i] == texture) return static_cast<int>(i);
  }
  return -1;
}

void TPrinter::Tree(const TKorObject* root) const {
  int inTree = 0;
  for (const TKorObject* object : index_.Objects) inTree += object != nullptr;
  out_ << "Objects: " << index_.Objects.size() << " in the file, " << inTree
       << " in the tree (children listed in the order the tree walks them)\n";
  Object(root, 0);
}

void TPrinter::Object(const TKorObject* object, int depth) const {
  const std::string pad(static_cast<size_t>(2 + 2 * depth), ' ');
  const int i = IndexOf(object);
  out_ << pad << "#" << i << " " << TagText(object->Tag);
  const int parent = index_.ParentIndexes[static_cast<size_t>(i)];
  out_ << (parent < 0 ? "  root" : "  child of #" + std::to_string(parent)) << "\n";
  out_ << pad << "  vertices " << object->VertexCount << ", faces " << object->FaceCount
       << ", points " << object->PointCount << ", plain faces " << object->PlainFaceCount << "\n";
  if (object->VertexCount + object->PointCount > 0) {
    out_ << pad << "  box " << Triple(object->BoxMin.x, object->BoxMin.y, object->BoxMin.z)
         << " to " << Triple(object->BoxMax.x, object->BoxMax.y, object->BoxMax.z) << "\n";
  }
  out_ << pad << "  Local " << MatrixText(object->Local) << "; Base " << MatrixText(object->Base)
       << "\n";
  Faces(*object, pad);
  for (const TKorObject* child = object->FirstChild; child != nullptr; child = child->Next) {
    Object(child, depth + 1);
  }
}

void TPrinter::Faces(const TKorObject& object, const std::string& pad) const {
  if (object.FaceCount == 0) return;
  std::map<int, int> byTexture, byFlag;
  int fewest = KorMaxPolygonIndices, most = 0;
  for (int32_t f = 0; f < object.FaceCount; ++f) {
    const TKorPolygon& face = object.Faces[static_cast<size_t>(f)];
    ++byTexture[TableEntryOf(face.TexRef)];
    ++byFlag[face.Flag];
    fewest = std::min(fewest, face.Count);
    most = std::max(most, face.Count);
  }
  out_ << pad << "  faces of " << fewest << " to " << most << " indices; textures";
  for (const auto& [entry, count] : byTexture) out_ << " [" << entry << "] x " << count;
  out_ << "; flags";
  for (const auto& [flag, count] : byFlag) {
    out_ << " " << flag << " x " << count << (flag == 6 ? " (drawn)" : "");
  }
  out_ << "\n";
}

void TPrinter::Outside() const {
  for (size_t i = 0; i < index_.Objects.size(); ++i) {
    if (index_.Objects[i] != nullptr) continue;
    out_ << "  #" << i << " not in the tree (ParentIndex " << index_.ParentIndexes[i]
         << "); left out when loading\n";
  }
}

}  // namespace

std::string PrintableText(const std::string& Text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(Text.size());
  for (const char c : Text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\') {
      out += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += c;
    } else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

int DumpModel(const std::string& FileName, std::ostream& Out, std::ostream& Err) {
  Out.imbue(std::locale::classic());
  TBitmapProbe probe;
  TKorModelIndex index;
  TKorObject* root = nullptr;
  try {
    root = LoadModel(&probe, FileName.c_str(), &index);
  } catch (const EKorModelError& error) {
    Err << PrintableText(error.what()) << "\n";
    return 1;
  }
  PrintModel(Out, FileName, index, root, probe.Facts());
  FreeObject(root);
  return 0;
}

void PrintModel(std::ostream& Out, const std::string& FileName, const TKorModelIndex& Index,
                const TKorObject* Root, const TBitmapFactsByName& Facts) {
  TPrinter printer(Out, Index, Facts);
  printer.Header(FileName);
  printer.TextureTable();
  printer.Tree(Root);
  printer.Outside();
}
