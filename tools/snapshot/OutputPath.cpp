#include "tools/snapshot/OutputPath.h"

#include <cctype>
#include <charconv>

std::optional<int> ParseFrameCount(const std::string& Text) {
  if (Text.empty() || Text.size() > 7) return std::nullopt;
  for (const char c : Text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
  if (error != std::errc() || end != Text.data() + Text.size()) return std::nullopt;
  if (value < 1 || value > kMaxFrames) return std::nullopt;
  return value;
}

TOutputPath::TOutputPath(std::string Pattern) : pattern_(std::move(Pattern)) {
  for (std::size_t i = pattern_.find('%'); i != std::string::npos; i = pattern_.find('%', i + 1)) {
    if (pattern_.compare(i, 2, "%d") == 0) {
      at_ = i;
      length_ = 2;
      return;
    }
    // "%0Nd": a zero, one digit from 1 to 9, then 'd'.
    if (i + 3 < pattern_.size() && pattern_[i + 1] == '0' && pattern_[i + 2] >= '1' &&
        pattern_[i + 2] <= '9' && pattern_[i + 3] == 'd') {
      at_ = i;
      length_ = 4;
      width_ = pattern_[i + 2] - '0';
      return;
    }
  }
}

std::string TOutputPath::ForFrame(int Frame) const {
  if (!PerFrame()) return pattern_;
  std::string number = std::to_string(Frame);
  if (static_cast<int>(number.size()) < width_)
    number.insert(0, static_cast<std::size_t>(width_) - number.size(), '0');
  return pattern_.substr(0, at_) + number + pattern_.substr(at_ + length_);
}
