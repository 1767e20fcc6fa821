#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Button.h"
#include "framework/CheckBox.h"
#include "framework/Edit.h"
#include "framework/Exceptions.h"
#include "framework/Form.h"
#include "framework/GroupBox.h"
#include "framework/Image.h"
#include "framework/Label.h"
#include "framework/ListBox.h"
#include "framework/Menu.h"
#include "framework/RadioButton.h"
#include "tests/framework/HeadlessFixture.h"

namespace {

class ControlsTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    form = new TForm(Application);
  }

  template <class T>
  T* Make(TWinControl* Parent) {
    T* control = new T(form);
    control->SetParent(Parent);
    return control;
  }

  TForm* form = nullptr;
  int clicks = 0;
};

TEST_F(ControlsTest, AButtonClickRunsOnClickOnlyWhileEnabled) {
  auto* button = Make<TButton>(form);
  button->SetCaption("begin");
  button->OnClick = [this](TObject* Sender) {
    EXPECT_NE(dynamic_cast<TButton*>(Sender), nullptr);
    ++clicks;
  };
  button->Click();
  button->SetEnabled(false);
  button->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(button->Caption(), "begin");
}

TEST_F(ControlsTest, ACheckBoxClickTogglesThenRunsOnClickButSettingCheckedRunsNothing) {
  auto* box = Make<TCheckBox>(form);
  std::vector<bool> seen;
  box->OnClick = [&](TObject*) { seen.push_back(box->Checked()); };
  box->SetChecked(true);
  EXPECT_TRUE(seen.empty());
  box->Click();
  box->Click();
  EXPECT_EQ(seen, (std::vector<bool>{false, true}));
  box->SetEnabled(false);
  box->Click();
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(ControlsTest, RadioButtonsOfOneParentExcludeEachOtherOnly) {
  auto* group = Make<TGroupBox>(form);
  auto* hal = Make<TRadioButton>(group);
  auto* hel = Make<TRadioButton>(group);
  auto* custom = Make<TRadioButton>(group);
  auto* elsewhere = Make<TRadioButton>(form);
  elsewhere->SetChecked(true);
  hal->SetChecked(true);
  custom->OnClick = [&](TObject*) {
    ++clicks;
    EXPECT_TRUE(custom->Checked());
    EXPECT_FALSE(hal->Checked());
  };
  custom->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(hel->Checked());
  EXPECT_TRUE(elsewhere->Checked()) << "another parent is another group";
  hel->SetChecked(true);
  EXPECT_FALSE(custom->Checked());
  hel->SetChecked(false);
  EXPECT_FALSE(hel->Checked());
}

TEST_F(ControlsTest, AListBoxSelectsOnlyItemsThatExist) {
  auto* list = Make<TListBox>(form);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->Items()->Add("Primary Display Driver"), 0);
  list->Items()->Add("Second");
  EXPECT_EQ(list->Items()->Count(), 2);
  EXPECT_EQ(list->Items()->Strings(1), "Second");
  EXPECT_THROW(list->Items()->Strings(2), EListError);
  list->SetItemIndex(1);
  EXPECT_EQ(list->ItemIndex(), 1);
  list->SetItemIndex(5);
  EXPECT_EQ(list->ItemIndex(), -1) << "beyond the list";
  list->SetItemIndex(0);
  list->SetItemIndex(-3);
  EXPECT_EQ(list->ItemIndex(), -1) << "a negative index selects nothing";
  list->SetItemIndex(1);
  list->Items()->Clear();
  EXPECT_EQ(list->ItemIndex(), -1) << "emptying clears the selection";
  EXPECT_EQ(list->Items()->Count(), 0);
}

TEST_F(ControlsTest, AListBoxClickSelectsTheItemThenRunsOnClick) {
  auto* list = Make<TListBox>(form);
  list->Items()->Add("a");
  list->Items()->Add("b");
  list->OnClick = [&](TObject*) {
    ++clicks;
    EXPECT_EQ(list->ItemIndex(), 1);
  };
  list->ClickItem(1);
  list->ClickItem(7);
  list->SetEnabled(false);
  list->ClickItem(0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(list->ItemIndex(), 1);
}

TEST_F(ControlsTest, TextsOfEditsLabelsAndGroupBoxesAreKept) {
  auto* edit = Make<TEdit>(form);
  edit->SetText("FPS =81.3008130081301");
  edit->Repaint();
  EXPECT_EQ(edit->Text(), "FPS =81.3008130081301");
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetCaption("DrawDevice");
  EXPECT_EQ(label->Caption(), "DrawDevice");
  EXPECT_EQ(form->ControlCount(), 2);
}

TEST_F(ControlsTest, AnImageLoadsItsPictureAndReportsAMissingFileByName) {
  auto* image = new TImage(form);
  image->SetParent(form);
  EXPECT_TRUE(image->Picture()->Bitmap()->Empty());
  try {
    image->Picture()->LoadFromFile("no_such_meta.bmp");
    FAIL() << "no exception";
  } catch (const EFOpenError& error) {
    EXPECT_NE(std::string(error.what()).find("no_such_meta.bmp"), std::string::npos);
  }
}

TEST_F(ControlsTest, MenuItemsFormATreeAndRunOnClickWhileEnabled) {
  auto* menu = new TMainMenu(form);
  auto* file = new TMenuItem(form);
  file->SetCaption("&File");
  auto* exit = new TMenuItem(form);
  exit->SetCaption("E&xit");
  menu->Items()->Add(file);
  file->Add(exit);
  form->SetMenu(menu);
  exit->OnClick = [&](TObject* Sender) {
    EXPECT_EQ(Sender, exit);
    ++clicks;
  };
  ASSERT_EQ(menu->Items()->Count(), 1);
  EXPECT_EQ(menu->Items()->Items(0)->Items(0), exit);
  EXPECT_EQ(exit->Parent(), file);
  exit->Click();
  exit->SetEnabled(false);
  exit->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(StripAccessKeys(file->Caption()), "File");
  EXPECT_EQ(StripAccessKeys("Save && E&xit&"), "Save & Exit");
  delete exit;
  EXPECT_EQ(file->Count(), 0) << "a destroyed item leaves its parent";
}

}  // namespace
