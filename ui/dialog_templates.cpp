// The conventional layout of the main window is kept whole although the skin
// hides it: the program still writes its texts into these controls and uses
// the enabled state and focus of the OK and Program buttons.
#include "ui/dialog_templates.h"

#include <mutex>

#include "ui/resource_ids.h"

namespace vexaro::ui {

using namespace gui;

DialogTemplate MainWindowTemplate() {
  DialogTemplate t;
  t.style = WS_POPUP | WS_VISIBLE | WS_SYSMENU | DS_SETFONT;
  t.exStyle = WS_EX_APPWINDOW;
  t.cx = 315;
  t.cy = 198;
  t.fontFace = "MS Shell Dlg";
  t.pointSize = 8;
  t.items = {
      EditText(kIdcProductName, 72, 25, 144, 12),
      LText("Static", kIdcCompanyName, 72, 9, 182, 8),
      PushButton("Program", kIdcProgram, 233, 157, 43, 17, WS_DISABLED),
      LText("Not Connected", kIdcConnection, 48, 154, 106, 8),
      LText("Status: ", kIdcStatusLabel, 20, 154, 26, 8),
      LText("Result: ", kIdcResultLabel, 20, 164, 26, 8),
      LText("NA", kIdcStatus, 48, 164, 136, 8),
      PushButton("OK", kIdcOk, 233, 135, 43, 17),
      LText("Firmware Update Version:", kIdcUpdateVersionLabel, 16, 52, 101, 8),
      LText("Not Read", kIdcUpdateVersion, 120, 52, 88, 8),
      LText("Firmware Current  Version:", kIdcCurrentVersionLabel, 16, 64, 122, 8),
      LText("Not Read", kIdcCurrentVersion, 120, 64, 88, 8),
      Progress(kIdcProgress, 15, 137, 206, 14),
      GroupBox("Info", kIdcInfoGroup, 10, 40, 280, 40),
      GroupBox("Update", kIdcUpdateGroup, 10, 84, 280, 81),
      LText("The firmware update may take up to 1-2 minutes.", kIdcNote1, 19, 94, 196, 8),
      LText("Please don't shut down PC or remove the keyboard cable during firmware updae.", kIdcNote2, 19,
            103, 189, 17),
      LText("Press OK to update firmware now.", kIdcNote3, 19, 121, 171, 8),
      LText("CompanyName:", kIdcCompanyLabel, 14, 9, 53, 8),
      LText("ProductName:", kIdcProductLabel, 16, 24, 47, 8),
  };
  return t;
}

DialogTemplate ResultDialogTemplate() {
  DialogTemplate t;
  t.style = 0x80080048;  // WS_POPUP | WS_SYSMENU | DS_SETFONT | DS_FIXEDSYS
  t.cx = 167;
  t.cy = 87;
  t.fontFace = "MS Shell Dlg";
  t.pointSize = 9;
  t.items = {
      DefPushButton("OK", IDOK, 52, 48, 50, 14),
      LText("Static", kIdcResultText, 24, 21, 116, 20),
  };
  return t;
}

void RegisterDialogTemplates() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterDialogTemplate(kIddMainWindow, MainWindowTemplate());
    RegisterDialogTemplate(kIddResult, ResultDialogTemplate());
  });
}

}  // namespace vexaro::ui
