#include "app/program_request.h"

#include <cstdio>

#include "platform/gui/window.h"
#include "platform/sys/sys.h"
#include "program_version.h"

namespace vexaro::app {

ProgramRequest ReadProgramRequest(const std::vector<std::string>& arguments) {
  ProgramRequest request = ProgramRequest::kRun;
  for (const std::string& a : arguments) {
    if (a == "--help" || a == "-h" || sys::IsPlatformHelpArgument(a)) return ProgramRequest::kHelp;
    if (a == "--version") request = ProgramRequest::kVersion;
  }
  return request;
}

std::string ProgramName(std::string_view argv0) {
  const std::size_t slash = argv0.find_last_of("/\\");
  if (slash != std::string_view::npos) argv0.remove_prefix(slash + 1);
  constexpr std::string_view kExe = ".exe";
  if (argv0.size() > kExe.size() && argv0.substr(argv0.size() - kExe.size()) == kExe) {
    argv0.remove_suffix(kExe.size());
  }
  return argv0.empty() ? std::string("vexaro-updater") : std::string(argv0);
}

std::string ProgramUsage(const std::string& name) {
  return "usage: " + name + " [-debug] [--sim] [--auto-update]\n"
         "       " + name + " --help | --version\n"
         "Installs the keyboard firmware package appended to this program file, in a window.\n"
         "  -debug         install whatever version the keyboard carries (a different layout\n"
         "                 is still refused); only as the whole command line besides the\n"
         "                 options below, in any letter case\n"
         "  --sim          use the simulated keyboard instead of the system's HID devices\n"
         "                 (also VEXARO_SIM=1); a demo package is installed only there\n"
         "  --auto-update  press the update button by itself and end after the result\n"
         "                 (exit status 0 installed, 1 otherwise)\n"
         "  --help, -h     show this text (also /? on Windows)\n"
         "  --version      show the program's name and version\n"
         "A program that carries no package shows \"Image format invalid!\" and ends.\n"
         "vexaro-flash installs the same package from a terminal.\n";
}

std::string ProgramVersionText(const std::string& name) { return name + " " + VEXARO_PROGRAM_VERSION + "\n"; }

void ShowProgramText(const std::string& text, const std::string& caption) {
  if (sys::AttachParentConsole()) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    return;
  }
  gui::MessageBox(nullptr, text, caption, gui::MB_OK);
}

}  // namespace vexaro::app
