// The settings document instance.
#include "xml/settings_document.h"

namespace vexaro::xml {

XmlDocument& TheSettingsDocument() {
  static XmlDocument document;
  return document;
}

}  // namespace vexaro::xml
