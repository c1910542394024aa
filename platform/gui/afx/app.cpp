// The application object and the program entry.
#include "platform/gui/afx/afx_app.h"
#include "platform/gui/afx/afx_dialog.h"

namespace vexaro::gui {
namespace {

// The one application object the program defines.
CWinApp* g_app = nullptr;

}  // namespace

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

int CWinApp::Run() {
  MSG msg;
  while (GetMessage(&msg)) {
    HWND main = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    if (!WalkPreTranslateTree(main, &msg)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }
  m_exitCode = static_cast<int>(msg.wParam);
  return ExitInstance();
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

int AfxWinMain(int argc, char** argv) {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  app->m_lpCmdLine.clear();
  for (int i = 1; i < argc; ++i) {
    if (i > 1) app->m_lpCmdLine += ' ';
    app->m_lpCmdLine += argv[i];
  }
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc) { return icc ? TRUE : FALSE; }

}  // namespace vexaro::gui
