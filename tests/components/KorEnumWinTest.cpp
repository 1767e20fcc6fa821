// The device-selection dialog and SelectDevices: the stored choice restored and written, the
// list rules, and what each way out of the dialog sets up.
#include "components/KorEnumWin.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <fstream>

#include <memory>
#include <string>
#include <vector>

#include "components/KorvelRM.h"
#include "framework/Application.h"
#include "framework/backends/HeadlessBackend.h"
#include "tests/components/KorvelGFixture.h"
#include "tests/support/TempConfigHome.h"

namespace {

struct Stored {
  int mode;
  int driver;
  int device;
  bool operator==(const Stored&) const = default;
};

void PrintTo(const Stored& s, std::ostream* os) {
  *os << "{" << s.mode << ", " << s.driver << ", " << s.device << "}";
}

constexpr int kAbsent = 12345;

Stored ReadStored() {
  TRegIniFile reg(KorvelRegistryKey);
  return {reg.ReadInteger("KorvelG", "Enum_Checkbox", kAbsent),
          reg.ReadInteger("KorvelG", "DDraw_Device", kAbsent),
          reg.ReadInteger("KorvelG", "D3D_Device", kAbsent)};
}

void Store(const Stored& s) {
  TRegIniFile reg(KorvelRegistryKey);
  reg.WriteInteger("KorvelG", "Enum_Checkbox", s.mode);
  reg.WriteInteger("KorvelG", "DDraw_Device", s.driver);
  reg.WriteInteger("KorvelG", "D3D_Device", s.device);
}

// A device record named Description; Hardware gives its hardware description a colour model.
std::unique_ptr<T3DDeviceRec> Device(const std::string& Description, bool Hardware) {
  auto device = std::make_unique<T3DDeviceRec>();
  device->Description = Description;
  device->Name = Description + " name";
  device->HWDesc.dcmColorModel = Hardware ? 2 : 0;
  return device;
}

// A driver record with the given devices.
std::unique_ptr<TDrawDriverRec> Driver(const std::string& Name,
                                       std::vector<std::unique_ptr<T3DDeviceRec>> Devices) {
  auto driver = std::make_unique<TDrawDriverRec>();
  driver->Name = Name;
  driver->Description = Name + " driver";
  for (auto& device : Devices) driver->Devices.Add(std::move(device));
  return driver;
}

// The dialog on its own, over a driver list the test makes (as DDEnum would fill it).
class KorEnumWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseHeadlessBackend();
    Hardware3D = false;
    DriverList = std::make_unique<TDrawDriverList>();
    std::vector<std::unique_ptr<T3DDeviceRec>> first;
    first.push_back(Device("A soft", false));
    first.push_back(Device("A card", true));
    DriverList->Add(Driver("first", std::move(first)));
    std::vector<std::unique_ptr<T3DDeviceRec>> second;
    second.push_back(Device("B soft", false));
    DriverList->Add(Driver("second", std::move(second)));

    dialog_ = std::make_unique<TKorEnumWindow>(nullptr);
    for (const auto& driver : *DriverList) dialog_->ListBox1->Items()->Add(driver->Name);
  }
  void TearDown() override {
    dialog_.reset();
    DriverList.reset();
    Hardware3D = false;
  }

  std::vector<std::string> Items(TListBox* List) const {
    std::vector<std::string> items;
    for (int i = 0; i < List->Items()->Count(); ++i) items.push_back(List->Items()->Strings(i));
    return items;
  }

  TempConfigHome config_;
  std::unique_ptr<TKorEnumWindow> dialog_;
};

