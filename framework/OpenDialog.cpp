#include "framework/OpenDialog.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <system_error>

namespace {

namespace fs = std::filesystem;

constexpr const char* kParentEntry = "../";

std::string Lower(std::string Text) {
  std::transform(Text.begin(), Text.end(), Text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return Text;
}

bool Admits(const std::vector<std::string>& Extensions, const fs::path& File) {
  if (Extensions.empty()) return true;
  const std::string extension = Lower(File.extension().string());
  return std::find(Extensions.begin(), Extensions.end(), extension) != Extensions.end();
}

std::string Shown(const TFolderEntry& Entry) {
  return Entry.IsFolder ? Entry.Name + "/" : Entry.Name;
}

}  // namespace

std::vector<std::string> FilterExtensions(const std::string& Filter) {
  std::vector<std::string> extensions;
  const size_t bar = Filter.find('|');
  const std::string patterns = bar == std::string::npos ? Filter : Filter.substr(bar + 1);
  size_t start = 0;
  while (start <= patterns.size()) {
    size_t end = patterns.find(';', start);
    if (end == std::string::npos) end = patterns.size();
    const std::string pattern = patterns.substr(start, end - start);
    if (pattern == "*" || pattern == "*.*") return {};
    if (pattern.size() > 2 && pattern.compare(0, 2, "*.") == 0)
      extensions.push_back(Lower(pattern.substr(1)));
    start = end + 1;
  }
  return extensions;
}

std::vector<TFolderEntry> ListFolder(const fs::path& Folder,
                                     const std::vector<std::string>& Extensions) {
  std::vector<TFolderEntry> folders, files;
  std::error_code error;
  fs::directory_iterator it(Folder, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code kindError;
    if (it->is_directory(kindError))
      folders.push_back({name, true});
    else if (!kindError && Admits(Extensions, it->path()))
      files.push_back({name, false});
  }
  const auto byName = [](const TFolderEntry& a, const TFolderEntry& b) { return a.Name < b.Name; };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  folders.insert(folders.end(), files.begin(), files.end());
  return folders;
}

TFileDialogForm::TFileDialogForm(TComponent* Owner, TFileDialogKind Kind, const std::string& Filter)
    : TForm(Owner), kind_(Kind), extensions_(FilterExtensions(Filter)) {
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(440);
  SetClientHeight(340);
  FolderLabel = PlaceControl<TLabel>(this, 8, 8, 424, 16);
  FileList = PlaceControl<TListBox>(this, 8, 28, 424, 240);
  FileNameEdit = PlaceControl<TEdit>(this, 8, 276, 424, 21);
  OkButton = PlaceControl<TButton>(this, 276, 306, 75, 25);
  OkButton->SetCaption(Kind == TFileDialogKind::Save ? "Save" : "Open");
  CancelButton = PlaceControl<TButton>(this, 357, 306, 75, 25);
  CancelButton->SetCaption("Cancel");
  FileList->OnClick = [this](TObject*) { FileListClick(); };
  OkButton->OnClick = [this](TObject*) { OkButtonClick(); };
  CancelButton->OnClick = [this](TObject*) { SetModalResult(mrCancel); };
}

void TFileDialogForm::ShowFolder(const fs::path& Folder) {
  std::error_code error;
  fs::path absolute = fs::absolute(Folder, error).lexically_normal();
  if (error) absolute = Folder;
  // "a/b/" normalises to "a/b/": the folder's own name is wanted for the parent step.
  if (!absolute.has_filename() && absolute.has_parent_path() && absolute != absolute.root_path())
    absolute = absolute.parent_path();
  folder_ = absolute;
  entries_.clear();
  if (folder_ != folder_.root_path()) entries_.push_back({"..", true});
  const std::vector<TFolderEntry> listed = ListFolder(folder_, extensions_);
  entries_.insert(entries_.end(), listed.begin(), listed.end());
  FileList->Items()->Clear();
  for (const TFolderEntry& entry : entries_) FileList->Items()->Add(Shown(entry));
  FolderLabel->SetCaption(folder_.string());
}

bool TFileDialogForm::ClickEntry(const std::string& Name) {
  for (int i = 0; i < FileList->Items()->Count(); ++i) {
    if (FileList->Items()->Strings(i) != Name) continue;
    FileList->ClickItem(i);
    return true;
  }
  return false;
}

void TFileDialogForm::FileListClick() {
  const int index = FileList->ItemIndex();
  if (index < 0 || index >= static_cast<int>(entries_.size())) return;
  const TFolderEntry entry = entries_[static_cast<size_t>(index)];
  if (!entry.IsFolder) {
    FileNameEdit->SetText(entry.Name);
    return;
  }
  ShowFolder(entry.Name == ".." ? folder_.parent_path() : folder_ / entry.Name);
}

void TFileDialogForm::OkButtonClick() {
  const std::string name = FileNameEdit->Text();
  if (name.empty()) return;
  fs::path path = fs::path(name).is_absolute() ? fs::path(name) : folder_ / name;
  std::error_code error;
  if (fs::is_directory(path, error)) {
    FileNameEdit->SetText("");
    ShowFolder(path);
    return;
  }
  if (kind_ == TFileDialogKind::Open) {
    if (!fs::is_regular_file(path, error)) return;  // nothing to open: the dialog stays
  } else {
    if (!fs::is_directory(path.parent_path(), error)) return;
    if (!path.has_extension() && !DefaultExt.empty())
      path += DefaultExt.front() == '.' ? DefaultExt : "." + DefaultExt;
  }
  chosen_ = path.lexically_normal().string();
  SetModalResult(mrOk);
}

bool TOpenDialog::Execute() {
  auto form = std::make_unique<TFileDialogForm>(nullptr, kind_, Filter);
  form->SetCaption(Title);
  form->DefaultExt = DefaultExt;
  fs::path start = InitialDir.empty() ? fs::current_path() : fs::path(InitialDir);
  std::error_code error;
  if (!FileName.empty()) {
    const fs::path previous(FileName);
    if (previous.has_parent_path() && fs::is_directory(previous.parent_path(), error))
      start = previous.parent_path();
    form->FileNameEdit->SetText(previous.filename().string());
  }
  form->ShowFolder(start);
  if (form->ShowModal() != mrOk) return false;
  FileName = form->Chosen();
  return true;
}
