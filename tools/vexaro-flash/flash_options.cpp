#include "tools/vexaro-flash/flash_options.h"

#include "platform/sys/sys.h"
#include "tools/vexaro-flash/flash_ports.h"

namespace vexaro::flash {

bool ParseFlashOptions(const std::vector<std::string>& given, FlashOptions& options, std::string& error) {
  std::vector<std::string> arguments;
  if (!TakeKeyboardChoice(given, options, arguments, error)) return false;
  for (const std::string& a : arguments) {
    if (a == "--json") options.json = true;
    else if (a == "--list") options.list = true;
    else if (a == "--sim") options.simulated = true;
    else if (a == "--allow-any-version") options.allowAnyVersion = true;
    else if (a == "--help" || a == "-h" || sys::IsPlatformHelpArgument(a)) options.help = true;
    else if (a == "--version") options.version = true;
    else if (a == "--yes" || a == "-y") options.yes = true;
    else if (a == "--reinstall") options.reinstall = true;
    else if (a == "--quiet" || a == "-q") options.quiet = true;
    else if (a == "--verbose" || a == "-v") options.verbose = true;
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
  if (options.quiet && options.verbose) {
    error = "--quiet and --verbose cannot be given together";
    return false;
  }
  return true;
}

const char* FlashManual() {
  return R"(NAME
    vexaro-flash - install the keyboard firmware package from a terminal

SYNOPSIS
    vexaro-flash [--sim] [--json] [-y] [-q|-v] [--allow-any-version] [--reinstall] [FILE]
    vexaro-flash [--sim] [--json] --list [FILE]
    vexaro-flash [--sim] [--json] [-y] [-q|-v] [--allow-any-version] [--reinstall]
                 --device PORT [--list] [FILE]
    vexaro-flash [--sim] [--json] [-y] [--allow-any-version] [--reinstall] --all [FILE]
    vexaro-flash --help | --version

DESCRIPTION
    Installs the firmware package appended to FILE on the keyboard, exactly
    as the Vexaro updater window does: it finds the keyboard in application
    or loader mode, checks the layout and the version, restarts the keyboard
    into its loader, erases, programs and verifies the images, writes the
    version record, starts the new firmware and reads its version back.
    FILE is an updater program carrying its package, or a bare package as
    vexaro-pack writes it; without FILE, vexaro-flash installs the package
    appended to its own program file.

    Before anything is written it shows the keyboard's version and the
    package's. When standard input is a terminal it asks "Update the
    keyboard from A to B? [y/N] ": anything but y or yes (also the end of
    input) ends with exit status 9 and nothing written. --yes, --json and a
    standard input that is no terminal (a script, a pipe) do not ask. A
    keyboard that already carries the package's version is left as it is
    (exit status 0, nothing written) unless --reinstall is given. Before
    the first write it says "Do not unplug the keyboard or close this
    program until the update has finished."

    Stage texts go to standard output. On a terminal a progress bar as wide
    as the terminal (its reported width, else COLUMNS, else 80 columns)
    follows the work; when standard output is a file or a pipe, progress is
    written as plain lines instead.

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
        and in loader mode, each with its port and the firmware version
        it carries, and install nothing. The package (FILE, or the one
        appended to this program) names the keyboards' identities; without
        either, --list ends with exit status 5.
    --json
        One JSON object per line and event, for scripts (S a string, N a
        number, B true or false). Every event and field written is listed
        here:
          {"event":"package","product":S,"version":S,"title":S,"company":S,"demo":B}
              the package: ProductName, UpdateVersion, WindowTitle,
              CompanyName, and whether it is a demo package, which only
              the simulated keyboard takes
          {"event":"note","text":S}
              a remark beside the work: no digest in the package, the
              keyboard's lock not taken, a stop request seen, the keyboard
              left in update mode, its new version not read back
          {"event":"connection","text":S}
              the connection text ("AP Connected", "IAP Connected", the
              loader's chip and kind, "Not Connected")
          {"event":"version","text":S}
              the version text the keyboard reports, when it is read
          {"event":"stage","text":S}
              a stage text of the update ("Programming internal....")
          {"event":"progress","position":N}
              the bar's position, 0 to 105 (past 100 when finished)
          {"event":"message","text":S,"caption":S}
              what the window shows in a message box (an image too large
              for the chip, an external image out of range)
          {"event":"keyboard","mode":S,"id":S,"detail":S,"version":S,"port":S}
              with --list, one per keyboard found: mode "application" or
              "loader", id "vvvv:pppp" (vendor and product, hexadecimal),
              detail the loader's chip and kind or why it cannot be
              opened (may be empty), version its firmware version (empty
              when unknown), port where it is plugged in (see --device)
          {"event":"result","success":B,"exit":N,"text":S}
              the last event of a run: the exit status and the result line
          {"event":"summary","keyboards":N,"updated":N,"exit":N,"text":S}
              with --all, the last event: how many keyboards were found and
              updated (or already carried the version), the exit status
        With --device, and so in the runs of --all, every event also
        carries "port":S, the keyboard's port.
        --json never asks for confirmation; -q and -v leave it unchanged.
    -y, --yes
        Do not ask before writing.
    --reinstall
        Install the package also when the keyboard already carries its
        version.
    -q, --quiet
        Only the result line, the question, and notes and messages that
        tell of trouble.
    -v, --verbose
        Also the package file and its digest, the keyboard's lock, the mode
        the keyboard was found in, the loader's information (kind, flash
        size, application start, version record) and the stage the update
        ended at.
    --device PORT
        Work on the keyboard plugged in at PORT only, as --list shows it
        (Linux: the USB port chain such as 1-2.3; Windows: the USB
        device's location path; --sim: 1, 2, ...). It is followed into its
        loader on that port, never to another keyboard's. Without --device
        an update needs exactly one keyboard of the package's kind: with
        several it sends nothing and ends with exit status 5.
    --all
        Update every keyboard of the package's kind at once, each by a
        vexaro-flash --device PORT --json of its own. On a terminal one
        line per keyboard shows its port, stage and progress; with --json
        the runs' events follow each other, each with its port, and a
        summary comes last. One keyboard's failure, removal or refusal does
        not stop the others. Exit status: 0 when every keyboard was
        updated, otherwise the worst of the runs in the order 1, 130, 7, 8,
        3, 2 (any other ending counts as 1).
    --sim
        Use the simulated keyboard instead of the system's HID devices (the
        demo keyboard, see VEXARO_SIM_* below).
    --allow-any-version
        Install whatever version the keyboard carries (the window's -debug
        option). A different keyboard layout is still refused, unless the
        keyboard's version names no layout: none could be read back, or its
        second character is no digit.
    --help, -h (and /? on Windows)
        Show this page.
    --version
        Show the program's name and version.

EXIT STATUS
    0   the firmware was installed and the keyboard runs it, or the keyboard
        already carried the package's version (nothing was written)
    1   the update failed (the failing stage is named)
    2   refused: the keyboard's layout differs from the package's, or it
        carries a newer version than the package (see --allow-any-version),
        or the package is a demo package and the keyboard is not the
        simulated one (nothing is sent to it)
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
    9   the update was not confirmed at the question; nothing was written
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
    VEXARO_SIM_KEYBOARDS=N      N simulated keyboards (1 to 16) at ports 1..N,
                                keyboard k's state in VEXARO_SIM_STATE.k
    VEXARO_SIM_FAULTS_<k>       faults of simulated keyboard k alone
    VEXARO_CLOCK_SCALE          runs the program clock faster (tests)

EXAMPLES
    vexaro-flash --sim /usr/bin/vexaro-updater-demo
    vexaro-flash --yes --quiet firmware.bin
    vexaro-flash --json firmware.bin > log.jsonl; echo $?
    VEXARO_SIM_KEYBOARDS=3 vexaro-flash --sim --all firmware.bin
)";
}

}  // namespace vexaro::flash
