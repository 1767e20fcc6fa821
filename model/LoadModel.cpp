#include "model/LoadModel.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "model/ByteReader.h"
#include "model/KorPath.h"

namespace {

// Least sizes of the records, used to refuse counts the rest of the file cannot hold before
// anything is allocated for them. A face may have no indices at all.
constexpr int64_t VertexBytes = 36;
constexpr int64_t MinFaceBytes = 12;
constexpr int64_t PointBytes = 12;
constexpr int64_t MinPlainFaceBytes = 8;
constexpr int64_t MinNameBytes = 1;  // the ending 0

// The four counts at the head of an object block, and where each was read.
struct TObjectCounts {
  int32_t Vertices = 0, Faces = 0, Points = 0, PlainFaces = 0;
  int64_t VerticesAt = 0, FacesAt = 0, PointsAt = 0, PlainFacesAt = 0;
};

// Reads one file. Everything it makes is listed so that a failure anywhere can give all of it
// back: the destructor does that unless the load finished.
class TKorLoader {
 public:
  TKorLoader(TKorTextureMaker* View, const std::string& FileName, std::span<const uint8_t> Bytes)
      : reader_(Bytes, FileName), view_(View), directory_(ModelDirectory(FileName)) {}
  ~TKorLoader();
  TKorLoader(const TKorLoader&) = delete;
  TKorLoader& operator=(const TKorLoader&) = delete;

  TKorObject* Load(TKorModelIndex* Index);

 private:
  void ReadTextureTable();
  void ReadTextureEntry(int32_t Entry);
  void ReadObjectList();
  void ReadObject(int32_t I);
  TObjectCounts ReadCounts();
  void RefuseCountsBeyondRoom(int32_t I, const TObjectCounts& Counts);
  void RefuseBeyondRoom(int64_t At, const std::string& Owner, int64_t Count, int64_t RecordBytes,
                        const char* One, const char* Many);
  void ReadVertices(TKorObject*& Obj, int32_t Count);
  void ReadFaces(TKorObject*& Obj, int32_t Count);
  void ReadPoints(TKorObject*& Obj, int32_t Count);
  void ReadPlainFaces(TKorObject*& Obj, int32_t Count);
  // Reads a polygon's Count (0 to 128) and indices into `indices`; returns Count.
  int32_t ReadPolygonIndices(const TKorObject* Obj);
  void ReadParent(int32_t I);
  void DropObjectsOutsideTheTree();
  void FillIndex(TKorModelIndex& Index) const;
  void GiveBack() noexcept;

