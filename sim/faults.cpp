// Reading fault plans and keyboard settings from text and the environment.
#include <cstdlib>
#include <string>

#include "sim/keyboard.h"

namespace vexaro::sim {
namespace {

bool ParseNumber(std::string_view text, std::uint32_t& value) {
  std::string s(text);
  if (s.empty()) return false;
  char* end = nullptr;
  unsigned long long v = std::strtoull(s.c_str(), &end, 0);
  if (end == s.c_str() || *end != '\0' || v > 0xFFFFFFFFull) return false;
  value = static_cast<std::uint32_t>(v);
  return true;
}

bool ApplyFault(std::string_view key, std::string_view value, bool hasValue, Faults& f) {
  std::uint32_t n = 0;
  if (key == "no-probe-answer" && !hasValue) return f.neverAnswerProbe = true;
  if (key == "stay-in-loader" && !hasValue) return f.stayInLoader = true;
  if (key == "fail-reset" && !hasValue) return f.failReset = true;
  if (key == "no-permission" && !hasValue) return f.noPermission = true;
  if (!hasValue || !ParseNumber(value, n)) return false;
  if (key == "fail-write") f.failWrite = n;
  else if (key == "drop-status") f.dropStatus = n;
  else if (key == "corrupt-status") f.corruptStatus = n;
  else if (key == "verify-fail-at") f.verifyFailAt = n;
  else if (key == "vanish-after") f.vanishAfter = n;
  else if (key == "erase-fail-at") f.eraseFailAt = n;
  else if (key == "program-fail-at") f.programFailAt = n;
  else if (key == "loader-before-app") f.loaderBeforeApplicationMs = n;
  else if (key == "slow" && n >= 1) f.slowFactor = n;
  else if (key == "power-loss-at") f.powerLossAt = n;
  else if (key == "drop-replies-at") f.dropRepliesAt = n;
  else if (key == "corrupt-replies-at") f.corruptRepliesAt = n;
  else if (key == "no-reenumeration-at") f.noReEnumerationAt = n;
  else if (key == "wrong-mode-at") f.wrongModeAt = n;
  else return false;
  return true;
}

}  // namespace

bool ParseFaults(std::string_view text, Faults& faults, std::string& error) {
  Faults parsed = faults;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    if (item.empty()) continue;
    const std::size_t eq = item.find('=');
    const bool hasValue = eq != std::string_view::npos;
    const std::string_view key = item.substr(0, eq);
    const std::string_view value = hasValue ? item.substr(eq + 1) : std::string_view{};
    if (!ApplyFault(key, value, hasValue, parsed)) {
      error = "fault \"" + std::string(item) + "\" is unknown or has a bad value";
      return false;
    }
  }
  faults = parsed;
  return true;
}

bool ApplyEnvironment(KeyboardConfig& config, std::string& error) {
  auto get = [](const char* name) -> std::string {
    const char* v = std::getenv(name);
    return v == nullptr ? std::string{} : std::string(v);
  };
  if (std::string v = get("VEXARO_SIM_STATE"); !v.empty()) config.stateFile = v;
  if (std::string v = get("VEXARO_SIM_TRACE"); !v.empty()) config.traceFile = v;
  if (std::string v = get("VEXARO_SIM_FAULTS"); !v.empty()) {
    if (!ParseFaults(v, config.faults, error)) {
      error = "VEXARO_SIM_FAULTS: " + error;
      return false;
    }
  }
  if (std::string v = get("VEXARO_SIM_TIMING"); !v.empty()) {
    if (v == "usb") config.timing = Timing::Usb();
    else if (v == "zero") config.timing = Timing::Zero();
    else {
      error = "VEXARO_SIM_TIMING must be \"usb\" or \"zero\", not \"" + v + "\"";
      return false;
    }
  }
  if (std::string v = get("VEXARO_SIM_LOADER"); !v.empty()) {
    if (v == "iap") config.loaderKind = LoaderKind::kIap;
    else if (v == "isp") config.loaderKind = LoaderKind::kIsp;
    else {
      error = "VEXARO_SIM_LOADER must be \"iap\" or \"isp\", not \"" + v + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace vexaro::sim
