// The module's item converter over arbitrary item values: numbers, times,
// texts, text lists, rich text and attachments. The input is the value as
// Notes hands it over (data type word first), placed at the end of its own
// allocation so that a read past it is caught. Built three ways: any data
// type (the input's first two bytes), rich text only, attachments only.
#include <Python.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "module/quendrilax.h"

namespace {

void SetUp() {
  Py_InitializeEx(0);
  pyDoc = PyDict_New();
  pyIdString = PyUnicode_InternFromString("__NoteId");
  exportItemNamesCount = -1;
  static std::string cache = [] {
    char pattern[] = "/tmp/item-fuzz-cache-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/";
  }();
  cacheDirName = cache.c_str();
  // Attachments look their item up again in an open note of a real database.
  if (NotesInitExtended(0, nullptr) != NOERROR ||
      NSFDbOpen(fuzz::SampleDatabase().c_str(), &hDB) != NOERROR ||
      NSFNoteOpenExt(hDB, 4, 0, &hNote) != NOERROR)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (SetUp(), true);
  (void)ready;
#if defined(FIXED_TYPE)
  std::string value(2, '\0');
  const WORD type = FIXED_TYPE;
  std::memcpy(&value[0], &type, 2);
  value.append(reinterpret_cast<const char*>(data), size);
#else
  std::string value(reinterpret_cast<const char*>(data), size);
#endif
  // An even start, as Notes places values; the end is the allocation's end.
  unsigned char* copy = static_cast<unsigned char*>(std::malloc(value.size() ? value.size() : 1));
  std::memcpy(copy, value.data(), value.size());
  char name[] = "$FILE";
  fileAttachmentCount = 0;
  netAttachmentCount = 0;
  pyThreadState = PyEval_SaveThread();
  DumpOneItem(0, 0, name, 5, copy, static_cast<DWORD>(value.size()), nullptr);
  PyEval_RestoreThread(pyThreadState);
  if (PyErr_Occurred()) __builtin_trap();  // nothing may be left pending
  // Remove what an attachment wrote, so that a long run leaves no files.
  WORD value_type = 0;
  if (value.size() >= 2) std::memcpy(&value_type, value.data(), 2);
  PyObject* files = value_type == TYPE_OBJECT ? PyDict_GetItemString(pyDoc, "$FILE") : nullptr;
  for (Py_ssize_t i = 0; files && PyList_Check(files) && i < PyList_GET_SIZE(files); ++i) {
    // Back to the file system's bytes, as the reference was made from them.
    PyObject* encoded = PyUnicode_EncodeFSDefault(PyList_GET_ITEM(files, i));
    const char* reference = encoded ? PyBytes_AsString(encoded) : nullptr;
    if (!reference || std::strncmp(reference, "file://./", 9) != 0 ||
        std::strncmp(reference + 9, cacheDirName, std::strlen(cacheDirName)) != 0 ||
        std::strchr(reference + 9 + std::strlen(cacheDirName), '/'))
      __builtin_trap();  // every file lies inside the cache folder
    std::remove(reference + 9);
    Py_DECREF(encoded);
  }
  PyDict_Clear(pyDoc);
  std::free(copy);
  return 0;
}