  TKorByteReader reader_;
  TKorTextureMaker* view_;
  std::string directory_;
  std::vector<std::string> names_;                // the texture table as read
  std::vector<const TKorTexdata*> textureList_;   // one per entry; repeats share
  std::vector<const TKorTexdata*> madeTextures_;  // each texture made once
  std::vector<TKorObject*> objects_;              // file order
  std::vector<int32_t> parentIndexes_;
  int32_t objectCount_ = 0;
  std::array<uint16_t, KorMaxPolygonIndices> indices_{};
  bool finished_ = false;
};

TKorLoader::~TKorLoader() {
  if (!finished_) GiveBack();
}

void TKorLoader::GiveBack() noexcept {
  // Objects are unlinked first, so each is freed exactly once whatever links were made.
  for (TKorObject* object : objects_) {
    if (object == nullptr) continue;
    object->FirstChild = nullptr;
    object->Next = nullptr;
  }
  for (TKorObject*& object : objects_) FreeObject(object);
  for (auto made = madeTextures_.rbegin(); made != madeTextures_.rend(); ++made) {
    try {
      view_->DiscardTexture(*made);
    } catch (...) {
      // The load is already failing; the first fault is the one to report.
    }
  }
}

TKorObject* TKorLoader::Load(TKorModelIndex* Index) {
  ReadTextureTable();
  ReadObjectList();
  DropObjectsOutsideTheTree();
  if (Index != nullptr) FillIndex(*Index);
  finished_ = true;
  return objects_[0];
}

void TKorLoader::ReadTextureTable() {
  const int64_t at = reader_.Offset();
  const int32_t count = reader_.ReadCount("TextureCount");
  RefuseBeyondRoom(at, "the texture table", count, MinNameBytes, "entry", "entries");
  for (int32_t entry = 0; entry < count; ++entry) ReadTextureEntry(entry);
  reader_.Place = {};
}

// Refuses a count whose records, at their least size, could not fit in the rest of the file,
// before anything is made for them. The fault is the count, so it is reported at the count;
// the message names its owner itself.
void TKorLoader::RefuseBeyondRoom(int64_t At, const std::string& Owner, int64_t Count,
                                  int64_t RecordBytes, const char* One, const char* Many) {
  const int64_t room = reader_.RoomFor(RecordBytes);
  if (Count <= room) return;
  reader_.Place = {};
  reader_.Fail(At, Owner + " declares " + Quantity(Count, One, Many) +
                       "; the file has room for at most " + Grouped(room));
}

void TKorLoader::ReadTextureEntry(int32_t Entry) {
  reader_.Place = {-1, "texture name", Entry};
  const int64_t at = reader_.Offset();
  std::string name = reader_.ReadName(KorMaxNameLength, "the name");
  for (const TKorTexdata* made : madeTextures_) {
    if (made->Name == name) {
      textureList_.push_back(made);
      names_.push_back(std::move(name));
      return;
    }
  }
  const std::string path = TexturePath(directory_, name);
  const TKorTexdata* texture = nullptr;
  try {
    texture = view_->MakeTextureFromFile(path, name);
  } catch (const std::exception& error) {
    reader_.Fail(at, "cannot load bitmap \"" + path + "\": " + error.what());
  }
  if (texture == nullptr) reader_.Fail(at, "cannot load bitmap \"" + path + "\"");
  madeTextures_.push_back(texture);
  textureList_.push_back(texture);
  names_.push_back(std::move(name));
}

void TKorLoader::ReadObjectList() {
  const int64_t at = reader_.Offset();
  const int32_t count = reader_.ReadInt32("ObjectCount");
  if (count <= 0) {
    reader_.Fail(
        at, "ObjectCount is " + std::to_string(count) + "; a model needs at least its root object");
  }
  if (count > KorMaxObjects) {
    reader_.Fail(at, "ObjectCount " + std::to_string(count) + " is above the format's limit of " +
                         std::to_string(KorMaxObjects));
  }
  // No room check here: the limit bounds what is reserved, and a file that ends before its
  // objects do is reported where it ends.
  objectCount_ = count;
  objects_.reserve(static_cast<size_t>(count));
  parentIndexes_.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) ReadObject(i);
}

TObjectCounts TKorLoader::ReadCounts() {
  TObjectCounts counts;
  counts.VerticesAt = reader_.Offset();
  counts.Vertices = reader_.ReadCount("VertexCount");
  counts.FacesAt = reader_.Offset();
  counts.Faces = reader_.ReadCount("FaceCount");
  counts.PointsAt = reader_.Offset();
  counts.Points = reader_.ReadCount("PointCount");
  counts.PlainFacesAt = reader_.Offset();
  counts.PlainFaces = reader_.ReadCount("PlainFaceCount");
  return counts;
}

// Each count alone against what follows the header: a bound on what NewObject allocates, not
// a check that the whole block is there (reading finds where a short file ends).
void TKorLoader::RefuseCountsBeyondRoom(int32_t I, const TObjectCounts& Counts) {
  const std::string owner = "object " + std::to_string(I);
  RefuseBeyondRoom(Counts.VerticesAt, owner, Counts.Vertices, VertexBytes, "vertex", "vertices");
  RefuseBeyondRoom(Counts.FacesAt, owner, Counts.Faces, MinFaceBytes, "face", "faces");
  RefuseBeyondRoom(Counts.PointsAt, owner, Counts.Points, PointBytes, "point", "points");
  RefuseBeyondRoom(Counts.PlainFacesAt, owner, Counts.PlainFaces, MinPlainFaceBytes, "plain face",
                   "plain faces");
}