TEST_F(KorEnumWindowTest, TheStoredLayoutHasBothListsDisabledAndTheHiddenModesInvisible) {
  EXPECT_EQ(dialog_->Caption(), "KorEnumWindow");
  EXPECT_EQ(dialog_->Left(), 200);
  EXPECT_EQ(dialog_->Top(), 107);
  EXPECT_EQ(dialog_->RadioButton1->Caption(), "PRIORITY_HAL");
  EXPECT_TRUE(dialog_->RadioButton1->Checked());
  EXPECT_FALSE(dialog_->RadioButton1->Visible());
  EXPECT_FALSE(dialog_->RadioButton4->Visible());
  EXPECT_EQ(dialog_->RadioButton4->Caption(), "AutoSelect");
  EXPECT_TRUE(dialog_->RadioButton2->Visible());
  EXPECT_TRUE(dialog_->RadioButton3->Visible());
  EXPECT_FALSE(dialog_->ListBox1->Enabled());
  EXPECT_FALSE(dialog_->ListBox2->Enabled());
  EXPECT_EQ(dialog_->Button1->Caption(), "Start");
  EXPECT_EQ(dialog_->Button2->Caption(), "Exit");
  // The radio buttons and lists sit in the group box, so the four modes are one group.
  EXPECT_EQ(dialog_->RadioButton2->Parent(), dialog_->GroupBox1);
  EXPECT_EQ(dialog_->ListBox2->Parent(), dialog_->GroupBox1);
  EXPECT_EQ(dialog_->ListBox2->Left(), 248);
  EXPECT_EQ(dialog_->ListBox2->Width(), 241);
  EXPECT_EQ(dialog_->DDrawIndex, 0);
  EXPECT_EQ(dialog_->D3DIndex, 0);
}

