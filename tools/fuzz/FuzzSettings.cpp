// libFuzzer target for the settings file: read, write, read back. Whatever the file holds,
// writing one value must read back as written, leave every other value reading as before,
// and change the file only within one line (the written value's) or by adding lines.
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "framework/RegIniFile.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

// Memory-backed when the machine has it: every input is written to a file and read back.
std::filesystem::path ScratchFolder() {
  std::error_code ignored;
  if (std::filesystem::is_directory("/dev/shm", ignored)) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

// The names read and written: the program's own and a few that differ only in case.
const std::array<const char*, 3> Sections = {"KorvelG", "korvelg", "A"};
const std::array<const char*, 3> Names = {"Enum_Checkbox", "D3D_Device", "b"};
constexpr int Default = -12345;

bool SameName(const std::string& A, const std::string& B) {
  if (A.size() != B.size()) return false;
  for (std::size_t i = 0; i < A.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(A[i])) !=
        std::tolower(static_cast<unsigned char>(B[i])))
      return false;
  return true;
}

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The file's settings folder, made once; the key's file lies in it.
TRegIniFile& Settings() {
  static TRegIniFile* settings = [] {
    const auto folder = ScratchFolder() / ("kor_fuzz_settings_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    return new TRegIniFile("Software\\Korvel_Soft");
  }();
  return *settings;
}

std::array<int, Sections.size() * Names.size()> ReadAll(const TRegIniFile& Settings) {
  std::array<int, Sections.size() * Names.size()> values{};
  for (std::size_t s = 0; s < Sections.size(); ++s)
    for (std::size_t n = 0; n < Names.size(); ++n)
      values[s * Names.size() + n] = Settings.ReadInteger(Sections[s], Names[n], Default);
  return values;
}

// True when After is Before with at most one line's text replaced and lines added: what
// lies between their common beginning and common end holds no line end of Before.
bool ChangedWithinOneLine(const std::string& Before, const std::string& After) {
  std::size_t prefix = 0;
  while (prefix < Before.size() && prefix < After.size() && Before[prefix] == After[prefix])
    ++prefix;
  std::size_t suffix = 0;
  while (suffix < Before.size() - prefix && suffix < After.size() - prefix &&
         Before[Before.size() - 1 - suffix] == After[After.size() - 1 - suffix])
    ++suffix;
  const std::string removed = Before.substr(prefix, Before.size() - prefix - suffix);
  return removed.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  TRegIniFile& settings = Settings();
  // The first byte chooses the value written and what it is set to; the rest is the file.
  const std::size_t section = Data[0] % Sections.size();
  const std::size_t name = (Data[0] / Sections.size()) % Names.size();
  const int value = static_cast<int>(Data[0]) - 100;
  const std::string before(reinterpret_cast<const char*>(Data + 1), Size - 1);
  std::ofstream(settings.FileName(), std::ios::binary | std::ios::trunc) << before;

  auto expected = ReadAll(settings);
  settings.WriteInteger(Sections[section], Names[name], value);
  // Section names match without regard to case: the write shows through each spelling.
  for (std::size_t s = 0; s < Sections.size(); ++s)
    if (SameName(Sections[s], Sections[section])) expected[s * Names.size() + name] = value;
  Require(ReadAll(settings) == expected);
  Require(ChangedWithinOneLine(before, ReadFile(settings.FileName())));
  return 0;
}
