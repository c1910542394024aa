// The dialog template table, the control statements and dialog units.
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

#include "platform/gui/dialog_template.h"

namespace vexaro::gui {
namespace {

struct Templates {
  std::mutex m;
  std::map<int, std::unique_ptr<DialogTemplate>> table;
};

Templates& Table() {
  static Templates* t = new Templates;
  return *t;
}

DialogItem Item(const char* cls, std::string text, int id, int x, int y, int cx, int cy, DWORD style) {
  DialogItem item;
  item.id = id;
  item.className = cls;
  item.text = std::move(text);
  item.x = x;
  item.y = y;
  item.cx = cx;
  item.cy = cy;
  item.style = WS_CHILD | WS_VISIBLE | style;
  return item;
}

}  // namespace

DialogItem PushButton(std::string text, int id, int x, int y, int cx, int cy, DWORD style) {
  return Item("BUTTON", std::move(text), id, x, y, cx, cy, BS_PUSHBUTTON | WS_TABSTOP | style);
}
DialogItem DefPushButton(std::string text, int id, int x, int y, int cx, int cy, DWORD style) {
  return Item("BUTTON", std::move(text), id, x, y, cx, cy, BS_DEFPUSHBUTTON | WS_TABSTOP | style);
}
DialogItem LText(std::string text, int id, int x, int y, int cx, int cy, DWORD style) {
  return Item("STATIC", std::move(text), id, x, y, cx, cy, SS_LEFT | WS_GROUP | style);
}
DialogItem CText(std::string text, int id, int x, int y, int cx, int cy, DWORD style) {
  return Item("STATIC", std::move(text), id, x, y, cx, cy, SS_CENTER | WS_GROUP | style);
}
DialogItem RText(std::string text, int id, int x, int y, int cx, int cy, DWORD style) {
  return Item("STATIC", std::move(text), id, x, y, cx, cy, SS_RIGHT | WS_GROUP | style);
}
DialogItem EditText(int id, int x, int y, int cx, int cy, DWORD style) {
  return Item("EDIT", "", id, x, y, cx, cy, ES_LEFT | WS_BORDER | WS_TABSTOP | style);
}
DialogItem GroupBox(std::string text, int id, int x, int y, int cx, int cy, DWORD style) {
  return Item("BUTTON", std::move(text), id, x, y, cx, cy, BS_GROUPBOX | style);
}
DialogItem Progress(int id, int x, int y, int cx, int cy, DWORD style) {
  return Item("msctls_progress32", "", id, x, y, cx, cy, WS_BORDER | style);
}

void RegisterDialogTemplate(int id, DialogTemplate tmpl) {
  Templates& t = Table();
  std::lock_guard lock(t.m);
  t.table[id] = std::make_unique<DialogTemplate>(std::move(tmpl));
}

const DialogTemplate* FindDialogTemplate(int id) {
  Templates& t = Table();
  std::lock_guard lock(t.m);
  auto it = t.table.find(id);
  return it == t.table.end() ? nullptr : it->second.get();
}

SIZE DialogBaseUnits(int point_size) {
  // 8-point dialog fonts give 6 by 13 pixels at 96 dots per inch.
  const int pt = point_size > 0 ? point_size : 8;
  return {static_cast<LONG>(std::lround(pt * 6.0 / 8.0)), static_cast<LONG>(std::lround(pt * 13.0 / 8.0))};
}

RECT DialogUnitsToPixels(int point_size, int x, int y, int cx, int cy) {
  const SIZE base = DialogBaseUnits(point_size);
  auto hx = [&](int v) { return static_cast<LONG>(std::lround(v * base.cx / 4.0)); };
  auto vy = [&](int v) { return static_cast<LONG>(std::lround(v * base.cy / 8.0)); };
  return {hx(x), vy(y), hx(x) + hx(cx), vy(y) + vy(cy)};
}

}  // namespace vexaro::gui