TEST_F(KorEnumWindowTest, EachStoredModeChecksItsButton) {
  struct Case {
    int mode;
    TRadioButton* TKorEnumWindow::*checked;
    bool listsEnabled;
  };
  const Case cases[] = {{-1, &TKorEnumWindow::RadioButton2, false},
                        {-2, &TKorEnumWindow::RadioButton1, false},
                        {-3, &TKorEnumWindow::RadioButton4, false},
                        {-4, &TKorEnumWindow::RadioButton3, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Store({c.mode, 0, 0});
    TKorEnumWindow dialog(nullptr);
    dialog.FormShow(&dialog);
    EXPECT_EQ(dialog.EnumMode, c.mode);
    TRadioButton* buttons[] = {dialog.RadioButton1, dialog.RadioButton2, dialog.RadioButton3,
                               dialog.RadioButton4};
    for (TRadioButton* button : buttons)
      EXPECT_EQ(button->Checked(), button == dialog.*c.checked) << button->Caption();
    EXPECT_EQ(dialog.ListBox1->Enabled(), c.listsEnabled);
    EXPECT_EQ(dialog.ListBox2->Enabled(), c.listsEnabled);
  }
}

TEST_F(KorEnumWindowTest, AStoredHalModeShowsNoVisibleButtonChecked) {
  Store({-2, 0, 0});
  dialog_->FormShow(dialog_.get());
  EXPECT_FALSE(dialog_->RadioButton2->Checked());
  EXPECT_FALSE(dialog_->RadioButton3->Checked());
  EXPECT_TRUE(dialog_->RadioButton1->Checked());
  EXPECT_FALSE(dialog_->RadioButton1->Visible());
}

// An unknown mode would check no visible button and be written back by Start for good: it
// is read as a first run, and Start then stores the first run's mode.
TEST_F(KorEnumWindowTest, AnUnknownStoredModeIsReadAsAFirstRun) {
  for (int unknown : {7, 0, -5, -1000}) {
    Store({unknown, 1, 1});
    dialog_->FormShow(dialog_.get());
    EXPECT_EQ(dialog_->EnumMode, EnumModeHEL) << unknown;
    EXPECT_TRUE(dialog_->RadioButton2->Checked()) << unknown;
    EXPECT_FALSE(dialog_->ListBox1->Enabled());
    dialog_->Button1Click(dialog_.get());
    EXPECT_EQ(ReadStored().mode, EnumModeHEL) << unknown;
  }
}

TEST_F(KorEnumWindowTest, StoredIndexesBeyondTheListsSelectTheFirstItems) {
  Store({-4, 5, 9});
  dialog_->FormShow(dialog_.get());
  EXPECT_EQ(dialog_->ListBox1->ItemIndex(), 0);
  EXPECT_EQ(dialog_->DDrawIndex, 0);
  // The first driver's devices fill the 3DDevice list, and its first device is selected.
  EXPECT_EQ(Items(dialog_->ListBox2), (std::vector<std::string>{"A soft", "A card"}));
  EXPECT_EQ(dialog_->ListBox2->ItemIndex(), 0);
  EXPECT_EQ(dialog_->D3DIndex, 0);
}

TEST_F(KorEnumWindowTest, StoredIndexesInsideTheListsAreRestored) {
  Store({-4, 1, 0});
  dialog_->FormShow(dialog_.get());
  EXPECT_EQ(dialog_->DDrawIndex, 1);
  EXPECT_EQ(Items(dialog_->ListBox2), (std::vector<std::string>{"B soft"}));
  EXPECT_EQ(dialog_->D3DIndex, 0);
}

TEST_F(KorEnumWindowTest, NegativeStoredIndexesLeaveBothListsWithoutSelection) {
  Store({-4, -1, -1});
  dialog_->D3DIndex = 3;  // the restore must overwrite both fields
  dialog_->FormShow(dialog_.get());
  EXPECT_EQ(dialog_->ListBox1->ItemIndex(), -1);
  EXPECT_EQ(dialog_->DDrawIndex, -1);
  EXPECT_EQ(dialog_->ListBox2->Items()->Count(), 0);
  EXPECT_EQ(dialog_->D3DIndex, -1);
}

TEST_F(KorEnumWindowTest, ClickingADeviceDecidesHardware3DOnlyWithADriverSelected) {
  dialog_->RadioButton3->Click();
  dialog_->ListBox1->ClickItem(0);
  dialog_->ListBox2->ClickItem(1);  // "A card"
  EXPECT_TRUE(Hardware3D);
  EXPECT_EQ(dialog_->D3DIndex, 1);
  dialog_->ListBox2->ClickItem(0);  // "A soft"
  EXPECT_FALSE(Hardware3D);

  // With no device selected, Hardware3D keeps its value.
  Hardware3D = true;
  dialog_->ListBox1->ClickItem(1);  // refills the device list, which loses its selection
  EXPECT_EQ(dialog_->ListBox2->ItemIndex(), -1);
  dialog_->ListBox2Click(dialog_->ListBox2);
  EXPECT_EQ(dialog_->D3DIndex, -1);
  EXPECT_TRUE(Hardware3D);
}

TEST_F(KorEnumWindowTest, TheUserCanOnlyPickFromTheListsInCustomMode) {
  dialog_->FormShow(dialog_.get());
  dialog_->ListBox1->ClickItem(1);  // disabled: nothing happens
  EXPECT_EQ(dialog_->ListBox1->ItemIndex(), -1);
  dialog_->RadioButton3->Click();
  EXPECT_EQ(dialog_->EnumMode, -4);
  dialog_->ListBox1->ClickItem(1);
  EXPECT_EQ(dialog_->DDrawIndex, 1);
  dialog_->RadioButton2->Click();
  EXPECT_EQ(dialog_->EnumMode, -1);
  EXPECT_FALSE(dialog_->ListBox1->Enabled());
  EXPECT_FALSE(dialog_->RadioButton3->Checked());
}

// SelectDevices with real display components on a form of the emulated desktop.
class SelectDevicesTest : public KorvelGTest {
 protected:
  void SetUp() override {
    KorvelGTest::SetUp();
    backend_ = &UseHeadlessBackend();
    backend_->AnswerMessageBoxesWith([](const HeadlessBackend::MessageBoxCall&) { return IDOK; });
    D3DDeviceChoice = -3;
    MakeComponents();
  }
  void TearDown() override {
    DestroyDialogs();
    delete form_;
    form_ = new TWinControl(nullptr);  // for the base class's tear-down
    EXPECT_FALSE(Direct3D2);
    KorvelGTest::TearDown();
    DriverList.reset();
  }

  // The dialogs SelectDevices left with the application.
  static std::vector<TKorEnumWindow*> Dialogs() {
    std::vector<TKorEnumWindow*> dialogs;
    for (TForm* form : Application->Forms())
      if (auto* dialog = dynamic_cast<TKorEnumWindow*>(form)) dialogs.push_back(dialog);
    return dialogs;
  }
  static void DestroyDialogs() {
    for (TKorEnumWindow* dialog : Dialogs()) delete dialog;
  }

  // Scripts the next dialog: Check looks at it as shown, Act does what the user does.
  void AnswerDialog(std::function<void(TKorEnumWindow&)> Check,
                    std::function<void(TKorEnumWindow&)> Act) {
    backend_->AnswerModal([Check, Act](TForm& form) {
      auto& dialog = dynamic_cast<TKorEnumWindow&>(form);
      if (Check) Check(dialog);
      Act(dialog);
    });
  }
  static void PressStart(TKorEnumWindow& Dialog) { Dialog.Button1->Click(); }

  void MakeComponents() {
    master_ = Panel(8, 64, 185, 41);
    view_ = new TKorvelRM(form_);
    view_->SetParent(form_);
    view_->SetBounds(8, 32, 512, 386);
  }

  // Gives back what a selection set up and makes the components again, as a new run of the
  // program would: the master's release ends the display component list.
  void Release() {
    view_->RmRelease();
    master_->DDrelease();
    delete view_;
    delete master_;
    MakeComponents();
  }

  TempConfigHome config_;
  HeadlessBackend* backend_ = nullptr;
  TKorvelG* master_ = nullptr;
  TKorvelRM* view_ = nullptr;
};

TEST_F(SelectDevicesTest, AFirstRunShowsHelAndStoresMinusOnesAndOpensThePrimaryDriver) {
  bool shown = false;
  AnswerDialog(
      [&shown](TKorEnumWindow& dialog) {
        shown = true;
        EXPECT_TRUE(dialog.RadioButton2->Checked());
        EXPECT_EQ(dialog.RadioButton2->Caption(), "PRIORITY_HEL");
        EXPECT_FALSE(dialog.ListBox1->Enabled());
        EXPECT_FALSE(dialog.ListBox2->Enabled());
        // The DrawDevice list shows the names of the drivers DDEnum found.
        ASSERT_EQ(dialog.ListBox1->Items()->Count(), 1);
        EXPECT_EQ(dialog.ListBox1->Items()->Strings(0), "display");
      },
      PressStart);
  SelectDevices(-4);
  EXPECT_TRUE(shown);
  EXPECT_EQ(ReadStored(), (Stored{-1, -1, -1}));
  EXPECT_EQ(DrawDriverIndex, -1);
  EXPECT_EQ(D3DDeviceChoice, -1);
  EXPECT_EQ(UsedDriverIndex, -1);
  // Every display component and the view are set up.
  EXPECT_TRUE(::DirectDraw);
  EXPECT_EQ(MasterIndex, master_->ComponentIndex());
  EXPECT_TRUE(view_->Surface);
  EXPECT_TRUE(view_->D3DDevice);
  EXPECT_TRUE(backend_->MessageBoxes().empty());
  // The dialog is kept, hidden, and its key is closed.
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_FALSE(Dialogs()[0]->Visible());
  EXPECT_FALSE(Dialogs()[0]->RegIni);
  EXPECT_EQ(Dialogs()[0]->Owner(), static_cast<TComponent*>(Application));
  Release();
}

TEST_F(SelectDevicesTest, CustomPressedThroughUsesTheStartingIndexesButStoresNoSelection) {
  AnswerDialog(nullptr, [](TKorEnumWindow& dialog) {
    dialog.RadioButton3->Click();
    PressStart(dialog);
  });
  SelectDevices(-4);
  EXPECT_EQ(ReadStored(), (Stored{-4, -1, -1}));
  EXPECT_EQ(DrawDriverIndex, 0);
  EXPECT_EQ(D3DDeviceChoice, 0);
  EXPECT_EQ(UsedDriverIndex, 0);
  EXPECT_TRUE(view_->D3DDevice);
  Release();

  // The next run restores no selection, so Start opens the primary driver with choice -1.
  AnswerDialog(
      [](TKorEnumWindow& dialog) {
        EXPECT_TRUE(dialog.RadioButton3->Checked());
        EXPECT_TRUE(dialog.ListBox1->Enabled());
        EXPECT_EQ(dialog.ListBox1->ItemIndex(), -1);
        EXPECT_EQ(dialog.ListBox2->ItemIndex(), -1);
        EXPECT_EQ(dialog.DDrawIndex, -1);
        EXPECT_EQ(dialog.D3DIndex, -1);
      },
      PressStart);
  SelectDevices(-4);
  EXPECT_EQ(ReadStored(), (Stored{-4, -1, -1}));
  EXPECT_EQ(DrawDriverIndex, -1);
  EXPECT_EQ(D3DDeviceChoice, -1);
  EXPECT_EQ(UsedDriverIndex, -1);
  EXPECT_TRUE(view_->D3DDevice);
  EXPECT_EQ(Dialogs().size(), 2u);  // each selection makes its own dialog
  Release();
}

TEST_F(SelectDevicesTest, CustomWithAListedDeviceTakesThatDriverAndDevice) {
  AnswerDialog(nullptr, [](TKorEnumWindow& dialog) {
    dialog.RadioButton3->Click();
    dialog.ListBox1->ClickItem(0);
    ASSERT_GT(dialog.ListBox2->Items()->Count(), 0);
    dialog.ListBox2->ClickItem(0);
    PressStart(dialog);
  });
  SelectDevices(-4);
  EXPECT_EQ(ReadStored(), (Stored{-4, 0, 0}));
  EXPECT_EQ(D3DDeviceChoice, 0);
  EXPECT_EQ(D3DDeviceIndex, 0);
  EXPECT_FALSE(Hardware3D);  // the emulated machine's devices are software devices
  EXPECT_TRUE(backend_->MessageBoxes().empty());
  Release();
}

TEST_F(SelectDevicesTest, ExitEndsTheApplicationWithoutWritingOrSettingUp) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  bool closed = false;
  main->OnClose = [&closed](TObject*, TCloseAction&) { closed = true; };
  AnswerDialog(nullptr, [](TKorEnumWindow& dialog) { dialog.Button2->Click(); });

  SelectDevices(-4);
  EXPECT_TRUE(closed);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_FALSE(config_.HoldsAnyFile());
  EXPECT_EQ(ReadStored(), (Stored{kAbsent, kAbsent, kAbsent}));
  // Nothing was set up after the dialog: the application is ending.
  EXPECT_FALSE(::DirectDraw);
  EXPECT_FALSE(view_->D3DDevice);
  EXPECT_FALSE(Direct3D2);
  delete main;
}

