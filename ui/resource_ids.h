// Numbers of the program's resources and of the controls in its dialog
// templates, shared by the windows that use them.
#pragma once

namespace vexaro::ui {

// Dialog templates.
constexpr int kIddMainWindow = 102;
constexpr int kIddResult = 103;

// Icon and skin bitmaps (res/skin/<id>-<name>.bmp).
constexpr int kIdiApplication = 129;
constexpr int kIdbBackground = 131;
constexpr int kIdbCloseButton = 132;
constexpr int kIdbUpdateButton = 133;
constexpr int kIdbUpdateButtonMask = 135;
constexpr int kIdbProgressBack = 137;
constexpr int kIdbProgressFill = 138;
constexpr int kIdbResultLayoutError = 139;
constexpr int kIdbResultFailed = 140;
constexpr int kIdbResultSuccess = 141;
constexpr int kIdbCloseButtonMask = 142;

// Controls of the main window template.
constexpr int kIdcProductName = 1000;
constexpr int kIdcCompanyName = 1002;
constexpr int kIdcProgram = 1003;
constexpr int kIdcConnection = 1004;
constexpr int kIdcStatusLabel = 1005;
constexpr int kIdcResultLabel = 1006;
constexpr int kIdcStatus = 1007;
constexpr int kIdcUpdateVersion = 1008;
constexpr int kIdcCurrentVersion = 1009;
constexpr int kIdcOk = 1010;
constexpr int kIdcProgress = 1011;
constexpr int kIdcCompanyLabel = 1012;
constexpr int kIdcProductLabel = 1013;
constexpr int kIdcUpdateVersionLabel = 1014;
constexpr int kIdcCurrentVersionLabel = 1015;
constexpr int kIdcNote1 = 1016;
constexpr int kIdcNote2 = 1017;
constexpr int kIdcNote3 = 1018;
constexpr int kIdcInfoGroup = 1019;
constexpr int kIdcUpdateGroup = 1020;

// Control of the result dialog template.
constexpr int kIdcResultText = 1021;

}  // namespace vexaro::ui
