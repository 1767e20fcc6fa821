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

  void FailFor(const std::string& Name) { failing_.insert(Name); }
  void AcceptOnly(const std::vector<std::string>& Names);

  const std::vector<TCall>& Calls() const { return calls_; }
  // Numbers of the records given back, in the order they were discarded.
  const std::vector<int32_t>& DiscardedNumbers() const { return discarded_; }
  int LiveTextures() const { return static_cast<int>(live_.size()); }
  int UnknownDiscards() const { return unknownDiscards_; }

 private:
  // Throws when this name is to fail.
  void CheckAccepted(const std::string& Path, const std::string& Name) const;

  int32_t nextNumber_;
  std::vector<std::unique_ptr<TKorTexdata>> live_;
  std::vector<TCall> calls_;
  std::vector<int32_t> discarded_;
  std::set<std::string> failing_;
  std::set<std::string> accepted_;
  bool acceptOnly_ = false;
  int unknownDiscards_ = 0;
};
