#include "tools/vexaro-flash/flash_options.h"

namespace vexaro::flash {

bool ParseFlashOptions(const std::vector<std::string>& arguments, FlashOptions& options, std::string& error) {
  for (const std::string& a : arguments) {
    if (a == "--json") options.json = true;
    else if (a == "--list") options.list = true;
    else if (a == "--sim") options.simulated = true;
    else if (a == "--allow-any-version") options.allowAnyVersion = true;
    else if (a == "--help" || a == "-h") options.help = true;
    else if (!a.empty() && a[0] == '-') {
      error = "unknown option \"" + a + "\" (see --help)";
      return false;
    } else if (options.packageFile.empty()) {
      options.packageFile = a;
    } else {
      error = "more than one package file (\"" + options.packageFile + "\" and \"" + a + "\")";
      return false;
    }
  }
  return true;
}

const char* FlashManual() {
  return R"(NAME
    vexaro-flash - install the keyboard firmware package from a terminal

SYNOPSIS
    vexaro-flash [--sim] [--json] [--allow-any-version] [FILE]
    vexaro-flash [--sim] [--json] --list [FILE]
    vexaro-flash --help

DESCRIPTION
    Installs the firmware package appended to FILE on the keyboard, exactly
    as the Vexaro updater window does: it finds the keyboard in application
    or loader mode, checks the layout and the version, restarts the keyboard
    into its loader, erases, programs and verifies the images, writes the
    version record, starts the new firmware and reads its version back.
    FILE is an updater program carrying its package, or a bare package as
    vexaro-pack writes it; without FILE, vexaro-flash installs the package
    appended to its own program file.

    Stage texts go to standard output. On a terminal a progress bar follows
    the work; when standard output is a file or a pipe, progress is written
    as plain lines instead.

    FILE must be a regular file: a folder, a FIFO or a device is refused at
    once, without reading from it. A FILE that cannot be read ends with exit
    status 6 and a damaged package with 4, each with a line naming the file
    and the reason.

    Texts taken from the package, the keyboard or the file name are shown
    with their control characters (C0, DEL, C1, and so the ESC that starts a
    terminal sequence) as '?': they cannot move the cursor, clear the screen
    or rewrite a line. In --json output every text is valid UTF-8, converted
    from the system code page; bytes that form no character there become
    U+FFFD, and control characters are escaped as \u00XX.

OPTIONS
    --list
        Show the keyboards of the package's kind found in application mode
        and in loader mode, each with the firmware version it carries, and
        install nothing. The package (FILE, or the one appended to this
        program) names the keyboards' identities; without either, --list
        ends with exit status 5.
    --json
        One JSON object per line and event, for scripts:
          {"event":"package","product":...,"version":...,"title":...,"company":...}
          {"event":"note","text":...}           a remark (e.g. no digest)
          {"event":"stage","text":...}          a stage text
          {"event":"progress","position":N}     the bar's position (0..105)
          {"event":"connection","text":...}     the connection text
          {"event":"version","text":...}        the keyboard's version text
          {"event":"message","text":...,"caption":...}
          {"event":"keyboard","mode":...,"vendor":...,"product":...,"version":...}
          {"event":"result","success":B,"exit":N,"text":...}   always last
    --sim
        Use the simulated keyboard instead of the system's HID devices (the
        demo keyboard, see VEXARO_SIM_* below).
    --allow-any-version
        Install whatever version the keyboard carries (the window's -debug
        option). A different keyboard layout is still refused, unless the
        keyboard's version names no layout: none could be read back, or its
        second character is no digit.
    --help, -h
        Show this page.

EXIT STATUS
    0   the firmware was installed and the keyboard runs it
    1   the update failed (the failing stage is named)
    2   refused: the keyboard's layout differs from the package's, or it
        carries a newer version than the package (see --allow-any-version)
    3   no keyboard found in either mode, or its loader could not be reached
    4   FILE holds no valid firmware package, or a damaged one ("Image
        format invalid!")
    5   wrong command line
    6   FILE cannot be read: not found, a folder, permission denied, or not
        a regular file ("Cannot read the package file!")
    7   the keyboard is there but cannot be opened: this user may not open
        its HID node (install the udev rule, see the message), or another
        program holds it
    8   another updater (vexaro-flash or the window) is using the keyboard;
        nothing was sent to it
    130 stopped by Ctrl-C, SIGTERM or SIGHUP. During an update the first
        request lets the running transfer finish and ends the update at the
        next stage boundary, as a failure (the keyboard stays in update mode
        once its firmware was erased; before that it runs its old firmware
        again); a second request ends the program at once. Outside an
        update the program ends after its closing steps. The result event
        is still the last --json event.

ENVIRONMENT
    VEXARO_SIM=1                the same as --sim
    VEXARO_SIM_STATE, VEXARO_SIM_FAULTS, VEXARO_SIM_LOADER, VEXARO_SIM_TIMING
                                settings of the simulated keyboard
    VEXARO_CLOCK_SCALE          runs the program clock faster (tests)

EXAMPLES
    vexaro-flash --sim /usr/bin/vexaro-updater-demo
    vexaro-flash --json firmware.bin > log.jsonl; echo $?
)";
}

}  // namespace vexaro::flash
