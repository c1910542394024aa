/* A C program with nothing but libvexaro-isp and its header: the argument
 * checks of the exported functions, then a whole session against the demo
 * simulated keyboard that the library plugs in by itself (VEXARO_SIM=1,
 * zero-latency timing and a scaled clock come from the test's environment). */
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "isp/isp_api.h"

static int passed = 0;
static int failed = 0;

static void Check(const char* what, int32_t got, int32_t want) {
  if (got == want) {
    ++passed;
  } else {
    ++failed;
    printf("FAILED: %s returned %d, expected %d\n", what, (int)got, (int)want);
  }
}

static void CheckText(const char* what, const char* got, const char* want) {
  Check(what, strcmp(got, want) == 0, 1);
  if (strcmp(got, want) != 0) printf("  got \"%s\", expected \"%s\"\n", got, want);
}

/* Ids and key block of the demo keyboard (res/demo/demo-package.conf). */
enum { kVendor = 0x3C9A, kApProduct = 0x0A21, kApIndex = 1, kLoaderProduct = 0x1A21 };
static const uint8_t kDemoKey[32] = {
    0x76, 0x58, 0x4B, 0x37, 0xD4, 0x19, 0x6E, 0x02, 0xA8, 0x3B, 0xF1, 0x5C, 0x20, 0xE7, 0x99, 0x4D,
    0x33, 0x16, 0xC8, 0xAF, 0x5E, 0x0B, 0x72, 0xD1, 0x64, 0x9A, 0x0F, 0xE3, 0xB5, 0x8C, 0x21, 0x47};

static void ArgumentChecks(void) {
  uint8_t buffer[128] = {0};
  Check("ISP_SetupSerialPortConnection", ISP_SetupSerialPortConnection(), 0);
  Check("ISP_SendAuthentication", ISP_SendAuthentication(), 1);
  Check("ISP_GetTransProgress", ISP_GetTransProgress(), 0);
  Check("ISP_WriteProgramB start == end", ISP_WriteProgramB(0x1000, 0x1000, ISP_MODE_PROGRAM, buffer), ISP_INVALID_ARGUMENTS);
  Check("ISP_WriteProgramB mode 2", ISP_WriteProgramB(0x1000, 0x1003, 2, buffer), ISP_OK);
  Check("ISP_ReadData null", ISP_ReadData(0x1000, 0x1003, NULL), ISP_INVALID_ARGUMENTS);
  Check("ISP_SetCrcKey null", ISP_SetCrcKey(NULL, 4), ISP_INVALID_ARGUMENTS);
  Check("ISP_SetCrcKey 65 bytes", ISP_SetCrcKey(buffer, 65), ISP_INVALID_ARGUMENTS);
  Check("ISP_IsConnectedToDevice other ids", ISP_IsConnectedToDevice(0x04D9, 0x8010, 0), ISP_NOT_CONNECTED);
  Check("ISP_ResetToIAP other ids", ISP_ResetToIAP(ISP_RESET_UNKEYED), ISP_DEVICE_NOT_FOUND);
  Check("ISP_SendUserCmd below 0x50", ISP_SendUserCmd(buffer), 0);
  Check("ISP_GetUserData count 0", ISP_GetUserData(buffer, 0), 0);
}

/* A fresh demo keyboard has no application yet and sits in its loader. */
static void ConnectLoader(void) {
  Check("ISP_SetCrcKey demo key", ISP_SetCrcKey(kDemoKey, sizeof kDemoKey), ISP_OK);
  Check("ISP_IsConnectedToDevice loader", ISP_IsConnectedToDevice(kVendor, kLoaderProduct, 0), ISP_CONNECTED);
}

/* With an application in its flash the keyboard starts it, and its unkeyed
 * reset brings the loader back. */
static void StartApplicationAndReturn(void) {
  Check("ISP_Execute", ISP_Execute(), ISP_OK);
  Check("ISP_IsConnectedToDevice application", ISP_IsConnectedToDevice(kVendor, kApProduct, kApIndex), ISP_CONNECTED);
  Check("ISP_ResetToIAP", ISP_ResetToIAP(ISP_RESET_UNKEYED), ISP_OK);
  Check("ISP_IsConnectedToDevice loader again", ISP_IsConnectedToDevice(kVendor, kLoaderProduct, 0), ISP_CONNECTED);
}

static void ReadInformation(void) {
  char text[16] = {0};
  int32_t length = 0;
  Check("ISP_GetInformation 0", ISP_GetInformation(ISP_INFO_CHIP, text, &length), ISP_OK);
  CheckText("chip", text, "HT32F1654");
  Check("ISP_GetInformation 6", ISP_GetInformation(ISP_INFO_USER_START, text, &length), ISP_OK);
  CheckText("application start", text, "00011264");
}

static void ProgramVerifyAndReadBack(void) {
  enum { kStart = 0x2C00, kCount = 104 };  /* the demo keyboard's application area */
  uint8_t image[kCount];
  uint8_t back[128] = {0};
  int i;
  for (i = 0; i < kCount; ++i) image[i] = (uint8_t)(i * 7 + 3);
  Check("ISP_ErasePage", ISP_ErasePage(kStart, kStart + 1023), ISP_OK);
  Check("ISP_WriteProgramB program", ISP_WriteProgramB(kStart, kStart + kCount - 1, ISP_MODE_PROGRAM, image), ISP_OK);
  Check("ISP_GetTransProgress after program", ISP_GetTransProgress(), 100);
  Check("ISP_WriteProgramB verify", ISP_WriteProgramB(kStart, kStart + kCount - 1, ISP_MODE_VERIFY, image), ISP_OK);
  Check("ISP_ReadData", ISP_ReadData(kStart, kStart + kCount - 1, back), ISP_OK);
  Check("read back equals image", memcmp(back, image, kCount) == 0, 1);
  image[50] ^= 0x01;
  Check("ISP_WriteProgramB verify changed", ISP_WriteProgramB(kStart, kStart + kCount - 1, ISP_MODE_VERIFY, image), ISP_FAILED);
}

/* A 30-second window with no status coming: on the scaled clock of the
 * environment it passes in a fraction of a real second. */
static void ClockScaleReachesTheLibrary(void) {
  const time_t before = time(NULL);
  Check("ISP_GetUserResult without status", ISP_GetUserResult(30), 0);
  Check("30 s window on the scaled clock", time(NULL) - before <= 5, 1);
}

int main(void) {
  ArgumentChecks();
  ConnectLoader();
  ReadInformation();
  ProgramVerifyAndReadBack();
  ClockScaleReachesTheLibrary();
  StartApplicationAndReturn();
  ISP_CloseSerialPortConnect();
  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
