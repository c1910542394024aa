// Dialog templates as data: the dialog's style, size in dialog units, caption
// and font, and its controls. Programs register their templates under numeric
// ids; CDialog creates a dialog from one.
#pragma once

#include <string>
#include <vector>

#include "platform/gui/types.h"

namespace vexaro::gui {

struct DialogItem {
  int id = 0;
  std::string className;  // "BUTTON", "STATIC", "EDIT", "msctls_progress32"
  std::string text;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  DWORD style = 0;                   // WS_CHILD is always added
  DWORD exStyle = 0;
};

struct DialogTemplate {
  DWORD style = WS_POPUP | WS_SYSMENU;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  std::string caption;
  std::string fontFace = "MS Shell Dlg";
  int pointSize = 8;
  std::vector<DialogItem> items;
};

// The usual control statements of a dialog script. Visible and, for
// buttons and edit fields, tab stops unless the style says otherwise
// (WS_DISABLED, or remove WS_VISIBLE through the returned item).
DialogItem PushButton(std::string text, int id, int x, int y, int cx, int cy, DWORD style = 0);
DialogItem DefPushButton(std::string text, int id, int x, int y, int cx, int cy, DWORD style = 0);
DialogItem LText(std::string text, int id, int x, int y, int cx, int cy, DWORD style = 0);
DialogItem CText(std::string text, int id, int x, int y, int cx, int cy, DWORD style = 0);
DialogItem RText(std::string text, int id, int x, int y, int cx, int cy, DWORD style = 0);
DialogItem EditText(int id, int x, int y, int cx, int cy, DWORD style = 0);
DialogItem GroupBox(std::string text, int id, int x, int y, int cx, int cy, DWORD style = 0);
DialogItem Progress(int id, int x, int y, int cx, int cy, DWORD style = 0);

// Templates are registered once (usually by a static registration object in
// the program's resource file); re-registering an id replaces it.
void RegisterDialogTemplate(int id, DialogTemplate tmpl);
const DialogTemplate* FindDialogTemplate(int id);

// Dialog base units for a font size: pixels per 4 horizontal and per 8
// vertical dialog units.
SIZE DialogBaseUnits(int point_size);
RECT DialogUnitsToPixels(int point_size, int x, int y, int cx, int cy);

}  // namespace vexaro::gui
