// notesdb build: a database from its JSON description.
#include "description.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "bytes.h"
#include "collection.h"
#include "item_codec.h"
#include "lists.h"
#include "ods.h"
#include "rich_text.h"
#include "status.h"
#include "store.h"
#include "timedate.h"
#include "view_design.h"

namespace notes {
namespace {

using json = nlohmann::ordered_json;

// A description error: where, and what is wrong.
struct Invalid {
  std::string place;
  std::string message;
};

[[noreturn]] void Fail(const std::string& place, const std::string& message) {
  throw Invalid{place, message};
}

std::string Join(const std::string& place, const std::string& key) {
  return place.empty() ? key : place + "." + key;
}

std::string Index(const std::string& place, size_t i) {
  return place + "[" + std::to_string(i) + "]";
}

void AllowOnly(const json& object, const std::string& place,
               std::initializer_list<const char*> keys) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    bool known = false;
    for (const char* k : keys) known = known || it.key() == k;
    if (!known) Fail(Join(place, it.key()), "unknown key");
  }
}

const json& Require(const json& object, const char* key, const std::string& place) {
  auto it = object.find(key);
  if (it == object.end()) Fail(Join(place, key), "is required");
  return *it;
}

std::string String(const json& v, const std::string& place) {
  if (!v.is_string()) Fail(place, "must be a string");
  return v.get<std::string>();
}

uint64_t Unsigned(const json& v, const std::string& place, uint64_t max) {
  if (!v.is_number_integer() || (v.is_number_integer() && v.get<int64_t>() < 0 &&
                                 !v.is_number_unsigned()))
    Fail(place, "must be a whole number from 0 to " + std::to_string(max));
  const uint64_t n = v.get<uint64_t>();
  if (n > max) Fail(place, "must be a whole number from 0 to " + std::to_string(max));
  return n;
}

double Number(const json& v, const std::string& place) {
  if (!v.is_number()) Fail(place, "must be a number");
  return v.get<double>();
}

TIMEDATE Time(const json& v, const std::string& place) {
  const std::string text = String(v, place);
  TIMEDATE t;
  size_t consumed;
  if (ParseTime(text.data(), text.size(), &t, &consumed) != kOk)
    Fail(place, "is not a time text (YYYY-MM-DDTHH:MM:SS.hhZ): \"" + text + "\"");
  return t;
}

std::string Hex(const json& v, const std::string& place) {
  const std::string text = String(v, place);
  std::string bytes;
  int high = -1;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (c == ' ' || c == '\n' || c == '\t') continue;
    else Fail(place, "is not hexadecimal");
    if (high < 0) {
      high = d;
    } else {
      bytes.push_back(char(high << 4 | d));
      high = -1;
    }
  }
  if (high >= 0) Fail(place, "has an odd number of hex digits");
  return bytes;
}

WORD Signature(const json& v, const std::string& place) {
  if (v.is_number_integer()) return WORD(Unsigned(v, place, 0xFFFF));
  const std::string text = String(v, place);
  char* end = nullptr;
  const unsigned long n = std::strtoul(text.c_str(), &end, 0);
  if (text.empty() || *end || n > 0xFFFF) Fail(place, "is not a 16-bit signature");
  return WORD(n);
}

std::string ReadFile(const std::string& path, const std::string& place) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(place, "cannot read file \"" + path + "\"");
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// An attachment's object, added when the note is written.
struct PendingObject {
  bool present = false;
  WORD type = 0;
  WORD object_class = 1;
  std::string content;
};

const std::map<std::string, WORD>& TypeNames() {
  static const std::map<std::string, WORD> names = {
      {"number", TYPE_NUMBER},     {"time", TYPE_TIME},           {"text", TYPE_TEXT},
      {"textlist", TYPE_TEXT_LIST}, {"html", TYPE_HTML},          {"numberlist", TYPE_NUMBER_RANGE},
      {"timelist", TYPE_TIME_RANGE}, {"richtext", TYPE_COMPOSITE}, {"attachment", TYPE_OBJECT}};
  return names;
}

