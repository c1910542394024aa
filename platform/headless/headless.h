// The headless display (built into the window framework's core): windows
// live off-screen on a 1920x1080 screen. Tests and screenshot tools inject
// input (platform/gui/input.h, or the helpers below in client coordinates)
// and read what a top-level window shows.
#pragma once

#include <memory>
#include <string>

#include "platform/gui/gdi.h"
#include "platform/gui/types.h"

namespace vexaro::gui::headless {

// What the top-level window shows now, children included; pending paints of
// the window run first (on its thread). nullptr for a hidden or no window.
std::unique_ptr<Bitmap> Capture(HWND top_level);
// The colour at a client point of a top-level window (CLR_INVALID outside).
COLORREF PixelAt(HWND top_level, int x, int y);

// PNG files of bitmaps and windows; false with *error saying why (also when
// the program registered no PNG writer: it links no vexaro_gui_system).
bool SavePng(const Bitmap& bmp, const std::string& path, std::string* error);
bool SaveWindowPng(HWND top_level, const std::string& path, std::string* error);

// Input at a client point of hwnd (any window, child or not).
void MoveMouse(HWND hwnd, int x, int y);
void Click(HWND hwnd, int x, int y);
void PressKey(UINT vk, char ch = 0);

}  // namespace vexaro::gui::headless
