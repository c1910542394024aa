#include "tools/vexaro-flash/flash_ports.h"

#include <algorithm>
#include <array>

#include "platform/hid/hid.h"
#include "updater/keyboard_ports.h"

namespace vexaro::flash {
namespace {

// Worst first: a failed update may leave a keyboard that does not type; a
// stop was asked for; a keyboard that cannot be opened or is held needs the
// user; one that went away or never answered is missing; a refusal is the
// check doing its work. Codes not listed (a child that crashed) count as
// failed updates.
constexpr std::array kWorstFirst = {kExitUpdateFailed, kExitStopped, kExitNoAccess, kExitInUse, kExitNoKeyboard,
                                    kExitRefused, kExitSuccess};

std::string JoinPorts(const std::vector<std::string>& ports) {
  std::string text;
  for (const std::string& p : ports) text += (text.empty() ? "" : ", ") + (p.empty() ? std::string("?") : p);
  return text;
}

}  // namespace

bool TakeKeyboardChoice(const std::vector<std::string>& arguments, FlashOptions& options,
                        std::vector<std::string>& remaining, std::string& error) {
  bool deviceGiven = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    std::string port;
    if (a == "--all") {
      options.all = true;
      continue;
    }
    if (a == "--device") {
      if (i + 1 >= arguments.size()) {
        error = "--device needs a PORT (see --list)";
        return false;
      }
      port = arguments[++i];
    } else if (a.rfind("--device=", 0) == 0) {
      port = a.substr(9);
    } else {
      remaining.push_back(a);
      continue;
    }
    if (port.empty() || deviceGiven) {
      error = port.empty() ? "--device needs a PORT (see --list)" : "--device given more than once";
      return false;
    }
    deviceGiven = true;
    options.device = port;
  }
  const bool list = std::find(remaining.begin(), remaining.end(), "--list") != remaining.end();
  if (options.all && (deviceGiven || list)) {
    error = deviceGiven ? "--all and --device exclude each other" : "--all and --list exclude each other";
    return false;
  }
  return true;
}

int ChooseKeyboards(const FlashOptions& options, FlashView& view, std::vector<std::string>& ports) {
  ports = updater::KeyboardPorts();
  if (!options.device.empty()) {
    if (std::find(ports.begin(), ports.end(), options.device) == ports.end()) {
      view.SetPort(options.device);
      view.Result(false, kExitNoKeyboard,
                  "No keyboard found at port " + options.device +
                      (ports.empty() ? "" : " (keyboards at: " + JoinPorts(ports) + ")"));
      return kExitNoKeyboard;
    }
    ports = {options.device};
    hid::FollowPort(options.device);
    view.SetPort(options.device);
    return -1;
  }
  if (ports.size() > 1 && !options.list) {
    view.Result(false, kExitUsage,
                std::to_string(ports.size()) + " keyboards found (ports " + JoinPorts(ports) +
                    "): name one with --device PORT, or update them all with --all");
    return kExitUsage;
  }
  if (ports.size() == 1) hid::FollowPort(ports.front());
  return -1;
}

int WorstExitCode(const std::vector<int>& codes) {
  auto rank = [](int code) {
    return static_cast<std::size_t>(std::find(kWorstFirst.begin(), kWorstFirst.end(), code) - kWorstFirst.begin());
  };
  int worst = kExitSuccess;
  for (int code : codes) {
    const int known = rank(code) < kWorstFirst.size() ? code : kExitUpdateFailed;
    if (rank(known) < rank(worst)) worst = known;
  }
  return worst;
}

}  // namespace vexaro::flash
