#include "platform/d3drm/DepthClipper.h"

namespace platform::d3drm {
namespace {

D3DVALUE Mix(D3DVALUE From, D3DVALUE To, D3DVALUE T) {
  return From + (To - From) * T;
}

// The point of edge (A, B) on the plane z = Plane, computed from the nearer end.
ClipVertex CutPoint(const ClipVertex& A, const ClipVertex& B, D3DVALUE Plane) {
  const ClipVertex& from = A.position.z <= B.position.z ? A : B;
  const ClipVertex& to = A.position.z <= B.position.z ? B : A;
  const D3DVALUE t = (Plane - from.position.z) / (to.position.z - from.position.z);
  ClipVertex cut;
  cut.position = {Mix(from.position.x, to.position.x, t), Mix(from.position.y, to.position.y, t),
                  Plane};
  cut.red = Mix(from.red, to.red, t);
  cut.green = Mix(from.green, to.green, t);
  cut.blue = Mix(from.blue, to.blue, t);
  cut.alpha = Mix(from.alpha, to.alpha, t);
  cut.tu = Mix(from.tu, to.tu, t);
  cut.tv = Mix(from.tv, to.tv, t);
  return cut;
}

}  // namespace

void DepthClipper::ClipAgainst(const std::vector<ClipVertex>& In, D3DVALUE Plane, bool KeepBeyond,
                               std::vector<ClipVertex>& Out) {
  Out.clear();
  const auto kept = [&](const ClipVertex& v) {
    return KeepBeyond ? v.position.z >= Plane : v.position.z <= Plane;
  };
  for (std::size_t i = 0; i < In.size(); ++i) {
    const ClipVertex& current = In[i];
    const ClipVertex& next = In[(i + 1) % In.size()];
    const bool currentKept = kept(current);
    if (currentKept) Out.push_back(current);
    if (currentKept != kept(next)) Out.push_back(CutPoint(current, next, Plane));
  }
}

const std::vector<ClipVertex>& DepthClipper::Clip(const ClipVertex* Polygon, size_t Count,
                                                  D3DVALUE Front, D3DVALUE Back) {
  first_.assign(Polygon, Polygon + Count);
  ClipAgainst(first_, Front, true, second_);
  ClipAgainst(second_, Back, false, first_);
  if (first_.size() < 3) first_.clear();
  return first_;
}

}  // namespace platform::d3drm