void TKorLoader::ReadObject(int32_t I) {
  reader_.Place = {I, nullptr, -1};
  const TObjectCounts counts = ReadCounts();
  // The header is read before anything is allocated, so a file cut inside it is reported where
  // it ends and the counts are weighed against what follows it.
  int32_t tag = 0;
  Matrix4 local, base;
  reader_.ReadRaw(&tag, sizeof tag, "Tag");
  for (float& element : local.m) element = reader_.ReadFloat("Local");
  for (float& element : base.m) element = reader_.ReadFloat("Base");
  RefuseCountsBeyondRoom(I, counts);
  TKorObject* object = nullptr;
  NewObject(object, counts.Vertices, counts.Faces, counts.Points, counts.PlainFaces);
  objects_.push_back(object);
  object->Tag = tag;
  object->Local = local;
  object->Base = base;
  ReadVertices(object, counts.Vertices);
  ReadFaces(object, counts.Faces);
  ReadPoints(object, counts.Points);
  ReadPlainFaces(object, counts.PlainFaces);
  ReadParent(I);
}

void TKorLoader::ReadVertices(TKorObject*& Obj, int32_t Count) {
  reader_.Place.Record = "vertex";
  for (int32_t d = 0; d < Count; ++d) {
    reader_.Place.Index = d;
    const float x = reader_.ReadFloat("X"), y = reader_.ReadFloat("Y"), z = reader_.ReadFloat("Z");
    const float u = reader_.ReadFloat("U"), v = reader_.ReadFloat("V");
    const float nx = reader_.ReadFloat("NX"), ny = reader_.ReadFloat("NY");
    const float nz = reader_.ReadFloat("NZ");
    const uint32_t color = reader_.ReadUInt32("Color");
    AddVertex(Obj, color, x, y, z, nx, ny, nz, u, v);
  }
}

int32_t TKorLoader::ReadPolygonIndices(const TKorObject* Obj) {
  const int64_t at = reader_.Offset();
  const int32_t count = reader_.ReadInt32("Count");
  if (count < 0 || count > KorMaxPolygonIndices) {
    reader_.Fail(at, "Count is " + std::to_string(count) + "; it must be 0 to " +
                         std::to_string(KorMaxPolygonIndices));
  }
  for (int32_t i = 0; i < count; ++i) {
    const int64_t indexAt = reader_.Offset();
    const uint16_t index = reader_.ReadUInt16("a vertex index");
    if (index >= Obj->VertexCount) {
      reader_.Fail(indexAt, "vertex index " + std::to_string(index) + " is not below VertexCount " +
                                std::to_string(Obj->VertexCount));
    }
    indices_[static_cast<size_t>(i)] = index;
  }
  return count;
}

void TKorLoader::ReadFaces(TKorObject*& Obj, int32_t Count) {
  reader_.Place.Record = "face";
  for (int32_t f = 0; f < Count; ++f) {
    reader_.Place.Index = f;
    // Faces of fewer than three indices are kept: the renderer leaves them out and counts them.
    const int32_t count = ReadPolygonIndices(Obj);
    const int32_t flag = reader_.ReadInt32("Flag");
    const int64_t at = reader_.Offset();
    const int32_t textureIndex = reader_.ReadInt32("TextureIndex");
    if (textureIndex < 0 || textureIndex >= static_cast<int32_t>(textureList_.size())) {
      reader_.Fail(at, "TextureIndex " + std::to_string(textureIndex) +
                           " is outside the texture table of " +
                           Quantity(static_cast<int64_t>(textureList_.size()), "entry", "entries"));
    }
    AddFace(Obj, indices_.data(), count, static_cast<uint8_t>(flag),
            textureList_[static_cast<size_t>(textureIndex)]);
  }
}

void TKorLoader::ReadPoints(TKorObject*& Obj, int32_t Count) {
  reader_.Place.Record = "point";
  for (int32_t d = 0; d < Count; ++d) {
    reader_.Place.Index = d;
    const float x = reader_.ReadFloat("X"), y = reader_.ReadFloat("Y"), z = reader_.ReadFloat("Z");
    AddPoint(Obj, x, y, z);
  }
}

