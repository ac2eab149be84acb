#include "paths.h"

#include <strings.h>

#include <cstdlib>

#include "status.h"

namespace notes {

STATUS ConstructNetPath(const char* server, const char* file, std::string* out) {
  std::string path;
  if (server && *server) {
    path = server;
    path += "!!";
  }
  if (file) path += file;
  if (path.size() > MAXPATH - 1) return kErrPathTooLong;
  *out = std::move(path);
  return kOk;
}

namespace {

std::string Join(const std::string& dir, const std::string& file) {
  if (dir.empty() || (!file.empty() && file[0] == '/')) return file;
  return dir.back() == '/' ? dir + file : dir + "/" + file;
}

}  // namespace

STATUS ResolvePath(const std::string& path, std::string* local) {
  const size_t bang = path.find("!!");
  if (bang == std::string::npos) {
    const char* data_dir = std::getenv("NOTES_DATA_DIR");
    *local = data_dir && *data_dir ? Join(data_dir, path) : path;
    return kOk;
  }
  const std::string server = path.substr(0, bang);
  const std::string file = path.substr(bang + 2);
  const char* servers = std::getenv("NOTES_SERVERS");
  std::string map = servers ? servers : "";
  size_t start = 0;
  while (start < map.size()) {
    size_t end = map.find(';', start);
    if (end == std::string::npos) end = map.size();
    const std::string entry = map.substr(start, end - start);
    const size_t eq = entry.find('=');
    if (eq != std::string::npos && eq == server.size() &&
        strncasecmp(entry.c_str(), server.c_str(), eq) == 0) {
      *local = Join(entry.substr(eq + 1), file);
      return kOk;
    }
    start = end + 1;
  }
  return kErrUnknownServer;
}

}  // namespace notes
