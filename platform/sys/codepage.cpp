// The portable side of the code-page services: the test override of the system
// code page and the resolution of code page 0 before the backend is asked.
#include "platform/sys/codepage.h"

#include <atomic>

#include "platform/sys/codepage_backend.h"

namespace vexaro::sys {
namespace {

// The one piece of process-wide state here: a code page chosen by tests.
std::atomic<unsigned> g_overrideCodePage{0};

unsigned Resolve(unsigned codePage) {
  return codePage == kCodePageSystem ? SystemCodePage() : codePage;
}

}  // namespace

unsigned SystemCodePage() {
  unsigned forced = g_overrideCodePage.load(std::memory_order_relaxed);
  if (forced != 0) return forced;
  static const unsigned native = backend::NativeSystemCodePage();
  return native;
}

void OverrideSystemCodePage(unsigned codePage) {
  g_overrideCodePage.store(codePage, std::memory_order_relaxed);
}

LeadByteTable LeadBytes(unsigned codePage) { return backend::NativeLeadBytes(Resolve(codePage)); }

bool IsLeadByte(unsigned char byte, unsigned codePage) { return LeadBytes(codePage)[byte]; }

bool IsCodePageAvailable(unsigned codePage) {
  return backend::NativeCodePageAvailable(Resolve(codePage));
}

int MultiByteToWide(unsigned codePage, std::string_view src, char16_t* dst, int capacity) {
  if (src.empty() || capacity < 0 || (capacity > 0 && dst == nullptr)) return 0;
  return backend::NativeMultiByteToWide(Resolve(codePage), src, dst, capacity);
}

int WideToMultiByte(unsigned codePage, std::u16string_view src, char* dst, int capacity,
                    bool* usedDefault) {
  if (usedDefault != nullptr) *usedDefault = false;
  if (src.empty() || capacity < 0 || (capacity > 0 && dst == nullptr)) return 0;
  return backend::NativeWideToMultiByte(Resolve(codePage), src, dst, capacity, usedDefault);
}

}  // namespace vexaro::sys
