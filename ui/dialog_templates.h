// The program's dialog templates as data: the main window (102) and the
// result dialog (103), registered with the window framework by number.
#pragma once

#include "platform/gui/dialog_template.h"

namespace vexaro::ui {

gui::DialogTemplate MainWindowTemplate();
gui::DialogTemplate ResultDialogTemplate();

// Registers both templates under their numbers; later calls do nothing.
void RegisterDialogTemplates();

}  // namespace vexaro::ui
