// notesdb: builds a database from a JSON description and describes one back.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "description.h"
#include "view_listing.h"

namespace {

constexpr const char* kUsage =
    "usage: notesdb build DESC.json OUT      build the database OUT from a description\n"
    "       notesdb dump DB                  print a database as a description\n"
    "       notesdb view DB TITLE            print a view's entries in order\n"
    "       notesdb --help\n"
    "\n"
    "A description that is not valid gets one line naming the place and exit status 2;\n"
    "no database is left behind. The description format is in libnotes/README.md.\n";

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int Build(const std::string& desc_path, const std::string& out) {
  std::string text;
  if (desc_path == "-") {
    std::ostringstream s;
    s << std::cin.rdbuf();
    text = s.str();
  } else {
    std::ifstream in(desc_path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "notesdb: cannot read %s\n", desc_path.c_str());
      return 2;
    }
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
  }
  std::string error;
  if (!notes::BuildDatabase(text, desc_path == "-" ? "." : DirectoryOf(desc_path), out,
                            &error)) {
    std::fprintf(stderr, "notesdb: %s\n", error.c_str());
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::string error, out;
  if (argc == 4 && !std::strcmp(argv[1], "build")) return Build(argv[2], argv[3]);
  if (argc == 3 && !std::strcmp(argv[1], "dump")) {
    if (!notes::DumpDatabase(argv[2], &out, &error)) {
      std::fprintf(stderr, "notesdb: %s\n", error.c_str());
      return 1;
    }
    std::printf("%s\n", out.c_str());
    return 0;
  }
  if (argc == 4 && !std::strcmp(argv[1], "view")) {
    if (!notes::ListView(argv[2], argv[3], &out, &error)) {
      std::fprintf(stderr, "notesdb: %s\n", error.c_str());
      return 1;
    }
    std::fputs(out.c_str(), stdout);
    return 0;
  }
  std::fputs(kUsage, stderr);
  return 2;
}
