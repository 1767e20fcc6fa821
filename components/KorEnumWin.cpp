#include "components/KorEnumWin.h"

#include "components/KorvelG.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Exceptions.h"

namespace {

constexpr const char* kModeValue = "Enum_Checkbox";
constexpr const char* kDriverValue = "DDraw_Device";
constexpr const char* kDeviceValue = "D3D_Device";

template <class T>
T* Place(TWinControl* Parent, TComponent* Owner, int Left, int Top, int Width, int Height) {
  T* control = new T(Owner);
  control->SetParent(Parent);
  control->SetBounds(Left, Top, Width, Height);
  return control;
}

}  // namespace

TKorEnumWindow::TKorEnumWindow(TComponent* Owner) : TForm(Owner) {
  SetCaption("KorEnumWindow");
  SetPosition(poDesigned);
  SetBounds(200, 107, 522, 335);
  MakeControls();
  WireHandlers();
}

void TKorEnumWindow::MakeControls() {
  Button1 = Place<TButton>(this, this, 8, 272, 75, 25);
  Button1->SetCaption("Start");
  GroupBox1 = Place<TGroupBox>(this, this, 8, 8, 497, 257);
  GroupBox1->SetCaption("GroupBox1");
  RadioButton1 = Place<TRadioButton>(GroupBox1, this, 16, 16, 113, 17);
  RadioButton1->SetCaption("PRIORITY_HAL");
  RadioButton1->SetChecked(true);
  RadioButton1->SetVisible(false);
  RadioButton2 = Place<TRadioButton>(GroupBox1, this, 16, 40, 113, 17);
  RadioButton2->SetCaption("PRIORITY_HEL");
  RadioButton3 = Place<TRadioButton>(GroupBox1, this, 16, 64, 113, 17);
  RadioButton3->SetCaption("Custom");
  ListBox1 = Place<TListBox>(GroupBox1, this, 16, 104, 225, 97);
  ListBox1->SetEnabled(false);
  ListBox2 = Place<TListBox>(GroupBox1, this, 248, 104, 241, 97);
  ListBox2->SetEnabled(false);
  // Labels keep their own width and height; only their places are stored.
  Label1 = Place<TLabel>(GroupBox1, this, 16, 88, 65, 13);
  Label1->SetCaption("DrawDevice");
  Label2 = Place<TLabel>(GroupBox1, this, 248, 88, 65, 13);
  Label2->SetCaption("3DDevice");
  RadioButton4 = Place<TRadioButton>(GroupBox1, this, 16, 208, 113, 17);
  RadioButton4->SetCaption("AutoSelect");
  RadioButton4->SetVisible(false);
  Button2 = Place<TButton>(this, this, 88, 272, 75, 25);
  Button2->SetCaption("Exit");
}

void TKorEnumWindow::WireHandlers() {
  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
  OnShow = [this](TObject* Sender) { FormShow(Sender); };
  OnClose = [this](TObject* Sender, TCloseAction& Action) { FormClose(Sender, Action); };
  RadioButton1->OnClick = [this](TObject* Sender) { RadioButton1Click(Sender); };
  RadioButton2->OnClick = [this](TObject* Sender) { RadioButton2Click(Sender); };
  RadioButton3->OnClick = [this](TObject* Sender) { RadioButton3Click(Sender); };
  RadioButton4->OnClick = [this](TObject* Sender) { RadioButton4Click(Sender); };
  ListBox1->OnClick = [this](TObject* Sender) { ListBox1Click(Sender); };
  ListBox2->OnClick = [this](TObject* Sender) { ListBox2Click(Sender); };
  Button1->OnClick = [this](TObject* Sender) { Button1Click(Sender); };
  Button2->OnClick = [this](TObject* Sender) { Button2Click(Sender); };
}

void TKorEnumWindow::FormCreate(TObject* /*Sender*/) {}

void TKorEnumWindow::ChooseMode(TRadioButton* Button, bool ListsEnabled, int32_t Mode) {
  Button->SetChecked(true);
  ListBox1->SetEnabled(ListsEnabled);
  ListBox2->SetEnabled(ListsEnabled);
  EnumMode = Mode;
}

