#include "model/TextureRecorder.h"

#include <algorithm>
#include <stdexcept>

TKorTextureRecorder::TKorTextureRecorder(int32_t FirstNumber) : nextNumber_(FirstNumber) {}

TKorTextureRecorder::~TKorTextureRecorder() = default;

void TKorTextureRecorder::AcceptOnly(const std::vector<std::string>& Names) {
  acceptOnly_ = true;
  accepted_.insert(Names.begin(), Names.end());
}

void TKorTextureRecorder::CheckAccepted(const std::string& Path, const std::string& Name) const {
  if (failing_.count(Name) != 0 || (acceptOnly_ && accepted_.count(Name) == 0)) {
    throw std::runtime_error("cannot load bitmap " + Path);
  }
}

const TKorTexdata* TKorTextureRecorder::MakeTextureFromFile(const std::string& Path,
                                                            const std::string& Name) {
  calls_.push_back({Path, Name});
  CheckAccepted(Path, Name);
  auto texture = std::make_unique<TKorTexdata>();
  texture->Number = nextNumber_++;
  texture->Name = Name;
  live_.push_back(std::move(texture));
  return live_.back().get();
}

void TKorTextureRecorder::DiscardTexture(const TKorTexdata* Texture) {
  auto found = std::find_if(live_.begin(), live_.end(),
                            [Texture](const auto& held) { return held.get() == Texture; });
  if (found == live_.end()) {
    ++unknownDiscards_;
    return;
  }
  discarded_.push_back((*found)->Number);
  live_.erase(found);
}
