#include "app/vexaro_app.h"

#include "app/main_window.h"
#include "settings/ui_settings.h"
#include "ui/caption_font.h"

namespace vexaro::app {

using namespace gui;

namespace {

// All standard control classes.
constexpr DWORD kAllControlClasses = 0xFF;

}  // namespace

bool IsDebugCommandLine(std::string_view commandLine) {
  if (commandLine.empty()) return false;
  CString text{commandLine};
  text.MakeLower();
  return text == "-debug";
}

BOOL CVexaroApp::InitInstance() {
  INITCOMMONCONTROLSEX controls;
  controls.dwICC = kAllControlClasses;
  InitCommonControlsEx(&controls);
  CWinApp::InitInstance();
  SetRegistryKey(kSettingsKeyName);
  // The skinned buttons take their caption font from strings.xml.
  ui::SetCaptionFontSource(&settings::ApplyCaptionFontSettings);
  m_debug = IsDebugCommandLine(m_lpCmdLine);
  {
    CVexaroDlg dialog;
    dialog.SetDebugMode(m_debug);
    if (m_autoUpdate) dialog.EnableAutoUpdate();
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    if (m_autoUpdate) m_exitCode = dialog.AutoUpdateSucceeded() ? 0 : 1;
  }
  return FALSE;
}

}  // namespace vexaro::app
