// The window framework in one include: windows and messages, painting,
// dialogs and the window classes programs derive from, device notifications
// and embedded resources.
#pragma once

#include "platform/gui/afx/afx_app.h"
#include "platform/gui/afx/afx_dialog.h"
#include "platform/gui/afx/afx_gdi.h"
#include "platform/gui/afx/afx_tooltip.h"
#include "platform/gui/afx/afx_types.h"
#include "platform/gui/afx/afx_wnd.h"
#include "platform/gui/devnotify.h"
#include "platform/gui/dialog_template.h"
#include "platform/gui/display.h"
#include "platform/gui/gdi.h"
#include "platform/gui/input.h"
#include "platform/gui/resources.h"
#include "platform/gui/types.h"
#include "platform/gui/window.h"
