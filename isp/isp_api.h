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

/* Result codes. Most functions return one of these; the functions that
 * return 1 for success or a number say so where they are declared. */
#define ISP_OK 0
#define ISP_FAILED 1
#define ISP_DEVICE_NOT_FOUND 16
#define ISP_INVALID_ARGUMENTS 18

/* ISP_IsConnectedToDevice's answers. */
#define ISP_CONNECTED 1
#define ISP_NOT_CONNECTED 0

/* The information types of ISP_GetInformation. */
#define ISP_INFO_CHIP 0
#define ISP_INFO_FLASH_SIZE 1
#define ISP_INFO_FIRST_SIZE_FACTOR 2
#define ISP_INFO_BYTE_VALUE 3
#define ISP_INFO_LOADER_KIND 4
#define ISP_INFO_NOT_AVAILABLE 5
#define ISP_INFO_USER_START 6
#define ISP_INFO_VERSION_RECORD 8

/* The modes of ISP_WriteProgramB. */
#define ISP_MODE_VERIFY 0
#define ISP_MODE_PROGRAM 1

/* The arguments of ISP_ResetToIAP: the checksum over the report alone (what
 * the application firmware checks) or continued over the key block (what the
 * loader checks). */
#define ISP_RESET_UNKEYED 0
#define ISP_RESET_KEYED 1

/* Threads: the functions share one process-wide engine without locks. Call
 * them from one thread at a time: several threads may take turns, but a call
 * must have returned before another thread makes the next one.
 *
 * Waits: every wait below is on the library's program clock (whole seconds;
 * a window of W seconds lasts W to W + 1 seconds) and is shortened by
 * VEXARO_CLOCK_SCALE. A status window ends early when the device leaves the
 * bus. Two waits come before most commands and are not repeated below:
 *   - finding the device: when it matches, up to 120 s while the system is
 *     still installing a device;
 *   - the ready probe: the loader must answer "ready" within 30 s. Unless
 *     ISP_Execute or ISP_Exit marked the device found, the probe finds the
 *     device again first, with the ids of the last ISP_IsConnectedToDevice
 *     (0x04D9, 0x8010, index 0 until then). */

/* ---- Connection ---- */

/* Looks for the index-th device (counted from 0 in enumeration order) with
 * these USB ids, opens it, and keeps the ids for the commands that follow.
 * Returns ISP_CONNECTED when it was found and opened, ISP_NOT_CONNECTED
 * otherwise (the read and write handles of an earlier device then stay
 * open). Blocks: finding the device. One thread at a time. */
VEXARO_ISP_API int32_t ISP_IsConnectedToDevice(int32_t vendorId, int32_t productId, int32_t index);

/* Closes the device's handles; the ids and everything else stay. Returns 1
 * when a device was open and its query handle closed, 0 otherwise. Does not
 * block. One thread at a time. */
VEXARO_ISP_API int32_t ISP_CloseSerialPortConnect(void);

/* The loader needs no set-up. Returns 0. Does not block. */
VEXARO_ISP_API int32_t ISP_SetupSerialPortConnection(void);

/* The loader needs no authentication. Returns 1. Does not block. */
VEXARO_ISP_API int32_t ISP_SendAuthentication(void);

/* Key block over which the checksums of command reports continue (the
 * package's checksum key block); until it is called, 64 zero bytes. Copies
 * length bytes (at most 64) from key. Returns ISP_OK, or ISP_INVALID_ARGUMENTS
 * (and nothing changes) for a null key or a length above 64. Does not block.
 * One thread at a time: call it from the thread that uses the engine, before
 * the commands it keys. */
VEXARO_ISP_API int32_t ISP_SetCrcKey(const uint8_t* key, uint16_t length);

/* ---- Flash; ranges are inclusive at both ends ---- */

/* Erases the flash pages from start to end.
 * Returns ISP_OK when the loader answered "O"; ISP_FAILED when the probe
 * failed, the report could not be written (the connection is then dropped
 * and the next command finds the device again) or the status was missing or
 * not "O". Blocks: finding the device, the probe, then up to 10 s for the
 * status. One thread at a time. */
VEXARO_ISP_API int32_t ISP_ErasePage(int32_t start, int32_t end);

/* Erases the user area, the flash the loader does not occupy. Results as
 * ISP_ErasePage. Blocks: finding the device, the probe, then up to 2 s for
 * the status. One thread at a time. */
VEXARO_ISP_API int32_t ISP_EraseMass(void);

/* Asks whether start to end is erased. Returns ISP_OK when the loader
 * answered "O", ISP_FAILED otherwise (as ISP_ErasePage). Blocks: finding the
 * device, the probe, then up to 2 s for the status. One thread at a time. */
VEXARO_ISP_API int32_t ISP_BlankCheck(int32_t start, int32_t end);

/* Programs (ISP_MODE_PROGRAM) or verifies (ISP_MODE_VERIFY) start to end
 * against data, which holds end - start + 1 bytes, in reports of 52 bytes.
 * Returns ISP_INVALID_ARGUMENTS for a null data or start not below end;
 * ISP_OK without sending anything for any other mode; ISP_OK when the loader
 * acknowledged every report with "O"; ISP_FAILED when the probe failed, a
 * report could not be written, an acknowledgement batch was missing, the
 * loader sent "F" or fewer "O" than reports, or (in a program that links
 * the engine) isp::RequestTransferStop asked it to stop. Blocks: finding the device, the
 * probe, up to 6 s for the acknowledgements after every 60th report, and
 * 10 ms plus up to 6 s for the last ones. One thread at a time. */
