// View designs: what a VIEW of a description says, and the items of the
// view design note (class 0x0008) that holds it.
//
// Items of a view note: "$TITLE" text "Title|alias|alias", "$Flags" text,
// "$Formula" text (the selection formula's source), "$Columns" text list
// with one "FLAGS:item" entry per column, FLAGS from C (categorized),
// A (ascending), D (descending).
#ifndef LIBNOTES_VIEW_DESIGN_H_
#define LIBNOTES_VIEW_DESIGN_H_

#include <string>
#include <vector>

#include "item_codec.h"

namespace notes {

struct ViewColumn {
  std::string item;
  bool categorized = false;
  enum Sort { kNone, kAscending, kDescending } sort = kNone;
};

struct ViewDesign {
  std::string title;
  std::vector<std::string> aliases;
  std::string flags;
  std::string selection = "SELECT @All";
  std::vector<ViewColumn> columns;
};

// From a VIEW's JSON text; on failure *place (relative to the VIEW) and
// *error say what is wrong.
bool ViewDesignFromJson(const std::string& json_text, ViewDesign* design, std::string* place,
                        std::string* error);
std::string ViewDesignToJson(const ViewDesign& design);

std::vector<ItemRecord> ViewDesignItems(const ViewDesign& design);
bool ViewDesignFromItems(const std::vector<ItemView>& items, ViewDesign* design);

}  // namespace notes

#endif  // LIBNOTES_VIEW_DESIGN_H_
