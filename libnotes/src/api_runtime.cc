// The C functions of the runtime, paths, databases, memory and error texts.
#include <cstdio>
#include <cstring>

#include "controls.h"
#include "notes/api.h"
#include "paths.h"
#include "runtime.h"

namespace notes {
namespace {

int g_starts = 0;

// Writes one line per handle still open, then closes them all.
void CloseEverything() {
  struct {
    HandleKind kind;
    const char* what;
  } const kinds[] = {{HandleKind::kMemory, "memory"},
                     {HandleKind::kNote, "note"},
                     {HandleKind::kCollection, "collection"},
                     {HandleKind::kDatabase, "database"}};
  if (LeakCheck()) {
    for (const auto& k : kinds)
      Handles().ForEach(k.kind, [&](WORD h) {
        std::fprintf(stderr, "NOTES LEAK: %s %u\n", k.what, unsigned(h));
      });
    std::fflush(stderr);
  }
  for (const auto& k : kinds) Handles().RemoveAll(k.kind);
}

}  // namespace

bool Running() { return g_starts > 0; }

}  // namespace notes

using namespace notes;

extern "C" {

STATUS NotesInitExtended(int, char**) {
  return Guarded([&]() -> STATUS {
    if (g_starts == 0) {
      const STATUS status = LoadControls();
      if (status != kOk) return status;
    }
    if (const STATUS s = InjectedFault(Fn::kNotesInitExtended)) return s;
    ++g_starts;
    return kOk;
  });
}

void NotesTerm(void) {
  if (g_starts == 0) return;
  if (--g_starts == 0) CloseEverything();
}

STATUS OSPathNetConstruct(const char*, const char* server, const char* file, char* ret_path) {
  return Guarded([&]() -> STATUS {
    if (!ret_path) return kErrBadArgument;
    ret_path[0] = '\0';
    if (const STATUS s = InjectedFault(Fn::kOSPathNetConstruct)) return s;
    std::string path;
    const STATUS status = ConstructNetPath(server, file, &path);
    if (status != kOk) return status;
    std::memcpy(ret_path, path.c_str(), path.size() + 1);
    return kOk;
  });
}

STATUS NSFDbOpen(const char* path, DBHANDLE* ret_db) {
  return Guarded([&]() -> STATUS {
    if (!ret_db || !path) return kErrBadArgument;
    *ret_db = NULLHANDLE;
    if (!Running()) return kErrNotInitialized;
    if (const STATUS s = InjectedFault(Fn::kNSFDbOpen)) return s;
    std::string local;
    STATUS status = ResolvePath(path, &local);
    if (status != kOk) return status;
    std::shared_ptr<Database> db;
    status = Database::Open(local, &db);
    if (status != kOk) return status;
    return Handles().Add(HandleKind::kDatabase, std::make_unique<OpenDatabase>(db), ret_db);
  });
}

// An injected failure of a close or free still releases the handle, so that
// fault tests leave nothing open behind them.
STATUS NSFDbClose(DBHANDLE db) {
  return Guarded([&]() -> STATUS {
    const STATUS fault = InjectedFault(Fn::kNSFDbClose);
    const bool closed = Handles().Remove(HandleKind::kDatabase, db);
    return fault ? fault : closed ? kOk : kErrBadHandle;
  });
}

void* OSLockObject(HANDLE handle) {
  MemoryBlock* block = Handles().Get<MemoryBlock>(HandleKind::kMemory, handle);
  if (!block) return nullptr;
  ++block->locks;
  return block->data();
}

BOOL OSUnlockObject(HANDLE handle) {
  MemoryBlock* block = Handles().Get<MemoryBlock>(HandleKind::kMemory, handle);
  if (!block || block->locks == 0) return 0;
  --block->locks;
  return 1;
}

STATUS OSMemFree(HANDLE handle) {
  return Guarded([&]() -> STATUS {
    const STATUS fault = InjectedFault(Fn::kOSMemFree);
    const bool freed = Handles().Remove(HandleKind::kMemory, handle);
    return fault ? fault : freed ? kOk : kErrBadHandle;
  });
}

WORD OSLoadString(HMODULE, STATUS status, char* ret_buffer, WORD buffer_length) {
  if (!ret_buffer || buffer_length == 0) return 0;
  std::string text;
  try {
    text = ErrorText(status);
  } catch (...) {
    text.clear();
  }
  const size_t n = std::min(text.size(), size_t(buffer_length - 1));
  std::memcpy(ret_buffer, text.data(), n);
  ret_buffer[n] = '\0';
  return WORD(n);
}

}  // extern "C"
