#include "sim/demo_keyboard.h"

namespace vexaro::sim {

// Keep in step with res/demo/demo-package.conf; tests/sim checks both agree.
KeyboardConfig DemoKeyboardConfig() {
  KeyboardConfig config;
  config.apVendorId = 0x3C9A;
  config.apProductId = 0x0A21;
  config.iapVendorId = 0x3C9A;
  config.iapProductId = 0x1A21;
  // 64 KiB: the loader below 0x2400; the pages 0x2400-0x2BFF for the version
  // record, whose text starts at 0x2800 where the application firmware's
  // version read looks; the application from 0x2C00; the external table
  // (external-start in the package inputs) after the application's pages.
  config.flashSize = 0x10000;
  config.userStart = 0x2400;
  config.applicationStart = 0x2C00;
  config.versionRecordAddress = kDemoVersionRecordAddress;
  config.crcKey = {0x76, 0x58, 0x4B, 0x37, 0xD4, 0x19, 0x6E, 0x02, 0xA8, 0x3B, 0xF1,
                   0x5C, 0x20, 0xE7, 0x99, 0x4D, 0x33, 0x16, 0xC8, 0xAF, 0x5E, 0x0B,
                   0x72, 0xD1, 0x64, 0x9A, 0x0F, 0xE3, 0xB5, 0x8C, 0x21, 0x47};
  return config;
}

}  // namespace vexaro::sim
