// notesdb dump: a database described as JSON that builds it again.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

#include "bytes.h"
#include "description.h"
#include "description_text.h"
#include "item_codec.h"
#include "lists.h"
#include "ods.h"
#include "rich_text.h"
#include "status.h"
#include "store.h"
#include "timedate.h"
#include "view_design.h"

namespace notes {

using json = nlohmann::ordered_json;

namespace {

json HexItem(const std::string& name, WORD flags, WORD type, const std::string& data) {
  json j;
  j["name"] = name;
  j["type"] = type;
  if (flags) j["flags"] = flags;
  j["hex"] = ToHex(data);
  return j;
}

// The value of an object item as an ATTACHMENT, when rebuilding it gives the
// same bytes.
bool DescribeAttachment(const std::string& data, const NoteHeader& header, Database* db,
                        json* out) {
  if (data.size() < OdsLength(_FILEOBJECT)) return false;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data());
  FILEOBJECT f;
  OdsRead(&p, _FILEOBJECT, &f);
  if (data.size() != OdsLength(_FILEOBJECT) + size_t(f.FileNameLength)) return false;
  json j;
  j["filename"] = data.substr(OdsLength(_FILEOBJECT));
  if (!ValidUtf8(j["filename"].get<std::string>())) return false;
  j["host"] = f.HostType;
  WORD type, object_class;
  DWORD size;
  std::string content;
  const bool present = db->ObjectInfo(f.Header.RRV, &type, &object_class, &size) == kOk;
  if (present) {
    if (type != f.Header.ObjectType) return false;
    sqlite3_stmt* s;
    if (sqlite3_prepare_v2(db->sqlite(), "SELECT data FROM objects WHERE id = ?", -1, &s,
                           nullptr) != SQLITE_OK)
      return false;
    sqlite3_bind_int64(s, 1, f.Header.RRV);
    if (sqlite3_step(s) == SQLITE_ROW)
      content.assign(static_cast<const char*>(sqlite3_column_blob(s, 0)),
                     size_t(sqlite3_column_bytes(s, 0)));
    sqlite3_finalize(s);
    if (ValidUtf8(content)) j["content"] = content;
    else j["content_hex"] = ToHex(content);
  } else {
    j["object"] = "missing";
  }
  if (f.Header.ObjectType != 0) j["object_type"] = f.Header.ObjectType;
  if (present && object_class != 1) j["object_class"] = object_class;
  // The builder's fields: what else it writes must match.
  if (f.CompressionType || f.Flags || f.FileSize != content.size() ||
      TimeKey(f.FileCreated) != TimeKey(header.modified) ||
      TimeKey(f.FileModified) != TimeKey(header.modified))
    return false;
  *out = j;
  return true;
}

json DescribeItem(const ItemView& item, const NoteHeader& header, Database* db) {
  const std::string name(item.name, item.name_length);
  WORD type;
  std::memcpy(&type, item.value, 2);
  const std::string data(reinterpret_cast<const char*>(item.value) + 2, item.value_length - 2);
  const unsigned char* d = item.value + 2;
  json j;
  j["name"] = name;
  json value;
  bool ok = ValidUtf8(name);
  const char* type_name = nullptr;
  if (ok) switch (type) {
    case TYPE_NUMBER:
      ok = data.size() == 8 && std::isfinite(LoadDouble(d));
      if (ok) value = LoadDouble(d);
      type_name = "number";
      break;
    case TYPE_TIME: {
      ok = data.size() == 8;
      if (ok) {
        TIMEDATE t;
        t.Innards[0] = LoadDword(d);
        t.Innards[1] = LoadDword(d + 4);
        const std::string text = FormatTime(t);
        TIMEDATE back;
        size_t consumed;
        ok = ParseTime(text.data(), text.size(), &back, &consumed) == kOk &&
             TimeKey(back) == TimeKey(t);
        value = text;
      }
      type_name = "time";
      break;
    }
    case TYPE_TEXT:
    case TYPE_HTML:
      ok = ValidUtf8(data);
      value = data;
      type_name = type == TYPE_TEXT ? "text" : "html";
      break;
    case TYPE_TEXT_LIST: {
      std::vector<std::string> texts;
      std::string again;
      ok = DecodeTextList(d, data.size(), &texts) && EncodeTextList(texts, &again) &&
           again == data;
      value = json::array();
      for (const auto& t : texts) {
        ok = ok && ValidUtf8(t);
        value.push_back(t);
      }
      type_name = "textlist";
      break;
    }
    case TYPE_NUMBER_RANGE: {
      std::vector<double> numbers;
      ok = DecodeNumberList(d, data.size(), &numbers);
      value = json::array();
      for (double n : numbers) {
        ok = ok && std::isfinite(n);
        value.push_back(n);
      }
      type_name = "numberlist";
      break;
    }
    case TYPE_TIME_RANGE: {
      std::vector<TIMEDATE> times;
      ok = DecodeTimeList(d, data.size(), &times);
      value = json::array();
      for (const auto& t : times) {
        const std::string text = FormatTime(t);
        TIMEDATE back;
        size_t consumed;
        ok = ok && ParseTime(text.data(), text.size(), &back, &consumed) == kOk &&
             TimeKey(back) == TimeKey(t);
        value.push_back(text);
      }
      type_name = "timelist";
      break;
    }
    case TYPE_COMPOSITE: {
      value = json::array();
      for (const RecordDescription& r : DescribeRecords(d, data.size())) {
        json rec;
        if (r.kind == RecordDescription::kText && ValidUtf8(r.bytes)) {
          if (r.signature != SIG_TEXT_RUN) {
            char sig[8];
            std::snprintf(sig, sizeof sig, "0x%04X", r.signature);
            rec["sig"] = sig;
          }
          rec["text"] = r.bytes;
        } else if (r.kind == RecordDescription::kBare) {
          char sig[8];
          std::snprintf(sig, sizeof sig, "0x%04X", r.signature);
          rec["sig"] = sig;
        } else {
          std::string raw = r.bytes;
          if (r.kind == RecordDescription::kText) {
            raw.clear();
            EncodeTextRecord(r.signature, r.bytes, &raw);
          }
          rec["hex"] = ToHex(raw);
        }
        value.push_back(rec);
      }
      type_name = "richtext";
      break;
    }
    case TYPE_OBJECT: {
      json attachment;
      ok = DescribeAttachment(data, header, db, &attachment);
      if (ok) {
        j["type"] = "attachment";
        if (item.flags) j["flags"] = item.flags;
        for (auto it = attachment.begin(); it != attachment.end(); ++it) j[it.key()] = it.value();
        return j;
      }
      break;
    }
    default:
      ok = false;
  }
  if (!ok || !type_name) return HexItem(name, item.flags, type, data);
  j["type"] = type_name;
  if (item.flags) j["flags"] = item.flags;
  j["value"] = value;
  return j;
}

}  // namespace