std::string RichTextData(const json& v, const std::string& place) {
  if (!v.is_array()) Fail(place, "must be an array of records");
  std::string data;
  for (size_t i = 0; i < v.size(); ++i) {
    const std::string rp = Index(place, i);
    const json& r = v[i];
    if (!r.is_object()) Fail(rp, "must be an object");
    AllowOnly(r, rp, {"text", "sig", "hex"});
    if (r.contains("hex")) {
      if (r.size() != 1) Fail(rp, "a hex record has no other keys");
      data += Hex(r["hex"], Join(rp, "hex"));
      continue;
    }
    const WORD sig = r.contains("sig") ? Signature(r["sig"], Join(rp, "sig")) : SIG_TEXT_RUN;
    if (r.contains("text")) {
      if (!IsTextSignature(sig)) Fail(Join(rp, "sig"), "is not a text signature");
      if (!EncodeTextRecord(sig, String(r["text"], Join(rp, "text")), &data))
        Fail(Join(rp, "text"), "is too long for one record");
    } else if (!r.contains("sig")) {
      Fail(rp, "needs \"text\", \"sig\" or \"hex\"");
    } else if (IsTextSignature(sig)) {
      EncodeTextRecord(sig, "", &data);
    } else if (!EncodeBareRecord(sig, &data)) {
      Fail(Join(rp, "sig"), "must be 0x0000-0x00FF or 0xFF00-0xFFFF (give byte-form records as hex)");
    }
  }
  return data;
}

