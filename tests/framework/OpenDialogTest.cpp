// The file dialogs on the headless backend: what a folder lists, how the user's clicks move
// through folders and choose a file, and what Open, Save and Cancel give back. Also the form's
// resize, wheel and drop events the viewer relies on.
#include "framework/OpenDialog.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/framework/HeadlessFixture.h"

namespace {

namespace fs = std::filesystem;

class OpenDialogTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    root_ = fs::temp_directory_path() / ("kor_opendialog_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "models" / "deep");
    fs::create_directories(root_ / "b_folder");
    fs::create_directories(root_ / ".hidden_folder");
    for (const char* name : {"zeta.kor", "Alpha.KOR", "notes.txt", ".hidden.kor", "models/in.kor"})
      std::ofstream(root_ / name) << "x";
  }
  void TearDown() override {
    HeadlessTest::TearDown();
    fs::remove_all(root_);
  }

  fs::path root_;
};

TEST_F(OpenDialogTest, FiltersGiveTheirExtensions) {
  EXPECT_EQ(FilterExtensions("Model files (*.kor)|*.kor"), std::vector<std::string>{".kor"});
  EXPECT_EQ(FilterExtensions("Pictures|*.PNG;*.bmp"), (std::vector<std::string>{".png", ".bmp"}));
  EXPECT_TRUE(FilterExtensions("All|*.*").empty());
  EXPECT_TRUE(FilterExtensions("").empty());
}

TEST_F(OpenDialogTest, AFolderListsItsFoldersThenTheFilesTheFilterAdmits) {
  const std::vector<TFolderEntry> expected{
      {"b_folder", true}, {"models", true}, {"Alpha.KOR", false}, {"zeta.kor", false}};
  EXPECT_EQ(ListFolder(root_, {".kor"}), expected);
  EXPECT_EQ(ListFolder(root_, {}).size(), 5u);  // notes.txt too
  EXPECT_TRUE(ListFolder(root_ / "no such folder", {".kor"}).empty());
}

TEST_F(OpenDialogTest, ClicksEnterFoldersAndOpenGivesTheChosenFile) {
  TOpenDialog dialog(nullptr);
  dialog.InitialDir = root_.string();
  dialog.Filter = "Model files (*.kor)|*.kor";
  headless->AnswerModal([this](TForm& Form) {
    auto& form = dynamic_cast<TFileDialogForm&>(Form);
    EXPECT_EQ(form.Folder(), root_);
    EXPECT_EQ(form.FileList->Items()->Strings(0), "../");
    EXPECT_EQ(form.FileList->Items()->Strings(2), "models/");
    ASSERT_TRUE(form.ClickEntry("models/"));
    EXPECT_EQ(form.Folder(), root_ / "models");
    EXPECT_EQ(form.FolderLabel->Caption(), (root_ / "models").string());
    ASSERT_TRUE(form.ClickEntry("in.kor"));
    EXPECT_EQ(form.FileNameEdit->Text(), "in.kor");
    form.OkButton->Click();
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName, (root_ / "models" / "in.kor").string());
}

TEST_F(OpenDialogTest, OpenWantsAnExistingFileAndCancelGivesNothing) {
  TOpenDialog dialog(nullptr);
  dialog.FileName = (root_ / "zeta.kor").string();  // the dialog starts in its folder
  headless->AnswerModal([this](TForm& Form) {
    auto& form = dynamic_cast<TFileDialogForm&>(Form);
    EXPECT_EQ(form.Folder(), root_);
    EXPECT_EQ(form.FileNameEdit->Text(), "zeta.kor");
    form.FileNameEdit->SetText("missing.kor");
    form.OkButton->Click();
    EXPECT_EQ(form.ModalResult(), mrNone) << "a file that does not exist was accepted";
    form.FileNameEdit->SetText("models");  // a folder's name enters it
    form.OkButton->Click();
    EXPECT_EQ(form.Folder(), root_ / "models");
    ASSERT_TRUE(form.ClickEntry("../"));
    EXPECT_EQ(form.Folder(), root_);
    form.CancelButton->Click();
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName, (root_ / "zeta.kor").string());
}

TEST_F(OpenDialogTest, SaveTakesANewNameAndAddsTheDefaultExtension) {
  TSaveDialog dialog(nullptr);
  dialog.InitialDir = root_.string();
  dialog.DefaultExt = "png";
  headless->AnswerModal([](TForm& Form) {
    auto& form = dynamic_cast<TFileDialogForm&>(Form);
    EXPECT_EQ(form.OkButton->Caption(), "Save");
    form.FileNameEdit->SetText("picture");
    form.OkButton->Click();
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName, (root_ / "picture.png").string());
}

TEST_F(OpenDialogTest, FormsReportResizeWheelAndDroppedFiles) {
  TForm form(nullptr);
  int resizes = 0;
  form.OnResize = [&](TObject*) { ++resizes; };
  form.SetBounds(10, 10, 320, 240);  // moved only
  form.SetClientWidth(400);
  form.SetClientWidth(400);
  EXPECT_EQ(resizes, 1);

  int delta = 0;
  POINT at{};
  form.OnMouseWheel = [&](TObject*, TShiftState, int WheelDelta, POINT MousePos, bool& Handled) {
    delta = WheelDelta;
    at = MousePos;
    Handled = WheelDelta > 0;
  };
  EXPECT_TRUE(form.MouseWheel(0, 240, 5, 6));
  EXPECT_EQ(delta, 240);
  EXPECT_EQ(at.x, 5);
  EXPECT_EQ(at.y, 6);
  EXPECT_FALSE(form.MouseWheel(0, -120, 0, 0));

  std::vector<std::string> dropped;
  form.OnDropFiles = [&](TObject*, const std::vector<std::string>& Files) { dropped = Files; };
  form.DropFiles({"/tmp/a.kor"});
  EXPECT_EQ(dropped, std::vector<std::string>{"/tmp/a.kor"});
}

}  // namespace
