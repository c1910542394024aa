// Trace lines: "<ms> <KIND> c<collection> <hex bytes>"; see docs/trace-format.md.
#include "sim/trace.h"

#include "platform/sys/sys.h"

namespace vexaro::sim {

Trace::~Trace() {
  if (file_ == nullptr) return;
  FlushRefused();
  std::fclose(file_);
}

bool Trace::Open(const std::string& path) {
  if (file_ != nullptr) std::fclose(file_);
  file_ = std::fopen(path.c_str(), "w");
  if (file_ == nullptr) return false;
  startMs_ = sys::NowMs();
  std::fputs("# vexaro simulated keyboard trace 1\n", file_);
  return true;
}

std::uint64_t Trace::Stamp(std::uint64_t atMs) const { return atMs >= startMs_ ? atMs - startMs_ : 0; }

void Trace::Report(std::string_view kind, std::size_t collection, const std::uint8_t* bytes,
                   std::size_t length, std::uint64_t atMs) {
  if (file_ == nullptr) return;
  FlushRefused();
  std::fprintf(file_, "%llu %.*s c%zu", static_cast<unsigned long long>(Stamp(atMs)),
               static_cast<int>(kind.size()), kind.data(), collection);
  for (std::size_t i = 0; i < length; ++i) std::fprintf(file_, " %02x", bytes[i]);
  std::fputc('\n', file_);
  std::fflush(file_);
}

void Trace::Refused(std::size_t collection) {
  if (file_ == nullptr) return;
  if (refused_ != 0 && collection != refusedCollection_) FlushRefused();
  if (refused_ == 0) refusedSinceMs_ = sys::NowMs();
  refusedCollection_ = collection;
  ++refused_;
}

void Trace::Event(std::string_view text) {
  if (file_ == nullptr) return;
  FlushRefused();
  std::fprintf(file_, "%llu EVENT %.*s\n", static_cast<unsigned long long>(Stamp(sys::NowMs())),
               static_cast<int>(text.size()), text.data());
  std::fflush(file_);
}

void Trace::FlushRefused() {
  if (refused_ == 0) return;
  std::fprintf(file_, "%llu NAK c%zu x%llu\n", static_cast<unsigned long long>(Stamp(refusedSinceMs_)),
               refusedCollection_, static_cast<unsigned long long>(refused_));
  refused_ = 0;
}

}  // namespace vexaro::sim
