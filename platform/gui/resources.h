// Resources embedded in the program at build time (skin bitmaps, icons),
// found by numeric id. The build turns every file named <id>-<name>.bmp or
// <id>-<name>.ico of a resource folder into a table that registers itself
// when the program starts; LoadBitmap and LoadIcon (window.h) decode them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/gdi.h"

namespace vexaro::gui {

struct EmbeddedResource {
  int id;
  const char* kind;  // "bmp" or "ico"
  const unsigned char* data;
  std::size_t size;
  const char* name;  // file name, for messages
};

// Called by the generated tables; a later table replaces entries of the same
// id and kind. Returns true so that it can initialise a static.
bool RegisterResources(const EmbeddedResource* table, std::size_t count);
const EmbeddedResource* FindResource(int id, std::string_view kind);
// Every registered resource, ordered by id.
std::vector<const EmbeddedResource*> ListResources();

// Decoders, also for files read at run time. They check every size and
// offset against the data and say what was wrong in *error.
HBITMAP DecodeBmp(const unsigned char* data, std::size_t size, std::string* error);
HICON DecodeIco(const unsigned char* data, std::size_t size, std::string* error);

}  // namespace vexaro::gui
