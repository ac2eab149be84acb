/* File attachments: object items named "$FILE..." are written into the cache
 * directory and listed under "$FILE" as "file://./" references.
 *
 * The target path is the cache directory text (a plain prefix) followed by a
 * generated name, or, for host type 0x0700, the stored file name reduced to
 * its last path component, so nothing is written outside the cache
 * directory through a stored name. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "module/quendrilax.h"

#define HOST_GENERATED_E 0x0600 /* "e" and a number */
#define HOST_STORED_NAME 0x0700 /* the stored file name */
#define MAX_EXTENSION 10        /* the dot and at most 9 bytes */

/* The length of `name` up to its first zero byte, at most `length`. */
static size_t TextLength(const char *name, size_t length) {
  const char *zero = (const char *)memchr(name, 0, length);
  return zero ? (size_t)(zero - name) : length;
}

/* The extension of a stored name to append after a generated number: from
 * its last '.', at most MAX_EXTENSION bytes, cut at a zero byte. Empty when
 * there is none, it is too long or it holds a path separator. */
static void Extension(const char *name, size_t length, const char **extension,
                      size_t *extensionLength) {
  *extension = name;
  *extensionLength = 0;
  for (size_t i = length; i-- > 0;) {
    if (name[i] != '.') continue;
    if (length - i > MAX_EXTENSION) return;
    size_t n = TextLength(name + i, length - i);
    if (memchr(name + i, '/', n) || memchr(name + i, '\\', n)) return;
    *extension = name + i;
    *extensionLength = n;
    return;
  }
}

/* Writes the generated name (number and extension) after `path`'s prefix. */
static void GeneratedName(char *at, size_t room, const char *stored, size_t storedLength) {
  const char *extension;
  size_t extensionLength;
  int written = snprintf(at, room, "%d", netAttachmentCount);
  netAttachmentCount++;
  Extension(stored, storedLength, &extension, &extensionLength);
  if (written > 0 && (size_t)written + extensionLength < room) {
    memcpy(at + written, extension, extensionLength);
    at[written + extensionLength] = '\0';
  }
}

/* The stored name's last path component, or NULL when that is empty, "."
 * or "..". */
static const char *SafeStoredName(const char *stored, size_t storedLength, size_t *length) {
  size_t n = TextLength(stored, storedLength), start = 0;
  for (size_t i = 0; i < n; i++)
    if (stored[i] == '/' || stored[i] == '\\') start = i + 1;
  *length = n - start;
  if (*length == 0 || (*length == 1 && stored[start] == '.') ||
      (*length == 2 && stored[start] == '.' && stored[start + 1] == '.'))
    return NULL;
  return stored + start;
}

/* Finds the item of rank fileAttachmentCount among the note's "$File"
 * items. Returns the status of the last lookup. */
static STATUS FindAttachmentItem(BLOCKID *item) {
  WORD dataType;
  DWORD valueLength;
  STATUS status = NSFItemInfo(hNote, "$File", 5, item, &dataType, NULL, &valueLength);
  if (status != NOERROR) {
    PrintAPIError(status);
    return status;
  }
  for (int reached = 1; reached < fileAttachmentCount;) {
    BLOCKID next;
    reached++;
    status = NSFItemInfoNext(hNote, *item, "$File", 5, &next, &dataType, NULL, &valueLength);
    if (status == ERR_ITEM_NOT_FOUND) break;
    if (status == NOERROR) *item = next;
  }
  return status;
}

/* Appends the reference to `path` to the list under "$FILE" (or a new one)
 * and returns that list, or NULL. */
static PyObject *AddReference(const char *path) {
  size_t length = strlen(path);
  char *reference = (char *)malloc(length + 10);
  if (!reference) return NULL;
  memcpy(reference, "file://./", 9);
  memcpy(reference + 9, path, length + 1);
  PyObject *text = PyUnicode_DecodeFSDefault(reference);
  free(reference);
  if (!text) return NULL;
  PyObject *list = PyDict_GetItemString(pyDoc, "$FILE");
  if (list && PyList_Check(list)) {
    Py_INCREF(list);
  } else {
    list = PyList_New(0);
  }
  if (!list || PyList_Append(list, text) < 0) {
    Py_XDECREF(list);
    list = NULL;
  }
  Py_DECREF(text);
  return list;
}

PyObject *ExtractAttachment(const char *name, WORD nameLength, const unsigned char *data,
                            DWORD dataLength) {
  if (!cacheDirName || nameLength < 5 || memcmp(name, "$FILE", 5) != 0) return NULL;
  fileAttachmentCount++;

  OBJECT_DESCRIPTOR descriptor;
  void *position = (void *)data;
  if (dataLength < ODSLength(_OBJECT_DESCRIPTOR)) return NULL;
  ODSReadMemory(&position, _OBJECT_DESCRIPTOR, &descriptor, 1);
  if (descriptor.ObjectType != OBJECT_FILE) return NULL;

  DWORD size;
  WORD objectClass, privileges;
  STATUS status = NSFDbGetObjectSize(hDB, descriptor.RRV, OBJECT_FILE, &size, &objectClass,
                                     &privileges);
  if (status != NOERROR) {
    PrintAPIError(status);
    return NULL;
  }
  if (!(objectClass & NOTE_CLASS_DOCUMENT)) return NULL;

  FILEOBJECT file;
  WORD fixed = ODSLength(_FILEOBJECT);
  if (dataLength < fixed) return NULL;
  position = (void *)data;
  ODSReadMemory(&position, _FILEOBJECT, &file, 1);
  const char *stored = (const char *)data + fixed;
  size_t storedLength = file.FileNameLength;
  if (storedLength > dataLength - fixed) storedLength = dataLength - fixed;
  WORD host = file.HostType & HOST_MASK;

  size_t prefixLength = strlen(cacheDirName);
  size_t room = storedLength + 22;
  char *path = (char *)malloc(prefixLength + room);
  if (!path) return NULL;
  memcpy(path, cacheDirName, prefixLength + 1);
  char *at = path + prefixLength;
  size_t safeLength;
  const char *safeName;
  if (host == HOST_GENERATED_E) {
    snprintf(at, room, "e%d", netAttachmentCount);
    netAttachmentCount++;
  } else if (host == HOST_STORED_NAME &&
             (safeName = SafeStoredName(stored, storedLength, &safeLength)) != NULL) {
    memcpy(at, safeName, safeLength);
    at[safeLength] = '\0';
  } else {
    GeneratedName(at, room, stored, storedLength);
  }

  PyObject *list = NULL;
  BLOCKID item;
  if (FindAttachmentItem(&item) == NOERROR) {
    status = NSFNoteExtractFile(hNote, item, path, NULL);
    if (status != NOERROR) {
      printf("FAILED to extract attachment '%s'\n", path);
      PrintAPIError(status);
    } else {
      list = AddReference(path);
    }
  }
  free(path);
  return list;
}
