// The main window's construction, start and skin.
#include "app/main_window.h"

#include "isp/isp_control.h"
#include "package/package.h"
#include "platform/gui/afx/afx_app.h"
#include "platform/gui/hid_device_events.h"
#include "platform/sys/sys.h"
#include "ui/dialog_templates.h"
#include "ui/resource_ids.h"
#include "ui/window_shape.h"
#include "updater/package_loader.h"

namespace vexaro::app {

using namespace gui;
using namespace ui;

namespace {

// Where the skin places its parts, in client pixels of the background.
constexpr RECT kCloseButtonRect{450, 0, 470, 18};
constexpr RECT kUpdateButtonRect{404, 161, 466, 224};
constexpr RECT kUpdateVersionRect{186, 64, 300, 77};
constexpr RECT kProductNameRect{190, 80, 400, 95};
constexpr RECT kCurrentVersionRect{239, 97, 300, 115};
constexpr POINT kProgressOrigin{28, 183};
// Sizes of one state image in the buttons' strips (four stacked per strip).
constexpr int kCloseStateWidth = 25, kCloseStateHeight = 21;
constexpr int kUpdateStateWidth = 63, kUpdateStateHeight = 63;
constexpr DWORD kDeviceInterfaceFilterSize = 32;

// A program without a package gets the plain text; a package that is there
// but damaged or unsafe to install also gets the reason, on its own lines.
std::string InvalidPackageText(bool descriptorRead, const std::string& problem) {
  sys::DebugOutput("package: " + problem);
  const bool damaged = package::LoadPackageFile().digest == package::PackageDigest::Mismatch;
  if (!descriptorRead && !damaged) return "Image format invalid!";
  return "Image format invalid!\n" + problem;
}

}  // namespace

CVexaroDlg::CVexaroDlg(CWnd* parent) : CDialog(static_cast<UINT>(kIddMainWindow), parent) {
  RegisterDialogTemplates();
  m_hIcon = LoadIcon(kIdiApplication);
  m_controller = std::make_unique<updater::UpdateController>(*this, m_Driver);
}

CVexaroDlg::~CVexaroDlg() {
  // Destroyed while this object is whole (the handlers use the controller);
  // then the controller joins its worker, which talks to this view.
  if (m_hWnd) DestroyWindow();
  m_controller.reset();
  // The framework's icons are objects of their own (the window keeps only
  // the pointer while it exists).
  DeleteObject(m_hIcon);
}

BOOL CVexaroDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  m_bmpBackground.LoadBitmap(kIdbBackground);
  SetupSkin();
  m_btnOK.EnableWindow(FALSE);
  m_btnUpdate.EnableWindow(FALSE);

  package::PackageInfo& info = package::ThePackageInfo();
  package::DescriptorBytes descriptor{};
  const bool descriptorRead = package::ReadPackageDescriptor(descriptor);
  const std::string problem = package::CheckPackageBeforeUpdate();
  const bool valid = descriptorRead && problem.empty();
  if (valid && RefuseDemoPackage()) return FALSE;
  if (valid && !TakeKeyboardLock()) return FALSE;
  m_Driver.SetActive();
  m_Driver.SetOwner(m_hWnd, 0);
  if (valid) {
    package::DecodeDescriptorInto(descriptor, info);
    ShowPackage();
    m_Driver.Open(static_cast<int>(info.ApVendorId), static_cast<int>(info.ApProductId));
  } else {
    MessageBox(InvalidPackageText(descriptorRead, problem), "Image Format Invalid", MB_OK);
    // Closes the application's main window, this one; the dialog ends once
    // its initialisation has returned.
    CWnd* main = AfxGetMainWnd();
    (main ? main : this)->SendMessage(WM_CLOSE);
  }
  // Opened a second time on purpose: with an invalid package the identifiers
  // are 0 and the channel falls back to its own default pair.
  m_Driver.Open(static_cast<int>(info.ApVendorId), static_cast<int>(info.ApProductId));
  m_nProgressPos = 0;
  m_Progress.SetPos(0);
  if (valid && package::ReadImageBlocks(info.InternalImageBlock, info.ExternalImageBlock)) {
    const package::InternalBlockFields block = package::DecodeInternalBlock(info.InternalImageBlock);
    isp::ISP_SetCrcKey(block.crcKey.data(), block.crcKeyLength);
  }
  if (!IsWindow(m_hWnd)) return FALSE;
  m_btnOK.SetFocus();
  m_controller->RefreshDeviceState();
  RegisterForHidInterfaces();
  if (m_autoUpdate) SetTimer(kAutoUpdateTimer, kAutoUpdatePollMs);
  return FALSE;  // the focus was set here
}

