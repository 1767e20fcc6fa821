#include "model/KorPath.h"

#include <algorithm>

std::string ModelDirectory(std::string_view FileName) {
  const size_t last = FileName.find_last_of("\\/");
  if (last == std::string_view::npos) return {};
  return std::string(FileName.substr(0, last + 1));
}

std::string TexturePath(std::string_view Directory, std::string_view Name) {
  std::string path(Directory);
  const size_t start = path.size();
  path.append(Name);
  std::replace(path.begin() + static_cast<std::ptrdiff_t>(start), path.end(), '\\', '/');
  return path;
}