// The user closes the dialog's window: that is Exit, not a Start that saves nothing.
TEST_F(SelectDevicesTest, ClosingTheDialogIsExit) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  bool closed = false;
  main->OnClose = [&closed](TObject*, TCloseAction&) { closed = true; };
  AnswerDialog(nullptr, [](TKorEnumWindow& dialog) { dialog.Close(); });

  SelectDevices(-4);
  EXPECT_TRUE(closed);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_FALSE(config_.HoldsAnyFile());
  EXPECT_FALSE(::DirectDraw);
  EXPECT_FALSE(view_->D3DDevice);
  delete main;
}

// A settings folder that cannot be written: one warning says so, and the choice is used.
TEST_F(SelectDevicesTest, AChoiceThatCannotBeSavedIsSaidOnceAndUsed) {
  const std::filesystem::path blocker = config_.Folder() / "a_file";
  std::ofstream(blocker) << "not a folder\n";
  setenv("XDG_CONFIG_HOME", (blocker / "config").c_str(), 1);  // TempConfigHome restores it
  backend_->AnswerMessageBox(IDOK);
  AnswerDialog(nullptr, [](TKorEnumWindow& dialog) {
    dialog.RadioButton3Click(&dialog);  // Custom, the first driver's first device
    PressStart(dialog);
  });

  SelectDevices(-4);
  EXPECT_FALSE(Application->Terminated());
  ASSERT_EQ(backend_->MessageBoxes().size(), 1u);
  const auto& box = backend_->MessageBoxes()[0];
  EXPECT_EQ(box.Caption, "Warning");
  EXPECT_NE(box.Text.find("could not be saved"), std::string::npos) << box.Text;
  EXPECT_NE(box.Text.find((blocker / "config").string()), std::string::npos) << box.Text;
  EXPECT_FALSE(Dialogs().front()->Visible()) << "the dialog closed";
  // The choice took effect: the displays and the view are set up.
  EXPECT_TRUE(::DirectDraw);
  EXPECT_TRUE(view_->D3DDevice);
  Release();
}

TEST_F(SelectDevicesTest, OtherModesSkipTheDialog) {
  struct Case {
    int mode;
    int drawDriver;
  };
  for (const Case c : {Case{-1, -1}, Case{-2, -2}, Case{-3, -2}}) {
    SCOPED_TRACE(c.mode);
    SelectDevices(c.mode);  // a dialog would throw: no modal answer is scripted
    EXPECT_EQ(DrawDriverIndex, c.drawDriver);
    EXPECT_EQ(D3DDeviceChoice, c.mode);
    EXPECT_TRUE(view_->D3DDevice);
    Release();
  }
  EXPECT_TRUE(Dialogs().empty());
  EXPECT_FALSE(config_.HoldsAnyFile());
}

TEST_F(SelectDevicesTest, WithoutAViewThereIsNothingToSelectFor) {
  delete view_;
  view_ = nullptr;
  EXPECT_THROW(SelectDevices(-1), EListError);
  EXPECT_FALSE(::DirectDraw);
}

}  // namespace
