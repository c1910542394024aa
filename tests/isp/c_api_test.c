/* Links against the shared library libvexaro-isp and calls its exported
 * functions from C, with no keyboard on the bus. */
#include <stdio.h>

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

int main(void) {
  uint8_t buffer[128] = {0};
  char text[16] = {0};
  int32_t length = 0;
  uint16_t value = 0;
  Check("ISP_SetupSerialPortConnection", ISP_SetupSerialPortConnection(), 0);
  Check("ISP_SendAuthentication", ISP_SendAuthentication(), 1);
  Check("ISP_GetTransProgress", ISP_GetTransProgress(), 0);
  Check("ISP_WriteProgramB start == end", ISP_WriteProgramB(0x1000, 0x1000, 1, buffer), ISP_INVALID_ARGUMENTS);
  Check("ISP_WriteProgramB mode 2", ISP_WriteProgramB(0x1000, 0x1003, 2, buffer), ISP_OK);
  Check("ISP_ReadData null", ISP_ReadData(0x1000, 0x1003, NULL), ISP_INVALID_ARGUMENTS);
  Check("ISP_IsConnectedToDevice", ISP_IsConnectedToDevice(0x04D9, 0x8010, 0), 0);
  Check("ISP_ResetToIAP", ISP_ResetToIAP(0), ISP_DEVICE_NOT_FOUND);
  Check("ISP_Execute", ISP_Execute(), ISP_DEVICE_NOT_FOUND);
  Check("ISP_Exit", ISP_Exit(), ISP_DEVICE_NOT_FOUND);
  Check("ISP_Reset", ISP_Reset(), ISP_DEVICE_NOT_FOUND);
  Check("ISP_SendUserCmd below 0x50", ISP_SendUserCmd(buffer), 0);
  Check("ISP_GetUserData count 0", ISP_GetUserData(buffer, 0), 0);
  Check("ISP_CloseSerialPortConnect", ISP_CloseSerialPortConnect(), 0);
  (void)text;
  (void)length;
  (void)value;
  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
