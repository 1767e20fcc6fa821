// A ".kor" file loaded for inspection without a 3D view: the tree, the loader's index, and the
// objects in the order the tree walks them (each object, then its children), freed at the end.
#pragma once

#include <string>
#include <vector>

#include "model/LoadModel.h"
#include "model/TextureRecorder.h"

namespace testsupport {

class TLoadedModel {
 public:
  explicit TLoadedModel(const std::string& FileName)
      : Root(LoadModel(&Maker, FileName.c_str(), &Index)) {
    Walk(Root, -1);
  }
  ~TLoadedModel() { FreeObject(Root); }
  TLoadedModel(const TLoadedModel&) = delete;
  TLoadedModel& operator=(const TLoadedModel&) = delete;

  TKorTextureRecorder Maker;
  TKorModelIndex Index;
  TKorObject* Root;
  std::vector<const TKorObject*> Objects;  // walk order
  std::vector<int> Parents;                // position of each one's parent in Objects; -1: root

 private:
  void Walk(const TKorObject* Object, int Parent) {
    for (; Object != nullptr; Object = Object->Next) {
      const int at = static_cast<int>(Objects.size());
      Objects.push_back(Object);
      Parents.push_back(Parent);
      Walk(Object->FirstChild, at);
    }
  }
};

}  // namespace testsupport
