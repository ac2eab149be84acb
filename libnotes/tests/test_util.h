// Helpers for the tests: databases built from descriptions in temporary
// folders, and the runtime started for one test.
#ifndef LIBNOTES_TESTS_TEST_UTIL_H_
#define LIBNOTES_TESTS_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "description.h"
#include "status.h"
#include "notes/api.h"

namespace notes_test {

inline std::string TempDir() {
  static std::string dir = [] {
    char pattern[] = "/tmp/libnotes-test-XXXXXX";
    return std::string(mkdtemp(pattern));
  }();
  return dir;
}

// Builds `json` into a new database file and returns its path.
inline std::string BuildDb(const std::string& json) {
  static int counter = 0;
  const std::string path = TempDir() + "/db" + std::to_string(++counter) + ".nsf";
  std::string error;
  EXPECT_TRUE(notes::BuildDatabase(json, TempDir(), path, &error)) << error;
  return path;
}

// Starts the runtime with the given controls for one test and stops it.
class Runtime {
 public:
  explicit Runtime(const char* faults = nullptr, const char* read_max = nullptr) {
    if (faults) setenv("NOTES_FAULTS", faults, 1); else unsetenv("NOTES_FAULTS");
    if (read_max) setenv("NOTES_READ_MAX", read_max, 1); else unsetenv("NOTES_READ_MAX");
    status_ = NotesInitExtended(0, nullptr);
  }
  ~Runtime() {
    if (status_ == NOERROR) NotesTerm();
    unsetenv("NOTES_FAULTS");
    unsetenv("NOTES_READ_MAX");
  }
  STATUS status() const { return status_; }

 private:
  STATUS status_;
};

inline std::string Text(STATUS status) {
  char text[256];
  OSLoadString(0, status, text, sizeof text);
  return text;
}

}  // namespace notes_test

#endif  // LIBNOTES_TESTS_TEST_UTIL_H_
