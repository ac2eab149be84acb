#include "rich_text.h"

#include "bytes.h"
#include "ods.h"

namespace notes {

bool IsTextSignature(WORD s) {
  return s == SIG_TEXT_RUN || s == SIG_TEXT_RUN_ALT || s == SIG_STYLED_TEXT ||
         s == SIG_COUNTED_TEXT || s == SIG_COUNTED_TEXT_ALT;
}

namespace {

WORD FixedPartType(WORD signature) {
  switch (signature) {
    case SIG_TEXT_RUN:
    case SIG_TEXT_RUN_ALT: return _TEXT_RUN;
    case SIG_STYLED_TEXT: return _STYLED_TEXT;
    default: return _COUNTED_TEXT;
  }
}

void Pad(std::string* out, size_t record_length) {
  if (record_length & 1) out->push_back('\0');
}

}  // namespace

bool EncodeTextRecord(WORD signature, const std::string& text, std::string* out) {
  if (!IsTextSignature(signature)) return false;
  const WORD fixed_type = FixedPartType(signature);
  const size_t length = OdsLength(fixed_type) + text.size();
  if (length > 0xFFFF) return false;
  PutWord(out, signature);
  PutWord(out, WORD(length));
  if (fixed_type == _TEXT_RUN) {
    PutDword(out, 0);  // font
  } else if (fixed_type == _STYLED_TEXT) {
    out->append(6, '\0');
  } else {
    PutWord(out, WORD(text.size()));
    out->append(6, '\0');
  }
  *out += text;
  Pad(out, length);
  return true;
}

bool EncodeBareRecord(WORD signature, std::string* out) {
  if ((signature & 0xFF00) == 0xFF00) {
    PutWord(out, signature);
    PutWord(out, 4);
    return true;
  }
  if ((signature & 0xFF00) == 0) {
    PutWord(out, signature);
    PutDword(out, 6);
    return true;
  }
  return false;
}

std::vector<RecordDescription> DescribeRecords(const unsigned char* data, size_t size) {
  std::vector<RecordDescription> records;
  size_t pos = 0;
  while (pos < size) {
    // The extent of this record, its pad byte included.
    size_t length = 0;
    WORD signature = 0;
    bool whole = false;
    if (size - pos >= 2) {
      const WORD first = LoadWord(data + pos);
      if ((first >> 8) == 0xFF && size - pos >= 4) {
        signature = first;
        length = LoadWord(data + pos + 2);
        whole = true;
      } else if ((first >> 8) == 0 && size - pos >= 6) {
        signature = first;
        length = LoadDword(data + pos + 2);
        whole = true;
      }
    }
    if (whole && length >= 2 && length <= size - pos) {
      const size_t padded = length + (length & 1);
      const std::string actual(reinterpret_cast<const char*>(data + pos),
                               std::min(padded, size - pos));
      std::string encoded;
      RecordDescription d;
      d.signature = signature;
      if (IsTextSignature(signature) && length >= OdsLength(FixedPartType(signature))) {
        const size_t fixed = OdsLength(FixedPartType(signature));
        size_t text_length = length - fixed;
        if (FixedPartType(signature) == _COUNTED_TEXT) text_length = LoadWord(data + pos + 4);
        if (fixed + text_length <= length) {
          d.kind = RecordDescription::kText;
          d.bytes = actual.substr(fixed, text_length);
          EncodeTextRecord(signature, d.bytes, &encoded);
        }
      } else if (length == ((signature >> 8) ? 4u : 6u)) {
        d.kind = RecordDescription::kBare;
        EncodeBareRecord(signature, &encoded);
      }
      if (!encoded.empty() && encoded == actual) {
        records.push_back(d);
        pos += actual.size();
        continue;
      }
      // Not the builder's form: keep the record (and its pad byte) raw.
      d.kind = RecordDescription::kRaw;
      d.bytes = actual;
      records.push_back(d);
      pos += actual.size();
      continue;
    }
    // Not a record that can be told apart: the rest stays raw.
    RecordDescription d;
    d.kind = RecordDescription::kRaw;
    d.bytes.assign(reinterpret_cast<const char*>(data + pos), size - pos);
    records.push_back(d);
    break;
  }
  return records;
}

}  // namespace notes
