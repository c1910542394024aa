// The settings document instance.
#include "xml/settings_document.h"

namespace vexaro::xml {

XmlDocument& SettingsDocument() {
  static XmlDocument document;
  return document;
}

}  // namespace vexaro::xml
