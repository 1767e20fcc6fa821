// TOpenDialog and TSaveDialog: choosing a file with a dialog made of the framework's own
// controls (so it works the same on the desktop and headless backends).
//
// Execute shows a modal TFileDialogForm: a label with the folder shown, a list box with the
// parent folder ("../"), the sub-folders ("name/") and the files the filter admits, an edit box
// with the file name, and the buttons Open (Save) and Cancel. Clicking a folder enters it;
// clicking a file puts its name in the edit box; Open takes the edit box's name (a folder name
// enters the folder). An open dialog accepts only a file that exists; a save dialog accepts
// any name in an existing folder and adds DefaultExt when the name has no extension.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "framework/Button.h"
#include "framework/Component.h"
#include "framework/Edit.h"
#include "framework/Form.h"
#include "framework/Label.h"
#include "framework/ListBox.h"

// One entry of a folder listing.
struct TFolderEntry {
  std::string Name;
  bool IsFolder = false;
  bool operator==(const TFolderEntry&) const = default;
};

// The extensions a filter admits: "Model files (*.kor)|*.kor;*.KOR" gives ".kor" (compared
// without regard to case). Empty for a filter without patterns or with "*" or "*.*": every file.
std::vector<std::string> FilterExtensions(const std::string& Filter);

// Folder's sub-folders, then its files whose extension is one of Extensions (every file when
// Extensions is empty), each group sorted by name; names starting with '.' are left out.
// Entries that cannot be read are skipped; a folder that cannot be read lists nothing.
std::vector<TFolderEntry> ListFolder(const std::filesystem::path& Folder,
                                     const std::vector<std::string>& Extensions);

enum class TFileDialogKind { Open, Save };

// The form a file dialog shows; tests reach it through the headless backend's modal script.
class TFileDialogForm : public TForm {
 public:
  TFileDialogForm(TComponent* Owner, TFileDialogKind Kind, const std::string& Filter);

  // Lists Folder (made absolute) in the list box and shows it in the label.
  void ShowFolder(const std::filesystem::path& Folder);
  const std::filesystem::path& Folder() const { return folder_; }
  // The full path of the file chosen when ModalResult is mrOk.
  const std::string& Chosen() const { return chosen_; }
  // The list box's entries, as listed (the parent folder first unless at the root).
  const std::vector<TFolderEntry>& Entries() const { return entries_; }
  // Clicks on the list box's item that shows Name ("../" for the parent folder); false when
  // no item shows it.
  bool ClickEntry(const std::string& Name);

  TLabel* FolderLabel;
  TListBox* FileList;
  TEdit* FileNameEdit;
  TButton* OkButton;
  TButton* CancelButton;

  // The default extension a save dialog adds (".png").
  std::string DefaultExt;

 private:
  void FileListClick();
  void OkButtonClick();

  TFileDialogKind kind_;
  std::vector<std::string> extensions_;
  std::filesystem::path folder_;
  std::vector<TFolderEntry> entries_;
  std::string chosen_;
};

class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* Owner) : TComponent(Owner) {}

  // Shows the dialog in InitialDir (the working directory when empty, or FileName's folder
  // when it names one). True when the user chose a file: FileName is then its full path.
  bool Execute();

  std::string FileName;
  std::string InitialDir;
  std::string Title = "Open";
  std::string Filter;      // "Description|*.ext;*.ext2"
  std::string DefaultExt;  // for a save dialog: added to a name without extension ("png")

 protected:
  TOpenDialog(TComponent* Owner, TFileDialogKind Kind) : TComponent(Owner), kind_(Kind) {}

 private:
  TFileDialogKind kind_ = TFileDialogKind::Open;
};

class TSaveDialog : public TOpenDialog {
 public:
  explicit TSaveDialog(TComponent* Owner) : TOpenDialog(Owner, TFileDialogKind::Save) {
    Title = "Save";
  }
};
