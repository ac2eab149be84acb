// On-disk structures: their lengths, the conversion to host form, and the
// encoders that the database builder uses. The only place that knows them.
#ifndef LIBNOTES_ODS_H_
#define LIBNOTES_ODS_H_

#include <string>

#include "notes/types.h"

namespace notes {

// The on-disk length of a structure type, or 0 for a type this library does
// not know.
WORD OdsLength(WORD type);

// Converts one structure of `type` at *source into dest and moves *source on
// by its on-disk length. Returns false (and moves nothing) for an unknown type.
bool OdsRead(const unsigned char** source, WORD type, void* dest);

// Encoders.
void PutTimedate(std::string* out, const TIMEDATE& t);
void PutFileObject(std::string* out, const FILEOBJECT& f);
void PutObjectDescriptor(std::string* out, const OBJECT_DESCRIPTOR& d);

}  // namespace notes

#endif  // LIBNOTES_ODS_H_
