// Network paths ("server!!file") and where they lie on this machine.
#ifndef LIBNOTES_PATHS_H_
#define LIBNOTES_PATHS_H_

#include <string>

#include "notes/types.h"

namespace notes {

// "file" for an empty or null server, else "server!!file"; kErrPathTooLong
// past 255 bytes.
STATUS ConstructNetPath(const char* server, const char* file, std::string* out);

// The local file of a network path: a server through NOTES_SERVERS
// ("name=dir;name2=dir2", names without regard to case), a relative local
// path against NOTES_DATA_DIR or the working directory.
STATUS ResolvePath(const std::string& path, std::string* local);

}  // namespace notes

#endif  // LIBNOTES_PATHS_H_
