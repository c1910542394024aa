/* The loader protocol engine's exported interface: the ISP_* functions that
 * find the keyboard's loader, program and verify its flash and switch its
 * mode. Plain C, undecorated names, 32-bit signed results. */
#ifndef VEXARO_ISP_ISP_API_H
#define VEXARO_ISP_ISP_API_H

#include <stdint.h>

/* On Windows a program that includes this header calls the functions in
 * vexaro-isp.dll through its import library, so they are declared dllimport
 * unless the DLL itself is being built (VEXARO_ISP_BUILD_SHARED) or the
 * engine is linked in as the static library (VEXARO_ISP_STATIC, which the
 * vexaro_isp target sets for everything that links it). */
#if defined(_WIN32) && defined(VEXARO_ISP_BUILD_SHARED)
#define VEXARO_ISP_API __declspec(dllexport)
#elif defined(_WIN32) && !defined(VEXARO_ISP_STATIC)
#define VEXARO_ISP_API __declspec(dllimport)
#elif defined(__GNUC__)
#define VEXARO_ISP_API __attribute__((visibility("default")))
#else
#define VEXARO_ISP_API
#endif

/* libvexaro-isp carries its own HID platform and program clock, hidden from
 * the program that loads it: it chooses the simulated bus when VEXARO_SIM=1
 * is in the environment at its first use (the native HID service otherwise),
 * reads VEXARO_CLOCK_SCALE then, and on its first search of an empty simulated
 * bus plugs in the demo simulated keyboard with the VEXARO_SIM_* settings.
 * A program that carries the project's HID platform itself therefore links
 * the static engine instead; with both it would have two buses, each blind
 * to the other's devices, so that combination does not compile. */
#if defined(VEXARO_HID_PLATFORM_LINKED) && !defined(VEXARO_ISP_STATIC) && \
    !defined(VEXARO_ISP_BUILD_SHARED)
#error "this program links the HID platform: link the static engine (vexaro_isp), not libvexaro-isp"
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. ISP_CRCCheck, ISP_IsConnectedToDevice, ISP_SendUserCmd and
 * ISP_GetUserResult return 1 for success instead; ISP_GetTransProgress and
 * ISP_GetUserData return numbers. */
#define ISP_OK 0
#define ISP_FAILED 1
#define ISP_DEVICE_NOT_FOUND 16
#define ISP_INVALID_ARGUMENTS 18

/* Connection */
VEXARO_ISP_API int32_t ISP_IsConnectedToDevice(int32_t vendorId, int32_t productId, int32_t index);
VEXARO_ISP_API int32_t ISP_CloseSerialPortConnect(void);
VEXARO_ISP_API int32_t ISP_SetupSerialPortConnection(void);
VEXARO_ISP_API int32_t ISP_SendAuthentication(void);

/* Key block over which the checksums of command reports continue (the
 * package's checksum key block); until it is called, 64 zero bytes. Copies
 * length bytes (at most 64) from key. Returns ISP_OK, or ISP_INVALID_ARGUMENTS
 * (and nothing changes) for a null key or a length above 64. Does not block;
 * call it from the thread that uses the engine, before the commands it keys. */
VEXARO_ISP_API int32_t ISP_SetCrcKey(const uint8_t* key, uint16_t length);

/* Flash; ranges are inclusive at both ends */
VEXARO_ISP_API int32_t ISP_ErasePage(int32_t start, int32_t end);
VEXARO_ISP_API int32_t ISP_EraseMass(void);
VEXARO_ISP_API int32_t ISP_BlankCheck(int32_t start, int32_t end);
/* mode 1 programs, mode 0 verifies; data holds end - start + 1 bytes */
VEXARO_ISP_API int32_t ISP_WriteProgramB(uint32_t start, uint32_t end, uint8_t mode,
                                         const uint8_t* data);
/* data has room for end - start + 1 bytes */
VEXARO_ISP_API int32_t ISP_ReadData(uint32_t start, uint32_t end, uint8_t* data);
VEXARO_ISP_API int32_t ISP_GetTransProgress(void);

/* Device control */
/* text has room for 12 bytes */
VEXARO_ISP_API int32_t ISP_GetInformation(uint32_t type, char* text, int32_t* length);
/* payload holds 52 bytes; returns 1 when the loader replied */
VEXARO_ISP_API int32_t ISP_CRCCheck(int32_t unused1, int32_t unused2, uint16_t* value,
                                    const uint8_t* payload);
VEXARO_ISP_API int32_t ISP_ResetToIAP(int32_t useKey);
VEXARO_ISP_API int32_t ISP_Reset(void);
VEXARO_ISP_API int32_t ISP_Execute(void);
VEXARO_ISP_API int32_t ISP_Exit(void);
/* command holds 62 bytes */
VEXARO_ISP_API int32_t ISP_SendUserCmd(const uint8_t* command);
VEXARO_ISP_API int32_t ISP_GetUserResult(int32_t seconds);
/* buffer has room for count rounded up to a multiple of 64 */
VEXARO_ISP_API int32_t ISP_GetUserData(uint8_t* buffer, int32_t count);

#ifdef __cplusplus
}
#endif

#endif /* VEXARO_ISP_ISP_API_H */
