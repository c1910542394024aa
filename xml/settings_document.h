// The process-wide settings document: the one XmlDocument the program keeps
// for its settings file, used on the user-interface thread only.
#pragma once

#include "xml/xml_document.h"

namespace vexaro::xml {

// Constructed empty on first use and kept until the process ends.
XmlDocument& TheSettingsDocument();

}  // namespace vexaro::xml
