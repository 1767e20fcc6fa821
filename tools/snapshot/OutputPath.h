// The command line of snapshot, read strictly.
//
// FRAMES is a whole decimal number from 1 to kMaxFrames, nothing else ("abc", "12x", "+3",
// " 4" and numbers out of range are refused with the text that was given).
//
// OUTPUT is taken literally, with one exception: its first "%d", or "%0Nd" with one digit N
// from 1 to 9, is the frame-number placeholder, replaced by the frame's number (zero-padded
// to N digits with "%0Nd"). A path with a placeholder gets one picture per frame; without one,
// only the last frame is written. Every other character, a second "%d" or any other '%'
// included, stays as it is: the path is never a printf format.
#pragma once

#include <optional>
#include <string>

inline constexpr int kMaxFrames = 1000000;

// FRAMES, or nothing when Text is not a whole number from 1 to kMaxFrames.
std::optional<int> ParseFrameCount(const std::string& Text);

class TOutputPath {
 public:
  explicit TOutputPath(std::string Pattern);

  // True when the path holds the frame-number placeholder.
  bool PerFrame() const { return at_ != std::string::npos; }
  // The file for frame Frame (the pattern itself when there is no placeholder).
  std::string ForFrame(int Frame) const;

 private:
  std::string pattern_;
  std::size_t at_ = std::string::npos;  // where the placeholder starts
  std::size_t length_ = 0;              // its length in characters
  int width_ = 0;                       // digits to pad to (0: none)
};
