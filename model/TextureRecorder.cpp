#include "model/TextureRecorder.h"

#include <algorithm>
#include <stdexcept>

TKorTextureRecorder::TKorTextureRecorder(int32_t FirstNumber) : nextNumber(FirstNumber) {}

TKorTextureRecorder::~TKorTextureRecorder() = default;

void TKorTextureRecorder::AcceptOnly(const std::vector<std::string>& Names) {
  acceptOnly = true;
  accepted.insert(Names.begin(), Names.end());
}

void TKorTextureRecorder::CheckAccepted(const std::string& Path, const std::string& Name) const {
  if (failing.count(Name) != 0 || (acceptOnly && accepted.count(Name) == 0)) {
    throw std::runtime_error("cannot load bitmap " + Path);
  }
}

const TKorTexdata* TKorTextureRecorder::MakeTextureFromFile(const std::string& Path,
                                                            const std::string& Name) {
  calls.push_back({Path, Name});
  CheckAccepted(Path, Name);
  auto texture = std::make_unique<TKorTexdata>();
  texture->Number = nextNumber++;
  texture->Name = Name;
  live.push_back(std::move(texture));
  return live.back().get();
}

void TKorTextureRecorder::DiscardTexture(const TKorTexdata* Texture) {
  auto found = std::find_if(live.begin(), live.end(),
                            [Texture](const auto& held) { return held.get() == Texture; });
  if (found == live.end()) {
    ++unknownDiscards;
    return;
  }
  discarded.push_back((*found)->Number);
  live.erase(found);
}
