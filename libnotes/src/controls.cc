#include "controls.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "status.h"

namespace notes {
namespace {

constexpr const char* kFnNames[] = {
    "NotesInitExtended",     "OSPathNetConstruct",  "NSFDbOpen",
    "NSFDbClose",            "NSFSearch",           "NSFNoteOpenExt",
    "NSFNoteClose",          "NSFItemScan",         "NSFItemInfo",
    "NSFItemInfoNext",       "ListGetText",         "NSFDbGetObjectSize",
    "NSFNoteExtractFile",    "NSFFormulaCompile",   "ConvertTextToTIMEDATE",
    "ConvertTIMEDATEToText", "NIFFindDesignNoteExt", "NIFOpenCollection",
    "NIFReadEntries",        "NIFCloseCollection",  "OSMemFree"};
static_assert(sizeof kFnNames / sizeof *kFnNames == size_t(Fn::kCount), "a name per function");

constexpr DWORD kDefaultReadMax = 16380;

struct Rule {
  unsigned long nth;  // 0: every call
  STATUS status;
  bool no_buffer;
};

struct Controls {
  std::vector<Rule> rules[size_t(Fn::kCount)];
  unsigned long calls[size_t(Fn::kCount)] = {};
  bool any_rule = false;
  DWORD read_max = kDefaultReadMax;
  bool leak_check = false;
};

Controls& State() {
  static Controls controls;
  return controls;
}

bool ParseNumber(const std::string& text, unsigned long max, unsigned long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long v = std::strtoul(text.c_str(), &end, 0);
  if (errno || *end || text[0] == '-' || text[0] == '+' || v > max) return false;
  *out = v;
  return true;
}

bool ParseRule(const std::string& text, Controls* c) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos) return false;
  std::string name = text.substr(0, eq);
  const std::string value = text.substr(eq + 1);
  Rule rule{0, 0, false};
  const size_t at = name.find('@');
  if (at != std::string::npos) {
    if (!ParseNumber(name.substr(at + 1), 0xFFFFFFFFul, &rule.nth) || rule.nth == 0)
      return false;
    name.resize(at);
  }
  int fn = -1;
  for (int i = 0; i < int(Fn::kCount); ++i)
    if (name == kFnNames[i]) fn = i;
  if (fn < 0) return false;
  unsigned long status;
  if (value == "nobuffer" && fn == int(Fn::kNIFReadEntries)) {
    rule.no_buffer = true;
  } else if (ParseNumber(value, 0xFFFF, &status) && status != 0) {
    rule.status = STATUS(status);
  } else {
    return false;
  }
  c->rules[fn].push_back(rule);
  c->any_rule = true;
  return true;
}

}  // namespace

STATUS LoadControls() {
  Controls fresh;
  const char* read_max = std::getenv("NOTES_READ_MAX");
  unsigned long n;
  if (read_max && ParseNumber(read_max, 0xFFFFFFFFul, &n) && n > 0) fresh.read_max = DWORD(n);
  const char* leak = std::getenv("NOTES_LEAK_CHECK");
  fresh.leak_check = leak && std::strcmp(leak, "1") == 0;
  STATUS status = kOk;
  if (const char* faults = std::getenv("NOTES_FAULTS")) {
    std::string all(faults);
    size_t start = 0;
    while (start <= all.size()) {
      size_t comma = all.find(',', start);
      if (comma == std::string::npos) comma = all.size();
      std::string rule = all.substr(start, comma - start);
      // Spaces around a rule are allowed; an empty rule is not an error.
      rule.erase(0, rule.find_first_not_of(' '));
      rule.erase(rule.find_last_not_of(' ') + 1);
      if (!rule.empty() && !ParseRule(rule, &fresh)) {
        SetBadFaultRule(rule);
        status = kErrFaultRule;
        break;
      }
      start = comma + 1;
    }
  }
  if (status != kOk) {
    for (auto& r : fresh.rules) r.clear();
    fresh.any_rule = false;
  }
  State() = std::move(fresh);
  return status;
}

STATUS InjectedFault(Fn fn, bool* no_buffer) {
  Controls& c = State();
  const unsigned long call = ++c.calls[size_t(fn)];
  if (!c.any_rule) return kOk;
  for (const Rule& rule : c.rules[size_t(fn)]) {
    if (rule.nth != 0 && rule.nth != call) continue;
    if (rule.no_buffer) {
      if (no_buffer) *no_buffer = true;
      continue;
    }
    return rule.status;
  }
  return kOk;
}

DWORD ReadMax() { return State().read_max; }

bool LeakCheck() { return State().leak_check; }

}  // namespace notes
