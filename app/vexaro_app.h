// The application object: prepares the framework, reads the "-debug" option
// and runs the main window modally; the process ends when the window does.
#pragma once

#include <string_view>

#include "platform/gui/afx/afx_app.h"

namespace vexaro::app {

// The settings key name kept for the application; nothing is read or
// written under it.
inline constexpr const char* kSettingsKeyName = "Local AppWizard-Generated Applications";

// True when the whole command-line text is "-debug" in any letter case.
bool IsDebugCommandLine(std::string_view commandLine);

class CVexaroApp : public gui::CWinApp {
 public:
  // Runs the main window; false always, so that no application loop follows.
  gui::BOOL InitInstance() override;
  // What start-up decided, for tests.
  bool DebugFlag() const { return m_debug; }
  // The unattended demo run: the exit code then tells whether the update
  // succeeded (0) or not (1).
  void SetAutoUpdate(bool on) { m_autoUpdate = on; }

 private:
  bool m_debug = false;
  bool m_autoUpdate = false;
};

}  // namespace vexaro::app
