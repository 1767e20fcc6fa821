// The unit KorEnumWin: TKorEnumWindow, the modal dialog in which the user picks the DirectDraw
// driver and the Direct3D device, and which remembers the choice.
//
// The dialog offers "PRIORITY_HEL" (the primary display driver and its first software device)
// and "Custom" (a driver from the DrawDevice list and a device from the 3DDevice list). Two
// more modes, "PRIORITY_HAL" and "AutoSelect", have invisible buttons and are reached only
// through a stored mode. The choice is kept under the registry key "Software\Korvel_Soft",
// section "KorvelG", in three integers:
//   "Enum_Checkbox"  selection mode (-1 HEL, -2 HAL, -3 AutoSelect, -4 Custom), default -1
//   "DDraw_Device"   item index of the DrawDevice list, -1 for none, default 0
//   "D3D_Device"     item index of the 3DDevice list, -1 for none, default 0
//
// SelectDevices (components/KorvelRM.h) makes the dialog, fills the DrawDevice list with the
// names of the drivers DDEnum found and shows it modally; FormShow restores the stored choice;
// Start stores the choice and closes the dialog; Exit closes the application's main form and
// stores nothing. The dialog then stays, hidden, until the application ends.
//
// Where the stored behaviour would get in a user's way, the dialog does what a user expects:
// a stored mode it does not know is read as a first run ("PRIORITY_HEL"); a choice that
// cannot be saved (a settings folder that cannot be written) is said once in a warning box
// and then used all the same; closing the dialog's window is Exit, not a Start that saves
// nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/Button.h"
#include "framework/Form.h"
#include "framework/GroupBox.h"
#include "framework/Label.h"
#include "framework/ListBox.h"
#include "framework/RadioButton.h"
#include "framework/RegIniFile.h"

// The registry key, section and values of the stored choice.
inline constexpr const char* KorvelRegistryKey = "Software\\Korvel_Soft";
inline constexpr const char* KorvelRegistrySection = "KorvelG";

// Selection modes, shared by SelectDevices, EnumMode and "Enum_Checkbox".
inline constexpr int32_t EnumModeHEL = -1;
inline constexpr int32_t EnumModeHAL = -2;
inline constexpr int32_t EnumModeAutoSelect = -3;
inline constexpr int32_t EnumModeCustom = -4;

class TKorEnumWindow : public TForm {
 public:
  // The dialog as stored: "KorEnumWindow" at (200, 107), its controls at their places, both
  // lists disabled, "PRIORITY_HAL" checked (and invisible).
  explicit TKorEnumWindow(TComponent* Owner);

  // Controls.
  TButton* Button1;  // "Start"
  TGroupBox* GroupBox1;
  TRadioButton* RadioButton1;  // "PRIORITY_HAL", invisible
  TRadioButton* RadioButton2;  // "PRIORITY_HEL"
  TRadioButton* RadioButton3;  // "Custom"
  TListBox* ListBox1;          // DrawDevice: driver names
  TListBox* ListBox2;          // 3DDevice: device descriptions of the selected driver
  TLabel* Label1;
  TLabel* Label2;
  TRadioButton* RadioButton4;  // "AutoSelect", invisible
  TButton* Button2;            // "Exit"

  // Handlers, as wired to the controls.
  void RadioButton3Click(TObject* Sender);
  void RadioButton1Click(TObject* Sender);
  void RadioButton2Click(TObject* Sender);
  void RadioButton4Click(TObject* Sender);
  // Opens RegIni and restores the stored mode (and, for Custom, the stored list selections);
  // an unknown stored mode is a first run's.
  void FormShow(TObject* Sender);
  // DDrawIndex := the selected driver; the 3DDevice list is refilled with its devices.
  void ListBox1Click(TObject* Sender);
  // D3DIndex := the selected device; with a driver and a device selected, Hardware3D says
  // whether that device is a hardware device.
  void ListBox2Click(TObject* Sender);
  // Exit: closes the application's main form, which ends the application. Stores nothing.
  void Button2Click(TObject* Sender);
  // Start: stores mode and both list selections, frees RegIni, closes the dialog. When the
  // settings cannot be written, a warning box says so and the dialog closes all the same.
  void Button1Click(TObject* Sender);
  void FormCreate(TObject* Sender);
  // The dialog closes: unless Start closed it (or the program is already ending), this is
  // the user closing its window, which is Exit.
  void FormClose(TObject* Sender, TCloseAction& Action);

  // Fields.
  std::unique_ptr<TRegIniFile> RegIni;  // open from FormShow until Start
  int32_t EnumMode = 0;                 // current selection mode
  int32_t DDrawIndex = 0;               // DrawDevice list index at its last click (-1 none)
  int32_t D3DIndex = 0;                 // 3DDevice list index at its last click (-1 none)

 private:
  bool started_ = false;  // Start closed the dialog
  void MakeControls();
  void WireHandlers();
  // Checks Button, enables or disables both lists and sets the mode.
  void ChooseMode(TRadioButton* Button, bool ListsEnabled, int32_t Mode);
  // The stored index if List has that many items (a negative one selects nothing), else 0.
  void RestoreSelection(TListBox* List, const char* ValueName);
};
