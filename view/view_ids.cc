/* getViewNoteIds(server, database, view): the note IDs of a view's document
 * entries, in the view's order. Keeps the interpreter lock throughout. */
#include <string.h>

#include "module/quendrilax.h"

#define VIEW_FLAG_PATTERN "-G40n"
#define READ_ALL 0xFFFF

/* Appends the document entries of one read buffer to `list`; category
 * entries are left out. Returns -1 when Python runs out of memory. */
static int AppendNoteIds(PyObject *list, const NOTEID *ids, DWORD count) {
  for (DWORD i = 0; i < count; i++) {
    if (ids[i] & NOTEID_CATEGORY) continue;
    PyObject *id = PyLong_FromLong((long)ids[i]); /* exact: a long holds any NOTEID */
    if (!id) return -1;
    int failed = PyList_Append(list, id);
    Py_DECREF(id);
    if (failed) return -1;
  }
  return 0;
}

static PyObject *ListView(const char *serverName, const char *dbPath, const char *viewName) {
  char pathName[MAXPATH];
  NOTEID viewId;
  HCOLLECTION hCollection = NULLHANDLE;
  COLLECTIONPOSITION position;
  PyObject *list = NULL;
  STATUS status;

  if (NotesInitExtended(0, NULL) != NOERROR) {
    PyErr_SetString(pyError, "could not initialize Notes");
    return NULL;
  }
  status = OSPathNetConstruct(NULL, serverName, dbPath, pathName);
  if (status != NOERROR) {
    PrintLine("ERROR: Quendrilax: could not build path to DB\n");
    PrintAPIError(status);
    PyErr_SetString(pyError, "unable to build path to DB");
    goto done;
  }
  status = NSFDbOpen(pathName, &hDB);
  if (status != NOERROR) {
    PrintLine("ERROR: Quendrilax: unable to open DB '%s'\n", pathName);
    PrintAPIError(status);
    PyErr_SetString(pyError, "unable to open DB");
    goto done;
  }
  status = NIFFindDesignNoteExt(hDB, viewName, NOTE_CLASS_VIEW, VIEW_FLAG_PATTERN, &viewId, 0);
  if (status != NOERROR) {
    PrintLine("ERROR: Quendrilax: unable to find view '%s'\n", viewName);
    PrintAPIError(status);
    NSFDbClose(hDB);
    PyErr_Format(pyError, "unable to find view '%s'", viewName);
    goto done;
  }
  status = NIFOpenCollection(hDB, hDB, viewId, 0, NULLHANDLE, &hCollection, NULL, NULL, NULL,
                             NULL);
  if (status != NOERROR) {
    PrintLine("ERROR: Quendrilax: unable to open collection for view '%s'\n", viewName);
    PrintAPIError(status);
    NSFDbClose(hDB);
    PyErr_Format(pyError, "unable to open collection for view '%s'", viewName);
    goto done;
  }

  memset(&position, 0, sizeof position);
  list = PyList_New(0);
  if (!list) goto close;
  for (;;) {
    HANDLE hBuffer = NULLHANDLE;
    DWORD skipped = 0, returned = 0;
    WORD signal = 0;
    status = NIFReadEntries(hCollection, &position, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, READ_ALL,
                            READ_MASK_NOTEID, &hBuffer, NULL, &skipped, &returned, &signal);
    if (status != NOERROR) {
      PrintLine("ERROR: Quendrilax: unable to read collection entries for view '%s'\n",
                viewName);
      PrintAPIError(status);
      NIFCloseCollection(hCollection);
      NSFDbClose(hDB);
      Py_CLEAR(list);
      PyErr_Format(pyError, "unable to read collection entries for view '%s'", viewName);
      goto done;
    }
    const NOTEID *ids = hBuffer ? (const NOTEID *)OSLockObject(hBuffer) : NULL;
    if (!ids) {
      /* No status failed, so no Notes error line follows. */
      PrintLine("ERROR: Quendrilax: empty buffer during read collection entries for view '%s'\n",
                viewName);
      if (hBuffer) OSMemFree(hBuffer);
      NIFCloseCollection(hCollection);
      NSFDbClose(hDB);
      Py_CLEAR(list);
      PyErr_Format(pyError, "empty buffer during read collection entries for view '%s'",
                   viewName);
      goto done;
    }
    int failed = AppendNoteIds(list, ids, returned);
    OSUnlockObject(hBuffer);
    OSMemFree(hBuffer);
    if (failed) {
      Py_CLEAR(list);
      break;
    }
    if (!(signal & SIGNAL_MORE_TO_DO)) break;
  }

close:
  NIFCloseCollection(hCollection);
  NSFDbClose(hDB);
done:
  NotesTerm();
  return list;
}

PyObject *pyGetViewIds(PyObject *self, PyObject *args) {
  const char *serverName, *dbPath, *viewName;
  (void)self;
  if (runActive) {
    PyErr_SetString(pyError, BUSY_TEXT);
    return NULL;
  }
  if (!PyArg_ParseTuple(args, "sss", &serverName, &dbPath, &viewName)) return NULL;
  runActive = 1;
  PyObject *list = ListView(serverName, dbPath, viewName);
  runActive = 0;
  return list;
}