VEXARO_ISP_API int32_t ISP_WriteProgramB(uint32_t start, uint32_t end, uint8_t mode,
                                         const uint8_t* data);

/* Reads start to end into data, which has room for end - start + 1 bytes.
 * Returns ISP_INVALID_ARGUMENTS for a null data or start not below end;
 * ISP_OK when every data report and the closing "O" arrived; ISP_FAILED when
 * the probe failed, the report could not be written, a data report was
 * missing, or the closing status was missing or not "O" (in that last case
 * the bytes are in data all the same). Blocks: finding the device, the probe, up to 5 s
 * for each 64-byte data report, then up to 2 s for the status. One thread at
 * a time. */
VEXARO_ISP_API int32_t ISP_ReadData(uint32_t start, uint32_t end, uint8_t* data);

/* Returns how far the last program or verify went, in percent (0 to 100);
 * it keeps its value until the next one sends its first report. Does not
 * block. One thread at a time. */
VEXARO_ISP_API int32_t ISP_GetTransProgress(void);

/* ---- Device control ---- */

/* Writes the loader's information of this type as text into text (room for
 * 12 bytes, zero-terminated) and its length into length: ISP_INFO_CHIP
 * ("HT32F" and the number), ISP_INFO_FLASH_SIZE, ISP_INFO_FIRST_SIZE_FACTOR,
 * ISP_INFO_BYTE_VALUE, ISP_INFO_LOADER_KIND (kind and version, "ISP V1",
 * "IAP V123"), ISP_INFO_NOT_AVAILABLE ("N/A"), ISP_INFO_USER_START (start of
 * the user area, also used by ISP_CRCCheck from then on),
 * ISP_INFO_VERSION_RECORD (address of the version record); numbers in
 * decimal with at least 8 digits; other types give "".
 * Returns ISP_OK when the information arrived and the closing status was
 * "O" or missing; ISP_FAILED for a null text or length, a failed probe or
 * write, a missing data report, or a closing status other than "O" (text and
 * length are filled then all the same). Blocks: finding the device, the
 * probe, up to 5 s for the data report, then up to 2 s for the status. One
 * thread at a time. */
VEXARO_ISP_API int32_t ISP_GetInformation(uint32_t type, char* text, int32_t* length);

/* Asks the loader for its checksum over the user area (its start from
 * ISP_INFO_USER_START, 0x0C00 until then, to 0x7FFF); payload holds the 52
 * bytes the command carries. Returns 1 when a status report arrived, its
 * bytes 1-2 then in value; 0 for a null value or payload, a failed probe or
 * write (value untouched), or no status within the window (value written
 * but meaningless). The two first arguments are not used. Blocks: finding
 * the device, the probe, 10 ms, then up to 2 s polling every 10 ms. One
 * thread at a time. */
VEXARO_ISP_API int32_t ISP_CRCCheck(int32_t unused1, int32_t unused2, uint16_t* value,
                                    const uint8_t* payload);

/* Restarts the device into its loader; the checksum covers the key block
 * when useKey is ISP_RESET_KEYED and the report alone otherwise
 * (ISP_RESET_UNKEYED, what the application firmware expects). No reply is
 * read: the device leaves the bus and comes back under the loader's ids. Returns ISP_DEVICE_NOT_FOUND when the device
 * of the last ISP_IsConnectedToDevice is not there (nothing is written),
 * ISP_OK when the report was written, ISP_FAILED when the probe or the write
 * failed. Blocks: finding the device (twice when it was not marked found),
 * the probe. One thread at a time. */
VEXARO_ISP_API int32_t ISP_ResetToIAP(int32_t useKey);

/* ISP_ResetToIAP(ISP_RESET_KEYED), then ISP_CloseSerialPortConnect
 * whatever the result. Results and waits as ISP_ResetToIAP. One thread at a time. */
VEXARO_ISP_API int32_t ISP_Reset(void);

/* Starts the application firmware, then marks the device found (the next
 * probes skip finding it until a write fails) and looks for it once more.
 * Results and waits as ISP_ResetToIAP, plus one more search for the device.
 * One thread at a time. */
VEXARO_ISP_API int32_t ISP_Execute(void);

/* Sends the loader's exit command; afterwards as ISP_Execute. Results and
 * waits as ISP_Execute. One thread at a time. */
VEXARO_ISP_API int32_t ISP_Exit(void);

/* Sends a command of the caller's making: command holds 62 bytes, byte 0
 * the command (at least 0x50), byte 1 its sub-command, bytes 2-9 the report's
 * bytes 5-12 and bytes 10-61 its 52 payload bytes; the checksum is keyed.
 * Returns 1 when it was written; 0 for a null command, a command below 0x50
 * (nothing is sent), a failed probe or a failed write. Blocks: finding the
 * device, the probe. One thread at a time. */
VEXARO_ISP_API int32_t ISP_SendUserCmd(const uint8_t* command);

/* Waits for a status report, without a probe. Returns 1 when one arrived
 * within the window and reads exactly "O", 0 otherwise. Blocks: up to
 * seconds (to seconds + 1). One thread at a time. */
VEXARO_ISP_API int32_t ISP_GetUserResult(int32_t seconds);

/* Reads 64-byte data reports into buffer, which has room for count rounded
 * up to a multiple of 64, until that much arrived or a report is missing.
 * Returns the bytes received, a multiple of 64; 0 for a null buffer or a
 * count of 0 or less. Blocks: up to 5 s for each report. One thread at a
 * time. */
VEXARO_ISP_API int32_t ISP_GetUserData(uint8_t* buffer, int32_t count);

#ifdef __cplusplus
}
#endif

#endif /* VEXARO_ISP_ISP_API_H */
