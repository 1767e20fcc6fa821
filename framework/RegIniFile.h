// TRegIniFile: the program's registry settings under a key of the current user, kept as an
// INI file.
//
// The key "Software\Korvel_Soft" is the file
//     $XDG_CONFIG_HOME/Korvel_Soft.ini   (or ~/.config/Korvel_Soft.ini when XDG_CONFIG_HOME is
//                                         unset, empty or not an absolute path)
// that is: a leading "Software\" is dropped, further backslashes become folders, and ".ini"
// is added. Sections are "[KorvelG]" lines (a comment after ';' or '#' may follow the
// bracket) and values "Enum_Checkbox=-1" lines. Section and value names are matched without
// regard to case, as the registry does. The file may begin with a UTF-8 byte-order mark and
// end its lines with LF, CR LF or CR alone; writing a value changes only that value's line
// (or adds one) and keeps every other byte, line ends included.
//
// Every read looks at the file as it is now and every write goes to the file at once (written
// whole to a temporary file, then renamed over it), so two objects on one key see each
// other's values, as two registry handles do.
#pragma once

#include <string>

#include "framework/Object.h"

class TRegIniFile : public TObject {
 public:
  // Opens Key (nothing is read or made until a value is read or written).
  explicit TRegIniFile(const std::string& Key);

  // The INI file that keeps the key; empty when there is no configuration folder (no
  // XDG_CONFIG_HOME and no home folder).
  const std::string& FileName() const { return fileName_; }

  // The integer Name in Section, or Default when the file, the section or the value is
  // missing or the value is not a decimal integer.
  int ReadInteger(const std::string& Section, const std::string& Name, int Default) const;
  // Stores Value as Name in Section, making the folder, the file and the section as needed.
  // A file that cannot be written raises EFCreateError naming it.
  void WriteInteger(const std::string& Section, const std::string& Name, int Value);

 private:
  std::string key_;
  std::string fileName_;
};

// The file that keeps Key (see above); empty when there is no configuration folder.
std::string RegIniFileName(const std::string& Key);