// The value bytes (data type word first) of an ITEM, and its object if any.
ItemRecord EncodeItem(const json& item, const std::string& place, const std::string& base_dir,
                      const TIMEDATE& modified, PendingObject* object) {
  if (!item.is_object()) Fail(place, "must be an object");
  ItemRecord record;
  record.name = String(Require(item, "name", place), Join(place, "name"));
  if (record.name.size() > 0xFFFF) Fail(Join(place, "name"), "is longer than 65,535 bytes");
  if (item.contains("flags")) record.flags = WORD(Unsigned(item["flags"], Join(place, "flags"), 0xFFFF));
  const json& type_json = Require(item, "type", place);
  WORD type;
  std::string type_name;
  if (type_json.is_number_integer()) {
    type = WORD(Unsigned(type_json, Join(place, "type"), 0xFFFF));
  } else if (type_json.is_string()) {
    type_name = type_json.get<std::string>();
    auto it = TypeNames().find(type_name);
    if (it == TypeNames().end()) Fail(Join(place, "type"), "unknown type \"" + type_name + "\"");
    type = it->second;
  } else {
    Fail(Join(place, "type"), "must be a type name or a number");
  }
  std::string data;
  PutWord(&record.value, type);
  if (item.contains("hex")) {
    AllowOnly(item, place, {"name", "type", "flags", "hex"});
    record.value += Hex(item["hex"], Join(place, "hex"));
    return record;
  }
  if (type_name.empty()) Fail(place, "an item of a numeric type needs \"hex\"");
  if (type == TYPE_OBJECT) {
    AllowOnly(item, place,
              {"name", "type", "flags", "filename", "host", "content", "content_hex",
               "content_file", "object_type", "object_class", "object"});
    const std::string filename = String(Require(item, "filename", place), Join(place, "filename"));
    if (filename.size() > 0xFFFF) Fail(Join(place, "filename"), "is too long");
    FILEOBJECT f = {};
    f.HostType = item.contains("host") ? WORD(Unsigned(item["host"], Join(place, "host"), 0xFFFF)) : 0;
    object->type = item.contains("object_type")
                       ? WORD(Unsigned(item["object_type"], Join(place, "object_type"), 0xFFFF))
                       : 0;
    object->object_class =
        item.contains("object_class")
            ? WORD(Unsigned(item["object_class"], Join(place, "object_class"), 0xFFFF))
            : 1;
    int sources = int(item.contains("content")) + int(item.contains("content_hex")) +
                  int(item.contains("content_file"));
    const bool missing = item.contains("object");
    if (missing && String(item["object"], Join(place, "object")) != "missing")
      Fail(Join(place, "object"), "can only be \"missing\"");
    if (missing ? sources != 0 : sources != 1)
      Fail(place, missing ? "a missing object has no content"
                          : "needs one of content, content_hex, content_file");
    if (item.contains("content")) object->content = String(item["content"], Join(place, "content"));
    if (item.contains("content_hex")) object->content = Hex(item["content_hex"], Join(place, "content_hex"));
    if (item.contains("content_file")) {
      std::string path = String(item["content_file"], Join(place, "content_file"));
      if (!path.empty() && path[0] != '/' && !base_dir.empty()) path = base_dir + "/" + path;
      object->content = ReadFile(path, Join(place, "content_file"));
    }
    if (object->content.size() > 0xFFFFFFFFull) Fail(place, "content is larger than 4 GB");
    object->present = !missing;
    f.Header.ObjectType = object->type;
    f.Header.RRV = 0;  // set when the object is written
    f.FileNameLength = WORD(filename.size());
    f.FileSize = DWORD(object->content.size());
    f.FileCreated = modified;
    f.FileModified = modified;
    PutFileObject(&record.value, f);
    record.value += filename;
    return record;
  }
  AllowOnly(item, place, {"name", "type", "flags", "value"});
  const json& v = Require(item, "value", place);
  const std::string vp = Join(place, "value");
  switch (type) {
    case TYPE_NUMBER:
      PutDouble(&record.value, Number(v, vp));
      break;
    case TYPE_TIME:
      PutTimedate(&record.value, Time(v, vp));
      break;
    case TYPE_TEXT:
    case TYPE_HTML:
      record.value += String(v, vp);
      break;
    case TYPE_TEXT_LIST: {
      if (!v.is_array()) Fail(vp, "must be an array of strings");
      std::vector<std::string> texts;
      for (size_t i = 0; i < v.size(); ++i) texts.push_back(String(v[i], Index(vp, i)));
      if (!EncodeTextList(texts, &data)) Fail(vp, "has a text or a count over 65,535");
      record.value += data;
      break;
    }
    case TYPE_NUMBER_RANGE: {
      if (!v.is_array() || v.size() > 0xFFFF) Fail(vp, "must be an array of numbers");
      std::vector<double> numbers;
      for (size_t i = 0; i < v.size(); ++i) numbers.push_back(Number(v[i], Index(vp, i)));
      EncodeNumberList(numbers, &record.value);
      break;
    }
    case TYPE_TIME_RANGE: {
      if (!v.is_array() || v.size() > 0xFFFF) Fail(vp, "must be an array of time texts");
      std::vector<TIMEDATE> times;
      for (size_t i = 0; i < v.size(); ++i) times.push_back(Time(v[i], Index(vp, i)));
      EncodeTimeList(times, &record.value);
      break;
    }
    case TYPE_COMPOSITE:
      record.value += RichTextData(v, vp);
      break;
  }
  return record;
}