void TKorEnumWindow::RadioButton1Click(TObject* /*Sender*/) {
  ChooseMode(RadioButton1, false, EnumModeHAL);
}

void TKorEnumWindow::RadioButton2Click(TObject* /*Sender*/) {
  ChooseMode(RadioButton2, false, EnumModeHEL);
}

void TKorEnumWindow::RadioButton3Click(TObject* /*Sender*/) {
  ChooseMode(RadioButton3, true, EnumModeCustom);
}

void TKorEnumWindow::RadioButton4Click(TObject* /*Sender*/) {
  ChooseMode(RadioButton4, false, EnumModeAutoSelect);
}

void TKorEnumWindow::FormShow(TObject* Sender) {
  started_ = false;
  RegIni = std::make_unique<TRegIniFile>(KorvelRegistryKey);
  EnumMode = RegIni->ReadInteger(KorvelRegistrySection, kModeValue, EnumModeHEL);
  // A mode this dialog does not know would check no button and be written back by Start,
  // for good: it is read as a first run.
  if (EnumMode < EnumModeCustom || EnumMode > EnumModeHEL) EnumMode = EnumModeHEL;
  switch (EnumMode) {
    case EnumModeHEL:
      RadioButton2Click(Sender);
      break;
    case EnumModeHAL:
      RadioButton1Click(Sender);
      break;
    case EnumModeAutoSelect:
      RadioButton4Click(Sender);
      break;
    case EnumModeCustom:
      RadioButton3Click(Sender);
      RestoreSelection(ListBox1, kDriverValue);
      ListBox1Click(Sender);
      RestoreSelection(ListBox2, kDeviceValue);
      ListBox2Click(Sender);
      break;
    default:
      break;
  }
}

void TKorEnumWindow::RestoreSelection(TListBox* List, const char* ValueName) {
  const int stored = RegIni->ReadInteger(KorvelRegistrySection, ValueName, 0);
  List->SetItemIndex(stored < List->Items()->Count() ? stored : 0);
}

void TKorEnumWindow::ListBox1Click(TObject* /*Sender*/) {
  DDrawIndex = ListBox1->ItemIndex();
  ListBox2->Items()->Clear();
  if (DDrawIndex < 0 || !DriverList) return;
  const TDrawDriverRec& driver = *DriverList->Items(DDrawIndex);
  for (const auto& device : driver.Devices) ListBox2->Items()->Add(device->Description);
}

void TKorEnumWindow::ListBox2Click(TObject* /*Sender*/) {
  D3DIndex = ListBox2->ItemIndex();
  const int driver = ListBox1->ItemIndex();
  if (driver < 0 || D3DIndex < 0 || !DriverList) return;
  const T3DDeviceRec& device = *DriverList->Items(driver)->Devices.Items(D3DIndex);
  Hardware3D = (device.HWDesc.dcmColorModel & 0xFF) != 0;
}

void TKorEnumWindow::Button1Click(TObject* /*Sender*/) {
  // Start is pressed on a shown dialog, whose FormShow opened the key.
  if (!RegIni) RegIni = std::make_unique<TRegIniFile>(KorvelRegistryKey);
  try {
    RegIni->WriteInteger(KorvelRegistrySection, kModeValue, EnumMode);
    RegIni->WriteInteger(KorvelRegistrySection, kDriverValue, ListBox1->ItemIndex());
    RegIni->WriteInteger(KorvelRegistrySection, kDeviceValue, ListBox2->ItemIndex());
  } catch (const EStreamError& error) {
    // The choice still takes effect for this run; the user hears once why it is not kept.
    Application->MessageBox(std::string("Your choice could not be saved for the next run; it is "
                                        "used for this run.\n\n") +
                                error.what(),
                            "Warning", MB_OK | MB_ICONWARNING);
  }
  RegIni.reset();
  started_ = true;
  Close();
}

void TKorEnumWindow::FormClose(TObject* Sender, TCloseAction& /*Action*/) {
  if (!started_ && !Application->Terminated()) Button2Click(Sender);
}

void TKorEnumWindow::Button2Click(TObject* /*Sender*/) {
  if (TForm* main = Application->MainForm(); main && main != this)
    main->Close();
  else
    Application->Terminate();
}
