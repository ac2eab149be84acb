#include "view_design.h"

#include <cstring>
#include <nlohmann/json.hpp>

#include "bytes.h"
#include "lists.h"

namespace notes {
namespace {

using json = nlohmann::ordered_json;

ItemRecord TextItem(const char* name, WORD type, const std::string& data) {
  ItemRecord r;
  r.name = name;
  PutWord(&r.value, type);
  r.value += data;
  return r;
}

const ItemView* Find(const std::vector<ItemView>& items, const char* name, WORD type) {
  for (const ItemView& item : items) {
    WORD t;
    std::memcpy(&t, item.value, 2);
    if (item.name_length == std::strlen(name) && !std::memcmp(item.name, name, item.name_length) &&
        t == type)
      return &item;
  }
  return nullptr;
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(sep, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return parts;
}

}  // namespace

bool ViewDesignFromJson(const std::string& json_text, ViewDesign* design, std::string* place,
                        std::string* error) {
  const json v = json::parse(json_text);
  auto fail = [&](const std::string& p, const std::string& e) {
    *place = p;
    *error = e;
    return false;
  };
  if (!v.is_object()) return fail("", "must be an object");
  for (auto it = v.begin(); it != v.end(); ++it)
    if (it.key() != "title" && it.key() != "aliases" && it.key() != "flags" &&
        it.key() != "selection" && it.key() != "columns")
      return fail(it.key(), "unknown key");
  if (!v.contains("title") || !v["title"].is_string() || v["title"].get<std::string>().empty())
    return fail("title", "must be a non-empty string");
  design->title = v["title"].get<std::string>();
  if (design->title.find('|') != std::string::npos) return fail("title", "cannot hold '|'");
  if (v.contains("aliases")) {
    if (!v["aliases"].is_array()) return fail("aliases", "must be an array of strings");
    for (size_t i = 0; i < v["aliases"].size(); ++i) {
      const json& a = v["aliases"][i];
      if (!a.is_string() || a.get<std::string>().empty() ||
          a.get<std::string>().find('|') != std::string::npos)
        return fail("aliases[" + std::to_string(i) + "]", "must be a non-empty string without '|'");
      design->aliases.push_back(a.get<std::string>());
    }
  }
  if (v.contains("flags")) {
    if (!v["flags"].is_string()) return fail("flags", "must be a string");
    design->flags = v["flags"].get<std::string>();
  }
  if (v.contains("selection")) {
    if (!v["selection"].is_string()) return fail("selection", "must be a string");
    design->selection = v["selection"].get<std::string>();
  }
  if (v.contains("columns")) {
    if (!v["columns"].is_array()) return fail("columns", "must be an array");
    for (size_t i = 0; i < v["columns"].size(); ++i) {
      const std::string p = "columns[" + std::to_string(i) + "]";
      const json& c = v["columns"][i];
      if (!c.is_object()) return fail(p, "must be an object");
      ViewColumn column;
      for (auto it = c.begin(); it != c.end(); ++it) {
        if (it.key() == "item") {
          if (!it.value().is_string() || it.value().get<std::string>().empty())
            return fail(p + ".item", "must be a non-empty string");
          column.item = it.value().get<std::string>();
        } else if (it.key() == "categorized") {
          if (!it.value().is_boolean()) return fail(p + ".categorized", "must be true or false");
          column.categorized = it.value().get<bool>();
        } else if (it.key() == "sort") {
          const std::string s = it.value().is_string() ? it.value().get<std::string>() : "";
          if (s == "ascending") column.sort = ViewColumn::kAscending;
          else if (s == "descending") column.sort = ViewColumn::kDescending;
          else return fail(p + ".sort", "must be \"ascending\" or \"descending\"");
        } else {
          return fail(p + "." + it.key(), "unknown key");
        }
      }
      if (column.item.empty()) return fail(p + ".item", "is required");
      design->columns.push_back(column);
    }
  }
  return true;
}

std::string ViewDesignToJson(const ViewDesign& d) {
  json v;
  v["title"] = d.title;
  if (!d.aliases.empty()) v["aliases"] = d.aliases;
  if (!d.flags.empty()) v["flags"] = d.flags;
  v["selection"] = d.selection;
  v["columns"] = json::array();
  for (const ViewColumn& c : d.columns) {
    json col;
    col["item"] = c.item;
    if (c.categorized) col["categorized"] = true;
    if (c.sort != ViewColumn::kNone)
      col["sort"] = c.sort == ViewColumn::kAscending ? "ascending" : "descending";
    v["columns"].push_back(col);
  }
  return v.dump();
}

std::vector<ItemRecord> ViewDesignItems(const ViewDesign& d) {
  std::string title = d.title;
  for (const auto& a : d.aliases) title += "|" + a;
  std::vector<std::string> columns;
  for (const ViewColumn& c : d.columns) {
    std::string flags = c.categorized ? "C" : "";
    if (c.sort == ViewColumn::kAscending) flags += "A";
    if (c.sort == ViewColumn::kDescending) flags += "D";
    columns.push_back(flags + ":" + c.item);
  }
  std::string list;
  EncodeTextList(columns, &list);
  return {TextItem("$TITLE", TYPE_TEXT, title), TextItem("$Flags", TYPE_TEXT, d.flags),
          TextItem("$Formula", TYPE_TEXT, d.selection),
          TextItem("$Columns", TYPE_TEXT_LIST, list)};
}

bool ViewDesignFromItems(const std::vector<ItemView>& items, ViewDesign* d) {
  const ItemView* title = Find(items, "$TITLE", TYPE_TEXT);
  const ItemView* flags = Find(items, "$Flags", TYPE_TEXT);
  const ItemView* formula = Find(items, "$Formula", TYPE_TEXT);
  const ItemView* columns = Find(items, "$Columns", TYPE_TEXT_LIST);
  if (!title || !flags || !formula || !columns) return false;
  auto text = [](const ItemView* i) {
    return std::string(reinterpret_cast<const char*>(i->value) + 2, i->value_length - 2);
  };
  std::vector<std::string> names = Split(text(title), '|');
  d->title = names[0];
  d->aliases.assign(names.begin() + 1, names.end());
  d->flags = text(flags);
  d->selection = text(formula);
  std::vector<std::string> column_texts;
  if (!DecodeTextList(columns->value + 2, columns->value_length - 2, &column_texts)) return false;
  d->columns.clear();
  for (const std::string& column_text : column_texts) {
    const size_t colon = column_text.find(':');
    if (colon == std::string::npos) return false;
    ViewColumn c;
    c.item = column_text.substr(colon + 1);
    for (char f : column_text.substr(0, colon)) {
      if (f == 'C') c.categorized = true;
      else if (f == 'A') c.sort = ViewColumn::kAscending;
      else if (f == 'D') c.sort = ViewColumn::kDescending;
      else return false;
    }
    d->columns.push_back(c);
  }
  return true;
}

}  // namespace notes
