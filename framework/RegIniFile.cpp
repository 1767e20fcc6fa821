#include "framework/RegIniFile.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "framework/Exceptions.h"

namespace {

namespace fs = std::filesystem;

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return {};
}

std::string ConfigFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return xdg;
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.config";
}

std::string Trim(const std::string& Text) {
  const auto first = Text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = Text.find_last_not_of(" \t\r");
  return Text.substr(first, last - first + 1);
}

bool SameName(const std::string& A, const std::string& B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

// The file as lines, each with its own line end ("\r\n", "\n", "\r", or none for a last
// line without one), so that writing one value gives back every other byte as it was.
struct Line {
  std::string text;
  std::string end;
};

struct IniText {
  std::string byteOrderMark;  // a UTF-8 mark the file begins with, kept when writing
  std::vector<Line> lines;
  std::string newline = "\n";  // the file's first line end, used for lines added to it
};

IniText ReadText(const std::string& FileName) {
  std::ifstream in(FileName, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  IniText text;
  std::size_t start = 0;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    text.byteOrderMark = bytes.substr(0, 3);
    start = 3;
  }
  bool newlineSeen = false;
  while (start < bytes.size()) {
    const std::size_t stop = std::min(bytes.find_first_of("\r\n", start), bytes.size());
    std::size_t next = stop;
    if (stop < bytes.size()) next += bytes.compare(stop, 2, "\r\n") == 0 ? 2 : 1;
    text.lines.push_back({bytes.substr(start, stop - start), bytes.substr(stop, next - stop)});
    if (!newlineSeen && next > stop) {
      text.newline = text.lines.back().end;
      newlineSeen = true;
    }
    start = next;
  }
  return text;
}

// The section name of a "[Section]" line; a comment may follow the closing bracket.
std::optional<std::string> SectionOf(const std::string& Line) {
  const std::string text = Trim(Line);
  const auto close = text.find(']');
  if (text.empty() || text.front() != '[' || close == std::string::npos) return std::nullopt;
  const std::string after = Trim(text.substr(close + 1));
  if (!after.empty() && after.front() != ';' && after.front() != '#') return std::nullopt;
  return Trim(text.substr(1, close - 1));
}

// The name of a "Name=Value" line.
std::optional<std::string> NameOf(const std::string& Line) {
  const auto equals = Line.find('=');
  if (equals == std::string::npos) return std::nullopt;
  const std::string text = Trim(Line);
  if (text.empty() || text.front() == ';' || text.front() == '#') return std::nullopt;
  return Trim(Line.substr(0, equals));
}

// Where a value lies in the file's lines: the index of its line, and of the end of its
// section (the line after the section's last value).
struct Place {
  std::optional<std::size_t> section;
  std::optional<std::size_t> value;
  std::size_t sectionEnd = 0;
};

Place Find(const std::vector<Line>& Lines, const std::string& Section, const std::string& Name) {
  Place place;
  bool inside = false;
  for (std::size_t i = 0; i < Lines.size(); ++i) {
    if (const auto section = SectionOf(Lines[i].text)) {
      inside = !place.section && SameName(*section, Section);
      if (inside) {
        place.section = i;
        place.sectionEnd = i + 1;
      }
      continue;
    }
    if (!inside) continue;
    const auto name = NameOf(Lines[i].text);
    if (!name) continue;
    place.sectionEnd = i + 1;
    if (!place.value && SameName(*name, Name)) place.value = i;
  }
  return place;
}

std::optional<int> ParseInteger(const std::string& Text) {
  std::string digits = Trim(Text);
  if (!digits.empty() && digits.front() == '+') digits.erase(0, 1);
  int value = 0;
  const auto [end, fault] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (fault != std::errc() || end != digits.data() + digits.size() || digits.empty())
    return std::nullopt;
  return value;
}

[[noreturn]] void RaiseCreateError(const std::string& FileName, const std::string& Reason) {
  throw EFCreateError("Cannot create file \"" + FileName + "\". " + Reason);
}

void WriteText(const std::string& FileName, const IniText& Text) {
  std::error_code error;
  fs::create_directories(fs::path(FileName).parent_path(), error);
  if (error) RaiseCreateError(FileName, error.message());
  const std::string temporary = FileName + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << Text.byteOrderMark;
    for (const Line& line : Text.lines) out << line.text << line.end;
    out.flush();
    if (!out) {
      fs::remove(temporary, error);
      RaiseCreateError(FileName, "The file could not be written.");
    }
  }
  fs::rename(temporary, FileName, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    RaiseCreateError(FileName, error.message());
  }
}

}  // namespace

std::string RegIniFileName(const std::string& Key) {
  const std::string folder = ConfigFolder();
  if (folder.empty()) return {};
  std::string rest = Key;
  const std::string root = "Software\\";
  if (rest.size() >= root.size() && SameName(rest.substr(0, root.size()), root))
    rest.erase(0, root.size());
  // Each part of the key is one folder (the last one the file); empty parts and parts that
  // would climb out of the folder are dropped.
  std::string path = folder;
  std::size_t start = 0;
  while (start <= rest.size()) {
    const std::size_t end = std::min(rest.find('\\', start), rest.size());
    const std::string part = rest.substr(start, end - start);
    if (!part.empty() && part != "." && part != ".." && part.find('/') == std::string::npos)
      path += "/" + part;
    start = end + 1;
  }
  return path + ".ini";
}

TRegIniFile::TRegIniFile(const std::string& Key) : key_(Key), fileName_(RegIniFileName(Key)) {}

int TRegIniFile::ReadInteger(const std::string& Section, const std::string& Name,
                             int Default) const {
  if (fileName_.empty()) return Default;
  const IniText text = ReadText(fileName_);
  const Place place = Find(text.lines, Section, Name);
  if (!place.value) return Default;
  const std::string& line = text.lines[*place.value].text;
  return ParseInteger(line.substr(line.find('=') + 1)).value_or(Default);
}

void TRegIniFile::WriteInteger(const std::string& Section, const std::string& Name, int Value) {
  if (fileName_.empty())
    throw EFCreateError("Cannot store \"" + key_ +
                        "\": there is no configuration folder (XDG_CONFIG_HOME and HOME unset)");
  IniText text = ReadText(fileName_);
  std::vector<Line>& lines = text.lines;
  const Place place = Find(lines, Section, Name);
  const std::string entry = Name + "=" + std::to_string(Value);
  // A line added after the file's last line gives that line the end it lacked.
  const auto endLastLine = [&] {
    if (!lines.empty() && lines.back().end.empty()) lines.back().end = text.newline;
  };
  if (place.value) {
    lines[*place.value].text = entry;
  } else if (place.section) {
    if (place.sectionEnd == lines.size()) endLastLine();
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.sectionEnd),
                 Line{entry, text.newline});
  } else {
    endLastLine();
    if (!lines.empty() && !Trim(lines.back().text).empty()) lines.push_back({"", text.newline});
    lines.push_back({"[" + Section + "]", text.newline});
    lines.push_back({entry, text.newline});
  }
  WriteText(fileName_, text);
}