void Splitmix(uint64_t* state, DWORD* a, DWORD* b) {
  uint64_t z = (*state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  *a = DWORD(z);
  *b = DWORD(z >> 32);
}

// The File part from the ID, the Note part the note's creation time (here
// its default modified time), as @Created reads it.
UNID DefaultUnid(NOTEID id) {
  UNID u;
  uint64_t state = id;
  Splitmix(&state, &u.File.Innards[0], &u.File.Innards[1]);
  TIMEDATE base;
  MakeTime(2026, 1, 1, 0, 0, 0, 0, &base);
  u.Note = AddSeconds(base, id);
  return u;
}

UNID ParseUnid(const json& v, const std::string& place) {
  const std::string text = String(v, place);
  if (text.size() != 32 || text.find_first_not_of("0123456789abcdef") != std::string::npos)
    Fail(place, "must be 32 lowercase hexadecimal digits");
  DWORD w[4];
  for (int i = 0; i < 4; ++i) w[i] = DWORD(std::stoul(text.substr(8 * i, 8), nullptr, 16));
  UNID u;
  u.Note.Innards[1] = w[0];
  u.Note.Innards[0] = w[1];
  u.File.Innards[1] = w[2];
  u.File.Innards[0] = w[3];
  return u;
}

NOTEID ParseId(const json& v, const std::string& place) {
  const uint64_t id = Unsigned(v, place, 0x7FFFFFFC);
  if (id < 4 || id % 4) Fail(place, "must be a multiple of 4 from 4 to 0x7FFFFFFC");
  return NOTEID(id);
}

struct NoteToWrite {
  NoteHeader header;
  std::vector<ItemRecord> items;
  std::vector<PendingObject> objects;  // one per item, most not present
};

void Build(const json& desc, const std::string& base_dir, const std::string& path,
           DatabaseWriter* writer) {
  if (!desc.is_object()) Fail("description", "must be an object");
  AllowOnly(desc, "", {"title", "notes", "views"});
  std::string title;
  if (desc.contains("title")) title = String(desc["title"], "title");
  (void)title;
  const json empty = json::array();
  const json& notes = desc.contains("notes") ? desc["notes"] : empty;
  const json& views = desc.contains("views") ? desc["views"] : empty;
  if (!notes.is_array()) Fail("notes", "must be an array");
  if (!views.is_array()) Fail("views", "must be an array");
  // Explicit IDs first, so that default IDs step around them.
  std::set<NOTEID> used;
  for (size_t i = 0; i < notes.size(); ++i) {
    const std::string place = Index("notes", i);
    if (!notes[i].is_object()) Fail(place, "must be an object");
    if (notes[i].contains("id")) {
      const NOTEID id = ParseId(notes[i]["id"], Join(place, "id"));
      if (!used.insert(id).second) Fail(Join(place, "id"), "is used twice");
    }
  }
  NOTEID next = 4;
  auto next_free = [&]() {
    while (used.count(next)) next += 4;
    if (next > 0x7FFFFFFC) Fail("notes", "no note IDs left");
    used.insert(next);
    return next;
  };
  for (size_t i = 0; i < notes.size(); ++i) {
    const std::string place = Index("notes", i);
    const json& n = notes[i];
    AllowOnly(n, place, {"id", "class", "unid", "modified", "deleted", "items"});
    NoteToWrite note;
    NoteHeader& h = note.header;
    h.id = n.contains("id") ? ParseId(n["id"], Join(place, "id")) : next_free();
    h.note_class = n.contains("class") ? WORD(Unsigned(n["class"], Join(place, "class"), 0xFFFF))
                                       : WORD(NOTE_CLASS_DOCUMENT);
    h.unid = n.contains("unid") ? ParseUnid(n["unid"], Join(place, "unid")) : DefaultUnid(h.id);
    if (n.contains("modified")) {
      h.modified = Time(n["modified"], Join(place, "modified"));
    } else {
      TIMEDATE base;
      MakeTime(2026, 1, 1, 0, 0, 0, 0, &base);
      h.modified = AddSeconds(base, h.id);
    }
    if (n.contains("deleted")) {
      if (!n["deleted"].is_boolean()) Fail(Join(place, "deleted"), "must be true or false");
      h.deleted = n["deleted"].get<bool>();
    }
    if (n.contains("items")) {
      const json& items = n["items"];
      if (!items.is_array()) Fail(Join(place, "items"), "must be an array");
      for (size_t k = 0; k < items.size(); ++k) {
        PendingObject object;
        note.items.push_back(
            EncodeItem(items[k], Index(Join(place, "items"), k), base_dir, h.modified, &object));
        note.objects.push_back(std::move(object));
      }
    }
    // Objects get their IDs as they are written; the item points at them.
    for (size_t k = 0; k < note.items.size(); ++k) {
      const PendingObject& object = note.objects[k];
      if (!object.present) continue;
      DWORD object_id;
      if (writer->AddObject(object.type, object.object_class, object.content, &object_id) != kOk)
        Fail(Index(Join(place, "items"), k), "could not store the object");
      StoreDword(&note.items[k].value[2 + 2], object_id);
    }
    if (writer->AddNote(h, EncodeItems(note.items)) != kOk) Fail(place, "could not store the note");
  }
  std::vector<NOTEID> view_ids;
  for (size_t i = 0; i < views.size(); ++i) {
    const std::string place = Index("views", i);
    ViewDesign design;
    std::string error_place, error;
    if (!ViewDesignFromJson(views[i].dump(), &design, &error_place, &error))
      Fail(error_place.empty() ? place : place + "." + error_place, error);
    NoteHeader h;
    h.id = next_free();
    h.note_class = NOTE_CLASS_VIEW;
    h.unid = DefaultUnid(h.id);
    TIMEDATE base;
    MakeTime(2026, 1, 1, 0, 0, 0, 0, &base);
    h.modified = AddSeconds(base, h.id);
    if (writer->AddNote(h, EncodeItems(ViewDesignItems(design))) != kOk)
      Fail(place, "could not store the view");
    view_ids.push_back(h.id);
  }
  if (view_ids.empty()) return;
  // Views are indexed now, from the notes as stored, by the reader's own code.
  std::shared_ptr<Database> db;
  if (writer->Commit() != kOk || Database::Open(path, &db) != kOk || writer->Begin() != kOk)
    Fail("views", "could not index the views");
  for (size_t i = 0; i < view_ids.size(); ++i) {
    std::vector<CollectionEntry> entries;
    const STATUS status = ComputeViewIndex(db, view_ids[i], &entries);
    if (status != kOk) Fail(Join(Index("views", i), "selection"), ErrorText(status));
    if (writer->AddViewIndex(view_ids[i], entries) != kOk)
      Fail(Index("views", i), "could not store the view's index");
  }
}

}  // namespace