void TKorLoader::ReadPlainFaces(TKorObject*& Obj, int32_t Count) {
  reader_.Place.Record = "plain face";
  for (int32_t f = 0; f < Count; ++f) {
    reader_.Place.Index = f;
    const int32_t count = ReadPolygonIndices(Obj);
    const int32_t flag = reader_.ReadInt32("Flag");
    AddPlainFace(Obj, indices_.data(), count, static_cast<uint8_t>(flag));
  }
}

void TKorLoader::ReadParent(int32_t I) {
  reader_.Place.Record = nullptr;
  const int64_t at = reader_.Offset();
  const int32_t parent = reader_.ReadInt32("ParentIndex");
  const std::string said = "ParentIndex " + std::to_string(parent);
  if (parent == I) reader_.Fail(at, said + " names the object itself");
  if (parent > I && parent < objectCount_) reader_.Fail(at, said + " names a later object");
  if (parent < -1 || parent >= objectCount_) {
    reader_.Fail(at, said + " is out of range (-1 or 0 to " + std::to_string(I - 1) + ")");
  }
  parentIndexes_.push_back(parent);
  if (parent >= 0) AttachObject(objects_[static_cast<size_t>(parent)], objects_.back());
}

void TKorLoader::DropObjectsOutsideTheTree() {
  // Parents come before their children, so one pass in file order decides every object. An
  // object outside the tree is not reachable from the result and would otherwise be lost.
  std::vector<bool> inTree(objects_.size(), false);
  inTree[0] = true;
  for (size_t i = 1; i < objects_.size(); ++i) {
    const int32_t parent = parentIndexes_[i];
    inTree[i] = parent >= 0 && inTree[static_cast<size_t>(parent)];
  }
  for (size_t i = 1; i < objects_.size(); ++i) {
    if (parentIndexes_[i] == -1) FreeObject(objects_[i]);  // with its descendants
  }
  for (size_t i = 1; i < objects_.size(); ++i) {
    if (!inTree[i]) objects_[i] = nullptr;
  }
}

void TKorLoader::FillIndex(TKorModelIndex& Index) const {
  Index.TextureNames = names_;
  Index.Textures = textureList_;
  Index.Objects.assign(objects_.begin(), objects_.end());
  Index.ParentIndexes = parentIndexes_;
  Index.FileSize = reader_.Size();
  Index.BytesRead = reader_.Offset();
}

}  // namespace

TKorObject* LoadModelFromBytes(TKorTextureMaker* View, const std::string& FileName,
                               std::span<const uint8_t> Bytes, TKorModelIndex* Index) {
  TKorLoader loader(View, FileName, Bytes);
  return loader.Load(Index);
}

std::vector<uint8_t> ReadModelFile(const std::string& FileName) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(FileName.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) {
    // The whole path tried: a relative name read from the wrong folder shows where it looked.
    const std::string reason = std::string("cannot open: ") + std::strerror(errno);
    std::error_code ignored;
    const std::filesystem::path tried = std::filesystem::absolute(FileName, ignored);
    throw EKorModelError(tried.empty() ? FileName : tried.string(), EKorModelError::NoOffset,
                         reason);
  }
  std::vector<uint8_t> bytes;
  std::array<uint8_t, 65536> chunk;
  size_t got;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), file.get())) > 0) {
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
  }
  if (std::ferror(file.get())) {
    throw EKorModelError(FileName, static_cast<int64_t>(bytes.size()),
                         std::string("cannot read: ") + std::strerror(errno));
  }
  return bytes;
}

TKorObject* LoadModel(TKorTextureMaker* View, const char* FileName, TKorModelIndex* Index) {
  const std::vector<uint8_t> bytes = ReadModelFile(FileName);
  return LoadModelFromBytes(View, FileName, bytes, Index);
}

TKorObject* LoadModel(TKorTextureMaker* View, const char* FileName) {
  return LoadModel(View, FileName, nullptr);
}