// One updater per keyboard: the window holds the keyboard's lock while it is
// open, before its channel sends the first report. A simulated keyboard is
// held by its own state file instead.
bool CVexaroDlg::TakeKeyboardLock() {
  if (m_keyboardLock.AcquireForPackage() != sys::FileLock::Result::kHeld) return true;
  MessageBox(updater::kKeyboardInUseText, "Keyboard In Use", MB_OK);
  CWnd* main = AfxGetMainWnd();
  (main ? main : this)->SendMessage(WM_CLOSE);
  return false;
}

// Generated demo firmware never reaches a real keyboard of the model whose
// identities the demo package borrows: refused before the channel opens.
bool CVexaroDlg::RefuseDemoPackage() {
  if (updater::DemoPackageRefusal().empty()) return false;
  MessageBox(std::string(package::kDemoPackageRefusal) +
                 "\nStart the program with --sim to try it on the simulated keyboard.",
             "Demo Package", MB_OK);
  CWnd* main = AfxGetMainWnd();
  (main ? main : this)->SendMessage(WM_CLOSE);
  return true;
}

void CVexaroDlg::EnableAutoUpdate() { m_autoUpdate = std::make_unique<AutoUpdate>(*this); }

bool CVexaroDlg::AutoUpdateSucceeded() const {
  return m_autoUpdate && m_autoUpdate->Result() == AutoUpdate::Outcome::Success;
}

void CVexaroDlg::ShowPackage() {
  const package::PackageInfo& info = package::ThePackageInfo();
  m_strWindowTitle = info.WindowTitle;
  m_strCompanyName = info.CompanyName;
  m_strProductName = info.ProductName;
  m_strUpdateVersion = info.UpdateVersion;
  SetWindowText(m_strWindowTitle);
  SetDlgItemText(kIdcCompanyName, m_strCompanyName);
  SetDlgItemText(kIdcProductName, m_strProductName);
  SetDlgItemText(kIdcUpdateVersion, m_strUpdateVersion);
}

void CVexaroDlg::RegisterForHidInterfaces() {
  ConnectHidDeviceEvents();
  DEV_BROADCAST_DEVICEINTERFACE filter;
  filter.dbcc_size = kDeviceInterfaceFilterSize;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = kHidInterfaceClassGuid;
  m_hDevNotify = RegisterDeviceNotification(m_hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void CVexaroDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, kIdcProgram, m_btnProgram);
  DDX_Control(dx, kIdcOk, m_btnOK);
  DDX_Control(dx, kIdcProgress, m_Progress);
}

void CVexaroDlg::SetupSkin() {
  HideControls({kIdcStatusLabel, kIdcConnection, kIdcResultLabel, kIdcStatus});
  CreateSkinButton(m_btnClose, kCloseButtonRect, kIdbCloseButton, kCloseStateWidth, kCloseStateHeight,
                   kIdbCloseButtonMask);
  CreateSkinButton(m_btnUpdate, kUpdateButtonRect, kIdbUpdateButton, kUpdateStateWidth, kUpdateStateHeight,
                   kIdbUpdateButtonMask);
  m_bmpProgressBack.LoadBitmap(kIdbProgressBack);
  m_bmpProgressFill.LoadBitmap(kIdbProgressFill);
  BITMAP bm{};
  m_bmpProgressBack.GetBitmap(&bm);
  m_rcProgress = RECT{kProgressOrigin.x, kProgressOrigin.y, kProgressOrigin.x + bm.bmWidth,
                      kProgressOrigin.y + bm.bmHeight};
  m_rcUpdateVersion = kUpdateVersionRect;
  m_rcProductName = kProductNameRect;
  m_rcCurrentVersion = kCurrentVersionRect;
  HideControls({kIdcCompanyLabel, kIdcProductLabel, kIdcUpdateVersionLabel, kIdcCurrentVersionLabel, kIdcNote1,
                kIdcNote2, kIdcNote3, kIdcCompanyName, kIdcProductName, kIdcUpdateVersion, kIdcCurrentVersion,
                kIdcOk, kIdcInfoGroup, kIdcUpdateGroup, kIdcProgress});
  BITMAP background{};
  m_bmpBackground.GetBitmap(&background);
  MoveWindow(0, 0, background.bmWidth, background.bmHeight, TRUE);
}

void CVexaroDlg::CreateSkinButton(CBitmapBtn& button, const RECT& rect, int stripId, int stateWidth,
                                  int stateHeight, int maskId) {
  CBitmap strip;
  strip.LoadBitmap(static_cast<UINT>(stripId));
  // Control id 0: the skinned buttons are told apart by their handles.
  button.Create("", kSkinButtonStyle, rect, this, 0);
  button.SetStateStrip(strip, stateWidth, stateHeight);
  CBitmap mask;
  mask.LoadBitmap(static_cast<UINT>(maskId));
  ApplyWindowShape(button, mask);
  mask.DeleteObject();
  strip.DeleteObject();
}

void CVexaroDlg::HideControls(std::initializer_list<int> ids) {
  for (int id : ids)
    if (CWnd* control = GetDlgItem(id)) control->ShowWindow(SW_HIDE);
}

}  // namespace vexaro::app