namespace {

// The error as one line: control characters of keys and values from the
// description (a key may hold a newline) are written as escapes.
std::string OneLine(const std::string& text) {
  std::string line;
  for (unsigned char c : text) {
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\t') {
      line += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      line += escape;
    } else {
      line.push_back(char(c));
    }
  }
  return line;
}

}  // namespace

bool BuildDatabase(const std::string& json_text, const std::string& base_dir,
                   const std::string& out_path, std::string* error) {
  json desc;
  try {
    desc = json::parse(json_text);
  } catch (const json::exception& e) {  // parse errors, and numbers out of range
    *error = std::string("description: not valid JSON: ") + e.what();
    return false;
  }
  std::string title;
  if (desc.is_object() && desc.contains("title") && desc["title"].is_string())
    title = desc["title"].get<std::string>();
  const std::string temp = out_path + ".building-" + std::to_string(::getpid());
  std::remove(temp.c_str());
  bool ok = false;
  {
    std::unique_ptr<DatabaseWriter> writer;
    if (DatabaseWriter::Create(temp, title, &writer) != kOk) {
      *error = out_path + ": cannot create the database file";
    } else {
      try {
        Build(desc, base_dir, temp, writer.get());
        ok = writer->Commit() == kOk;
        if (!ok) *error = out_path + ": cannot write the database file";
      } catch (const Invalid& e) {
        *error = (e.place.empty() ? "description" : e.place) + ": " + e.message;
      } catch (const std::exception& e) {
        *error = std::string("description: ") + e.what();
      }
    }
  }
  if (ok && (DatabaseWriter::FlushToDisk(temp) != kOk ||
             std::rename(temp.c_str(), out_path.c_str()) != 0)) {
    *error = out_path + ": cannot move the database into place";
    ok = false;
  }
  if (!ok) {
    *error = OneLine(*error);
    std::remove(temp.c_str());
    std::remove((temp + "-journal").c_str());
  }
  return ok;
}

}  // namespace notes