bool DumpDatabase(const std::string& path, std::string* json_text, std::string* error) {
  std::shared_ptr<Database> db;
  const STATUS status = Database::Open(path, &db);
  if (status != kOk) {
    *error = path + ": " + ErrorText(status);
    return false;
  }
  json out;
  if (!db->title().empty()) out["title"] = db->title();
  out["notes"] = json::array();
  json views = json::array();
  sqlite3_stmt* s;
  if (sqlite3_prepare_v2(db->sqlite(), "SELECT id FROM notes ORDER BY id", -1, &s, nullptr) !=
      SQLITE_OK) {
    *error = path + ": cannot read notes";
    return false;
  }
  std::vector<NOTEID> ids;
  while (sqlite3_step(s) == SQLITE_ROW) ids.push_back(NOTEID(sqlite3_column_int64(s, 0)));
  sqlite3_finalize(s);
  TIMEDATE base;
  MakeTime(2026, 1, 1, 0, 0, 0, 0, &base);
  for (NOTEID id : ids) {
    NoteHeader h;
    const unsigned char* blob;
    size_t size;
    const STATUS st = db->ReadNote(id, &h, &blob, &size);
    DecodedItems items;
    if ((st != kOk && st != kErrNoteDeleted) || !DecodeItems(blob, size, &items)) {
      *error = path + ": note " + std::to_string(id) + " is damaged";
      return false;
    }
    if (h.note_class == NOTE_CLASS_VIEW) {
      ViewDesign design;
      if (ViewDesignFromItems(items.items, &design)) {
        views.push_back(json::parse(ViewDesignToJson(design)));
        continue;
      }
    }
    json n;
    n["id"] = id;
    if (h.note_class != NOTE_CLASS_DOCUMENT) n["class"] = h.note_class;
    n["unid"] = UnidText(h.unid);
    if (TimeKey(h.modified) != TimeKey(AddSeconds(base, id))) n["modified"] = FormatTime(h.modified);
    if (h.deleted) n["deleted"] = true;
    n["items"] = json::array();
    for (const ItemView& item : items.items) n["items"].push_back(DescribeItem(item, h, db.get()));
    out["notes"].push_back(n);
  }
  if (!views.empty()) out["views"] = views;
  *json_text = out.dump(2);
  return true;
}

}  // namespace notes
