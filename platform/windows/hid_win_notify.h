// The Windows HID backend's hidden window: a thread of its own creates it,
// registers it for arrivals and removals of HID interfaces and of opened
// handles, and turns WM_DEVICECHANGE and WM_POWERBROADCAST into calls of the
// backend's handlers on that thread.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vexaro::hid::win {

struct NotifyHandlers {
  std::function<void(bool arrived, const std::string& path)> interfaceChanged;  // path lower case
  std::function<void(HANDLE file)> handleRemoved;
  std::function<void(bool suspend)> power;
};

class NotifyWindow {
 public:
  // The class name of the hidden window, for tests that send it messages.
  static constexpr const char* kClassName = "VexaroHidNotifyWindow";

  // Starts the thread and waits until its window exists and is registered for
  // the HID interface class. False when the window could not be made. The
  // object must outlive the process's use of it: the thread runs to the end.
  bool Start(NotifyHandlers handlers);
  HWND Window() const { return window_; }

  // Registers the window for the removal of file's device; nullptr when the
  // system refuses (the backend then learns of it by the interface path).
  HDEVNOTIFY WatchHandle(HANDLE file);
  // Releases a registration on the window's thread, after any notification
  // for it that is being handled now.
  void ReleaseLater(HDEVNOTIFY registration);

  // Window procedure's share, public for the C callback only.
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Run();
  bool CreateAndRegister();
  void OnDeviceChange(WPARAM event, const void* record);
  void OnPower(WPARAM event);

  NotifyHandlers handlers_;
  std::mutex mutex_;
  std::condition_variable ready_;
  bool started_ = false;
  bool finished_ = false;  // the thread is past its start, with or without window
  HWND window_ = nullptr;
  bool suspended_ = false;  // window thread only
  std::thread thread_;
};

}  // namespace vexaro::hid::win
