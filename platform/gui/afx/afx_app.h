// The application object: one CWinApp-derived instance per program, whose
// InitInstance runs the program (for dialog programs, the modal main dialog).
#pragma once

#include <string>

#include "platform/gui/afx/afx_wnd.h"

namespace vexaro::gui {

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // False: leave at once (no application message loop), as dialog programs do.
  virtual BOOL InitInstance() { return TRUE; }
  // The application message loop, until the quit message; returns its code.
  virtual int Run();
  virtual int ExitInstance() { return m_exitCode; }
  void SetRegistryKey(const std::string& key) { m_registryKey = key; }

  CWnd* m_pMainWnd = nullptr;
  std::string m_lpCmdLine;  // the arguments after the program name, joined by blanks
  std::string m_registryKey;

 protected:
  int m_exitCode = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// The program's entry: sets the command line, calls InitInstance, runs the
// message loop when it returned true, then ExitInstance. Returns the exit code.
int AfxWinMain(int argc, char** argv);

struct INITCOMMONCONTROLSEX {
  DWORD dwSize = 8;
  DWORD dwICC = 0;
};
// The standard controls are part of the framework and always ready.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc);

}  // namespace vexaro::gui
