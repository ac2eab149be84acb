#include "ods.h"

#include <cstring>

#include "bytes.h"

namespace notes {
namespace {

TIMEDATE LoadTimedate(const unsigned char* p) {
  TIMEDATE t;
  t.Innards[0] = LoadDword(p);
  t.Innards[1] = LoadDword(p + 4);
  return t;
}

OBJECT_DESCRIPTOR LoadObjectDescriptor(const unsigned char* p) {
  OBJECT_DESCRIPTOR d;
  d.ObjectType = LoadWord(p);
  d.RRV = LoadDword(p + 2);
  return d;
}

}  // namespace

WORD OdsLength(WORD type) {
  switch (type) {
    case _WORD: return 2;
    case _DWORD: return 4;
    case _OBJECT_DESCRIPTOR: return 6;
    case _FILEOBJECT: return 34;
    case _TEXT_RUN: return 8;
    case _STYLED_TEXT: return 10;
    case _COUNTED_TEXT: return 12;
    default: return 0;
  }
}

bool OdsRead(const unsigned char** source, WORD type, void* dest) {
  const unsigned char* p = *source;
  switch (type) {
    case _WORD: {
      WORD w = LoadWord(p);
      std::memcpy(dest, &w, sizeof w);
      break;
    }
    case _DWORD: {
      DWORD d = LoadDword(p);
      std::memcpy(dest, &d, sizeof d);
      break;
    }
    case _OBJECT_DESCRIPTOR: {
      OBJECT_DESCRIPTOR d = LoadObjectDescriptor(p);
      std::memcpy(dest, &d, sizeof d);
      break;
    }
    case _FILEOBJECT: {
      FILEOBJECT f;
      f.Header = LoadObjectDescriptor(p);
      f.FileNameLength = LoadWord(p + 6);
      f.HostType = LoadWord(p + 8);
      f.CompressionType = LoadWord(p + 10);
      f.Flags = LoadWord(p + 12);
      f.FileSize = LoadDword(p + 14);
      f.FileCreated = LoadTimedate(p + 18);
      f.FileModified = LoadTimedate(p + 26);
      std::memcpy(dest, &f, sizeof f);
      break;
    }
    case _TEXT_RUN: {
      TEXT_RUN r;
      r.Header.Signature = LoadWord(p);
      r.Header.Length = LoadWord(p + 2);
      r.FontID = LoadDword(p + 4);
      std::memcpy(dest, &r, sizeof r);
      break;
    }
    case _STYLED_TEXT: {
      STYLED_TEXT s;
      s.Header.Signature = LoadWord(p);
      s.Header.Length = LoadWord(p + 2);
      std::memcpy(s.Style, p + 4, 6);
      std::memcpy(dest, &s, sizeof s);
      break;
    }
    case _COUNTED_TEXT: {
      COUNTED_TEXT c;
      c.Header.Signature = LoadWord(p);
      c.Header.Length = LoadWord(p + 2);
      c.TextLength = LoadWord(p + 4);
      std::memcpy(c.Reserved, p + 6, 6);
      std::memcpy(dest, &c, sizeof c);
      break;
    }
    default:
      return false;
  }
  *source = p + OdsLength(type);
  return true;
}

void PutTimedate(std::string* out, const TIMEDATE& t) {
  PutDword(out, t.Innards[0]);
  PutDword(out, t.Innards[1]);
}

void PutObjectDescriptor(std::string* out, const OBJECT_DESCRIPTOR& d) {
  PutWord(out, d.ObjectType);
  PutDword(out, d.RRV);
}

void PutFileObject(std::string* out, const FILEOBJECT& f) {
  PutObjectDescriptor(out, f.Header);
  PutWord(out, f.FileNameLength);
  PutWord(out, f.HostType);
  PutWord(out, f.CompressionType);
  PutWord(out, f.Flags);
  PutDword(out, f.FileSize);
  PutTimedate(out, f.FileCreated);
  PutTimedate(out, f.FileModified);
}

}  // namespace notes
