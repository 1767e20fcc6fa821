#include "tests/support/Golden.h"

#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/display/Rgb565.h"

namespace testsupport {

namespace {

bool UpdateRequested() {
  const char* value = std::getenv("KOR_UPDATE_GOLDEN");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

std::string GoldenPath(const std::string& name) {
  return "golden/" + name + ".png";
}

std::string SaveActual(const std::string& name, const Picture& picture) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kor_golden_actual";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::string path = (folder / (name + ".png")).string();
  return WritePng(path, picture) ? path : std::string("(could not be written)");
}

}  // namespace

Picture PictureFromRgb565(const void* pixels, int width, int height, int pitch) {
  Picture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint16_t*>(
        static_cast<const std::uint8_t*>(pixels) + std::ptrdiff_t(y) * pitch);
    for (int x = 0; x < width; ++x) {
      std::uint8_t* out = &picture.rgba[(std::size_t(y) * width + x) * 4];
      out[0] = static_cast<std::uint8_t>(platform::Red565(row[x]));
      out[1] = static_cast<std::uint8_t>(platform::Green565(row[x]));
      out[2] = static_cast<std::uint8_t>(platform::Blue565(row[x]));
      out[3] = 255;
    }
  }
  return picture;
}

Picture PictureFromXrgb8888(const void* pixels, int width, int height, int pitch) {
  Picture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(
        static_cast<const std::uint8_t*>(pixels) + std::ptrdiff_t(y) * pitch);
    for (int x = 0; x < width; ++x) {
      std::uint8_t* out = &picture.rgba[(std::size_t(y) * width + x) * 4];
      out[0] = static_cast<std::uint8_t>(row[x] >> 16);
      out[1] = static_cast<std::uint8_t>(row[x] >> 8);
      out[2] = static_cast<std::uint8_t>(row[x]);
      out[3] = 255;
    }
  }
  return picture;
}

bool WritePng(const std::string& path, const Picture& picture) {
  return stbi_write_png(path.c_str(), picture.width, picture.height, 4, picture.rgba.data(),
                        picture.width * 4) != 0;
}

std::optional<Picture> ReadPng(const std::string& path) {
  int width = 0, height = 0, channels = 0;
  stbi_uc* data = stbi_load(path.c_str(), &width, &height, &channels, 4);
  if (data == nullptr) return std::nullopt;
  Picture picture{width, height,
                  std::vector<std::uint8_t>(data, data + std::size_t(width) * height * 4)};
  stbi_image_free(data);
  return picture;
}

::testing::AssertionResult MatchesGolden(const std::string& name, const Picture& picture,
                                         int tolerance) {
  const std::string path = GoldenPath(name);
  if (UpdateRequested()) {
    std::error_code ignored;
    std::filesystem::create_directories("golden", ignored);
    if (!WritePng(path, picture)) {
      return ::testing::AssertionFailure() << "could not write the reference " << path;
    }
    return ::testing::AssertionSuccess() << "reference " << path << " rewritten";
  }
  const std::optional<Picture> golden = ReadPng(path);
  if (!golden) {
    return ::testing::AssertionFailure()
           << "no reference picture " << path << " (run with KOR_UPDATE_GOLDEN=1 to make it); "
           << "rendered picture: " << SaveActual(name, picture);
  }
  if (golden->width != picture.width || golden->height != picture.height) {
    return ::testing::AssertionFailure()
           << path << " is " << golden->width << " x " << golden->height << ", the picture is "
           << picture.width << " x " << picture.height;
  }
  int worst = 0;
  std::size_t differing = 0, first_bad = 0;
  for (std::size_t i = 0; i < picture.rgba.size(); ++i) {
    const int difference = std::abs(int(picture.rgba[i]) - int(golden->rgba[i]));
    if (difference > tolerance && differing++ == 0) first_bad = i / 4;
    worst = std::max(worst, difference);
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << name << ": " << differing << " channels differ from " << path << " by more than "
         << tolerance << " (worst " << worst << ", first at pixel (" << first_bad % picture.width
         << ", " << first_bad / picture.width
         << ")); rendered picture: " << SaveActual(name, picture);
}

::testing::AssertionResult MatchesGolden(const std::string& name, const std::uint8_t* rgba,
                                         int width, int height, int tolerance) {
  Picture picture{width, height,
                  std::vector<std::uint8_t>(rgba, rgba + std::size_t(width) * height * 4)};
  return MatchesGolden(name, picture, tolerance);
}

}  // namespace testsupport
