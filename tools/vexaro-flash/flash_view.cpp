// Terminal output of vexaro-flash.
#include "tools/vexaro-flash/flash_view.h"

#include <algorithm>
#include <cstdlib>

#include "platform/sys/sys.h"
#include "tools/vexaro-flash/flash_bar.h"
#include "tools/vexaro-flash/flash_text.h"

namespace vexaro::flash {
namespace {

constexpr int kFullBar = 100;  // the last step passes 100; the bar stops there

}  // namespace

void FlashView::Line(const std::string& text) {
  EndBar();
  std::fprintf(out_, "%s\n", ShownText(text).c_str());
  std::fflush(out_);
  if (style_ == OutputStyle::kTerminal && progress_ >= 0 && !outcome_) DrawBar();
}

void FlashView::Event(const std::string& json) {
  const std::string port = port_.empty() ? std::string{} : ",\"port\":" + JsonString(port_);
  std::fprintf(out_, "{%s%s}\n", json.c_str(), port.c_str());
  std::fflush(out_);
}

// Measured at every step: a terminal resized during the update gets a bar
// that fits it.
void FlashView::DrawBar() {
  const std::string bar = ProgressBarText(progress_, TerminalWidth(sys::TerminalColumns(), std::getenv("COLUMNS")));
  if (barShown_ && static_cast<int>(bar.size()) < barWidth_) EndBar();
  std::fprintf(out_, "\r%s", bar.c_str());
  std::fflush(out_);
  barShown_ = true;
  barWidth_ = static_cast<int>(bar.size());
}

void FlashView::EndBar() {
  if (!barShown_) return;
  std::fprintf(out_, "\r%*s\r", barWidth_, "");
  barShown_ = false;
}

void FlashView::SetConnectionText(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (text == connection_) return;
  connection_ = text;
  if (style_ != OutputStyle::kJson && Quiet()) return;
  if (style_ == OutputStyle::kJson) Event("\"event\":\"connection\",\"text\":" + JsonString(text));
  else Line("Keyboard: " + text);
}

void FlashView::SetStatusText(const std::string& text) {
  std::lock_guard lock(mutex_);
  // After the outcome the worker closes the window's hidden status field
  // with a fixed text; the result line below says what really happened.
  if (outcome_) return;
  if (style_ != OutputStyle::kJson && Quiet()) return;
  if (style_ == OutputStyle::kJson) Event("\"event\":\"stage\",\"text\":" + JsonString(text));
  else Line(text);
}

void FlashView::SetCurrentVersionText(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (text == version_) return;
  version_ = text;
  if (text.empty()) return;
  if (style_ != OutputStyle::kJson && Quiet()) return;
  if (style_ == OutputStyle::kJson) Event("\"event\":\"version\",\"text\":" + JsonString(text));
  else Line("Keyboard version: " + text);
}

void FlashView::EnableUpdateButtons(bool enable) {
  std::lock_guard lock(mutex_);
  updateEnabled_ = enable;
}

void FlashView::SetProgress(int position) {
  std::lock_guard lock(mutex_);
  if (position == progress_) return;
  progress_ = position;
  if (outcome_) return;
  if (style_ != OutputStyle::kJson && Quiet()) return;
  switch (style_) {
    case OutputStyle::kJson: Event("\"event\":\"progress\",\"position\":" + std::to_string(position)); break;
    case OutputStyle::kPlain: Line("Progress: " + std::to_string(std::min(position, kFullBar)) + "%"); break;
    case OutputStyle::kTerminal: DrawBar(); break;
  }
}


void FlashView::ShowMessageBox(const std::string& text, const std::string& caption) {
  std::lock_guard lock(mutex_);
  if (style_ == OutputStyle::kJson) {
    Event("\"event\":\"message\",\"text\":" + JsonString(text) + ",\"caption\":" + JsonString(caption));
  } else {
    Line(caption + ": " + text);
  }
}

void FlashView::ReportOutcome(const updater::UpdateOutcome& outcome) {
  std::lock_guard lock(mutex_);
  EndBar();
  outcome_ = outcome;
}

void FlashView::Note(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (style_ == OutputStyle::kJson) Event("\"event\":\"note\",\"text\":" + JsonString(text));
  else Line(text);
}

void FlashView::Package(const package::PackageInfo& info, bool demo) {
  std::lock_guard lock(mutex_);
  if (style_ == OutputStyle::kJson) {
    Event("\"event\":\"package\",\"product\":" + JsonString(info.ProductName) + ",\"version\":" +
          JsonString(info.UpdateVersion) + ",\"title\":" + JsonString(info.WindowTitle) +
          ",\"company\":" + JsonString(info.CompanyName) + ",\"demo\":" + (demo ? "true" : "false"));
  } else if (!Quiet()) {
    Line(info.ProductName + ": firmware " + info.UpdateVersion +
         (demo ? " (demo package for the simulated keyboard)" : ""));
  }
}

void FlashView::Keyboard(const std::string& mode, unsigned vendor, unsigned product, const std::string& detail,
                         const std::string& version, const std::string& port) {
  std::lock_guard lock(mutex_);
  char ids[32];
  std::snprintf(ids, sizeof ids, "%04x:%04x", vendor & 0xFFFFu, product & 0xFFFFu);
  if (style_ == OutputStyle::kJson) {
    // Events carry the port already once the view has one.
    const std::string portMember = port.empty() || !port_.empty() ? std::string{} : ",\"port\":" + JsonString(port);
    Event("\"event\":\"keyboard\",\"mode\":" + JsonString(mode) + ",\"id\":" + JsonString(ids) +
          ",\"detail\":" + JsonString(detail) + ",\"version\":" + JsonString(version) + portMember);
  } else {
    Line((port.empty() ? "" : "port " + port + "  ") + mode + " mode  " + ids +
         (detail.empty() ? "" : "  " + detail) + "  version " +
         (version.empty() ? "(unknown)" : version));
  }
}

void FlashView::Result(bool success, int exitCode, const std::string& text) {
  std::lock_guard lock(mutex_);
  if (style_ == OutputStyle::kJson) {
    Event(std::string("\"event\":\"result\",\"success\":") + (success ? "true" : "false") +
          ",\"exit\":" + std::to_string(exitCode) + ",\"text\":" + JsonString(text));
  } else {
    Line((success ? "Success: " : "Failed: ") + text);
  }
}

void FlashView::Remark(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (style_ != OutputStyle::kJson && !Quiet()) Line(text);
}

void FlashView::Detail(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (style_ != OutputStyle::kJson && verbosity_ == Verbosity::kVerbose) Line(text);
}

void FlashView::Ask(const std::string& question) {
  std::lock_guard lock(mutex_);
  EndBar();
  std::fprintf(out_, "%s", ShownText(question).c_str());
  std::fflush(out_);
}

void FlashView::EndQuestion() {
  std::lock_guard lock(mutex_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

void FlashView::SetVerbosity(Verbosity verbosity) {
  std::lock_guard lock(mutex_);
  verbosity_ = verbosity;
}

void FlashView::Summary(std::size_t keyboards, std::size_t updated, int exitCode, const std::string& text) {
  std::lock_guard lock(mutex_);
  if (style_ == OutputStyle::kJson) {
    Event("\"event\":\"summary\",\"keyboards\":" + std::to_string(keyboards) + ",\"updated\":" +
          std::to_string(updated) + ",\"exit\":" + std::to_string(exitCode) + ",\"text\":" + JsonString(text));
  } else {
    Line((exitCode == 0 ? "Success: " : "Failed: ") + text);
  }
}

void FlashView::SetPort(const std::string& port) {
  std::lock_guard lock(mutex_);
  port_ = port;
}

std::string FlashView::Version() const {
  std::lock_guard lock(mutex_);
  return version_;
}
bool FlashView::UpdateEnabled() const {
  std::lock_guard lock(mutex_);
  return updateEnabled_;
}
std::optional<updater::UpdateOutcome> FlashView::Outcome() const {
  std::lock_guard lock(mutex_);
  return outcome_;
}

}  // namespace vexaro::flash
