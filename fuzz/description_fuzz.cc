// The JSON description: any input builds a database or fails with one line;
// a database it builds dumps to a description that builds it again.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // In memory where the machine has it: every input that builds writes files.
  static const std::string dir = [] {
    char shm[] = "/dev/shm/description-fuzz-XXXXXX";
    char tmp[] = "/tmp/description-fuzz-XXXXXX";
    const char* made = mkdtemp(shm);
    return std::string(made ? made : mkdtemp(tmp));
  }();
  const std::string path = dir + "/db.nsf";
  std::string error;
  if (!notes::BuildDatabase(std::string(reinterpret_cast<const char*>(data), size), dir, path,
                            &error)) {
    if (error.empty() || error.find('\n') != std::string::npos) __builtin_trap();
    return 0;
  }
  std::string json, again;
  if (!notes::DumpDatabase(path, &json, &error)) __builtin_trap();
  const std::string second = dir + "/again.nsf";
  if (!notes::BuildDatabase(json, dir, second, &error)) __builtin_trap();
  if (!notes::DumpDatabase(second, &again, &error) || again != json) __builtin_trap();
  std::remove(path.c_str());
  std::remove(second.c_str());
  return 0;
}
