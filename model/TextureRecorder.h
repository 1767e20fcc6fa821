// A texture maker without a device: it makes TKorTexdata records numbered in the order they are
// made, remembers every call, and can be told to fail. Tests, the fuzz target and the file
// printer load models through it where no 3D view exists.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "scene/TextureMaker.h"

class TKorTextureRecorder : public TKorTextureMaker {
 public:
  struct TCall {
    std::string Path;  // where the bitmap would be read from
    std::string Name;  // the bare name from the model file
  };

  // Numbers start at FirstNumber, as a view that has already made textures would give them.
  explicit TKorTextureRecorder(int32_t FirstNumber = 0);
  ~TKorTextureRecorder() override;

  // Records the call and makes a record named Name, or throws std::runtime_error when the
  // name was given to FailFor, or when AcceptOnly was called and the name is not in its list.
  const TKorTexdata* MakeTextureFromFile(const std::string& Path, const std::string& Name) override;

  // Gives the record back. A record this maker does not hold is counted in UnknownDiscards.
  void DiscardTexture(const TKorTexdata* Texture) override;

  void FailFor(const std::string& Name) { failing.insert(Name); }
  void AcceptOnly(const std::vector<std::string>& Names);

  const std::vector<TCall>& Calls() const { return calls; }
  // Numbers of the records given back, in the order they were discarded.
  const std::vector<int32_t>& DiscardedNumbers() const { return discarded; }
  int LiveTextures() const { return static_cast<int>(live.size()); }
  int UnknownDiscards() const { return unknownDiscards; }

 private:
  // Throws when this name is to fail.
  void CheckAccepted(const std::string& Path, const std::string& Name) const;

  int32_t nextNumber;
  std::vector<std::unique_ptr<TKorTexdata>> live;
  std::vector<TCall> calls;
  std::vector<int32_t> discarded;
  std::set<std::string> failing;
  std::set<std::string> accepted;
  bool acceptOnly = false;
  int unknownDiscards = 0;
};
