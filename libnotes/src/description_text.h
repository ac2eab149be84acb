// Text forms that the description's builder and its dump share.
#ifndef LIBNOTES_DESCRIPTION_TEXT_H_
#define LIBNOTES_DESCRIPTION_TEXT_H_

#include <string>

#include "notes/types.h"

namespace notes {

// Bytes as lowercase hexadecimal digits.
std::string ToHex(const std::string& bytes);

// True when `s` is well-formed UTF-8 (what JSON strings can carry).
bool ValidUtf8(const std::string& s);

// The "__UNID" text of a UNID: 32 lowercase hex digits, the Note part first
// and in each part its second word first.
std::string UnidText(const UNID& u);

}  // namespace notes

#endif  // LIBNOTES_DESCRIPTION_TEXT_H_
