/* export(server, database, cacheDir, callback, itemNames, since
 *        [, formula[, viewTitle[, limit]]])
 *
 * Checks the arguments, sets up the export state, gives up the interpreter
 * lock, searches the database's documents with DumpOneNote as the action
 * routine, and releases everything on one way out. */
#include <stdlib.h>
#include <string.h>

#include "module/quendrilax.h"

/* The export state: one set per process, meaningful during one run. */
DBHANDLE hDB = NULLHANDLE;
NOTEHANDLE hNote = NULLHANDLE;
DWORD OFlags = 0;
PyObject *pyCallback = NULL;
PyObject *pyDoc = NULL;
PyObject *pyCallbackArgs = NULL;
PyObject *pyIdString = NULL;
PyObject *pyModifiedString = NULL;
PyObject *pyUNIDString = NULL;
PyThreadState *pyThreadState = NULL;
int exportItemNamesCount = 0;
PyObject **exportItemNamesPy = NULL;
const char **exportItemNames = NULL;
int *exportItemNamesLength = NULL;
const char *cacheDirName = NULL;
int globalDocLimit = 0;
int globalNoteCount = 0;
int netAttachmentCount = 0;
int fileAttachmentCount = 0;
PyObject *pyStopType = NULL, *pyStopValue = NULL, *pyStopTraceback = NULL;

/* Frees the filter arrays and drops the references they hold. Lock held. */
static void FreeItemNames(void) {
  if (exportItemNamesCount > 0 && exportItemNamesPy) {
    for (int i = 0; i < exportItemNamesCount; i++) Py_XDECREF(exportItemNamesPy[i]);
  }
  free(exportItemNamesPy);
  free(exportItemNamesLength);
  free(exportItemNames);
  exportItemNamesPy = NULL;
  exportItemNamesLength = NULL;
  exportItemNames = NULL;
}

/* Builds the filter arrays from the item-name list, holding a reference to
 * each name for the run. Returns 0, or -1 with an exception set and nothing
 * left allocated. Lock held. */
static int BuildItemNames(PyObject *itemNames) {
  if (itemNames == Py_None) {
    exportItemNamesCount = -1;
    return 0;
  }
  if (!PyList_Check(itemNames)) {
    PyErr_SetString(pyError, "3rd argument must be a list");
    return -1;
  }
  Py_ssize_t count = PyList_GET_SIZE(itemNames);
  if (count == 0) {
    PyErr_SetString(pyError, "3rd argument must be a list of at least one item");
    return -1;
  }
  if (count > INT_MAX) {
    PyErr_SetString(pyError, "3rd argument must be a list");
    return -1;
  }
  exportItemNamesCount = (int)count;
  exportItemNamesPy = (PyObject **)calloc((size_t)count, sizeof(PyObject *));
  exportItemNamesLength = (int *)calloc((size_t)count, sizeof(int));
  exportItemNames = (const char **)calloc((size_t)count, sizeof(char *));
  if (!exportItemNamesPy || !exportItemNamesLength || !exportItemNames) {
    FreeItemNames();
    PyErr_NoMemory();
    return -1;
  }
  for (Py_ssize_t i = 0; i < count; i++) {
    PyObject *name = PyList_GET_ITEM(itemNames, i);
    if (!PyUnicode_Check(name)) {
      FreeItemNames();
      PyErr_SetString(pyError, "item names must be strings");
      return -1;
    }
    Py_ssize_t size;
    const char *bytes = PyUnicode_AsUTF8AndSize(name, &size);
    if (!bytes) {
      FreeItemNames();
      return -1;
    }
    Py_INCREF(name);
    exportItemNamesPy[i] = name;
    exportItemNames[i] = bytes;
    exportItemNamesLength[i] = size > INT_MAX ? INT_MAX : (int)size;
  }
  return 0;
}

/* Drops the run's objects, in the order they were made. Lock held. */
static void ReleaseRunObjects(void) {
  ReleaseItemKeys();
  Py_CLEAR(pyIdString);
  Py_CLEAR(pyModifiedString);
  Py_CLEAR(pyUNIDString);
  Py_CLEAR(pyCallback);
  Py_CLEAR(pyCallbackArgs);
  Py_CLEAR(pyDoc);
}

static PyObject *RunExport(PyObject *args) {
  STATUS status = NOERROR;
  const char *serverName, *dbPath, *formulaText = NULL, *viewTitle = NULL;
  const char *sinceText = NULL;
  PyObject *callback, *itemNames, *since;
  int limit = -1;
  char pathName[MAXPATH];
  TIMEDATE sinceTime;
  FORMULAHANDLE hFormula = NULLHANDLE;
  WORD formulaLength, errorLine, errorColumn, errorOffset, errorLength;
  STATUS compileError = NOERROR;

  cacheDirName = NULL;
  if (!PyArg_ParseTuple(args, "sszOOO|zzi", &serverName, &dbPath, &cacheDirName, &callback,
                        &itemNames, &since, &formulaText, &viewTitle, &limit))
    return NULL;
  if (BuildItemNames(itemNames) < 0) return NULL;
  if (since != Py_None) {
    if (PyUnicode_Check(since)) sinceText = PyUnicode_AsUTF8(since);
    if (!sinceText) {
      PyErr_Clear();
      FreeItemNames();
      PyErr_SetString(pyError, "4th argument must be None or a valid DateTime string");
      return NULL;
    }
  }

  pyIdString = PyUnicode_InternFromString("__NoteId");
  pyModifiedString = PyUnicode_InternFromString("__ModifyDate");
  pyUNIDString = PyUnicode_InternFromString("__UNID");
  Py_INCREF(callback);
  pyCallback = callback;
  pyDoc = PyDict_New();
  pyCallbackArgs = pyDoc ? PyTuple_Pack(1, pyDoc) : NULL;
  if (!pyIdString || !pyModifiedString || !pyUNIDString || !pyCallbackArgs) {
    ReleaseRunObjects();
    FreeItemNames();
    return NULL;
  }

  pyThreadState = PyEval_SaveThread();

  if (NotesInitExtended(0, NULL) != NOERROR) {
    PyEval_RestoreThread(pyThreadState);
    ReleaseRunObjects();
    FreeItemNames();
    PyErr_SetString(pyError, "could not initialize Notes");
    return NULL;
  }

  status = OSPathNetConstruct(NULL, serverName, dbPath, pathName);
  if (status != NOERROR) {
    PrintLine("ERROR: Quendrilax: could not build path to DB\n");
    PrintAPIError(status);
    PyEval_RestoreThread(pyThreadState);
    PyErr_SetString(pyError, "unable to build path to DB");
    goto release;
  }

  status = NSFDbOpen(pathName, &hDB);
  if (status != NOERROR) {
    PyEval_RestoreThread(pyThreadState);
    PrintLine("ERROR: Quendrilax: unable to open DB '%s'\n", pathName);
    PrintAPIError(status);
    PyErr_SetString(pyError, "unable to open DB");
    goto release;
  }

  sinceTime.Innards[0] = sinceTime.Innards[1] = TIMEDATE_NONE;
  if (sinceText) {
    char *copy = strdup(sinceText);
    if (copy) {
      char *text = copy;
      STATUS timeStatus =
          ConvertTextToTIMEDATE(NULL, NULL, &text, (WORD)strlen(copy), &sinceTime);
      if (timeStatus != NOERROR) {
        PrintLine("ERROR: Quendrilax: unable to convert time '%s' to TIMEDATE\n", text);
        PrintAPIError(timeStatus);
        sinceTime.Innards[0] = sinceTime.Innards[1] = TIMEDATE_NONE;
      }
      free(copy);
    }
  }

  if (formulaText) {
    status = NSFFormulaCompile(NULL, 0, formulaText, (WORD)strlen(formulaText), &hFormula,
                               &formulaLength, &compileError, &errorLine, &errorColumn,
                               &errorOffset, &errorLength);
    if (status != NOERROR) {
      PrintLine("ERROR: Quendrilax: unable to compile formula \"%s\": NSFFormulaCompile failed\n",
                formulaText);
      PrintAPIError(status);
      NSFDbClose(hDB);
      PyEval_RestoreThread(pyThreadState);
      PyErr_SetString(pyError, "unable to compile formula");
      goto release;
    }
    if (compileError != NOERROR) {
      status = compileError;
      PrintLine("ERROR: Quendrilax: unable to compile formula \"%s\": got compile error\n",
                formulaText);
      PrintAPIError(compileError);
      /* A handle that came with the error is not used; it is freed. */
      if (hFormula != NULLHANDLE) OSMemFree(hFormula);
      NSFDbClose(hDB);
      PyEval_RestoreThread(pyThreadState);
      PyErr_SetString(pyError, "unable to compile formula: received Notes compilation error");
      goto release;
    }
  }

  netAttachmentCount = 0;
  globalDocLimit = limit;
  globalNoteCount = 0;

  status = NSFSearch(hDB, hFormula, viewTitle, 0, NOTE_CLASS_DOCUMENT, &sinceTime, DumpOneNote,
                     NULL, NULL);

  if (hFormula != NULLHANDLE) OSMemFree(hFormula);
  NSFDbClose(hDB);
  PyEval_RestoreThread(pyThreadState);
  if (pyStopType) {
    status = 1; /* raised again after the release below */
  } else if (status != NOERROR) {
    if (globalDocLimit != -1 && globalNoteCount >= globalDocLimit) {
      status = NOERROR;
    } else {
      PrintLine("ERROR: Quendrilax: when searching for data notes\n");
      PrintAPIError(status);
      PyErr_SetString(pyError, "error when searching for data notes");
    }
  }

release:
  ReleaseRunObjects();
  NotesTerm();
  FreeItemNames();
  if (pyStopType) {
    PyErr_Restore(pyStopType, pyStopValue, pyStopTraceback);
    pyStopType = pyStopValue = pyStopTraceback = NULL;
  }
  if (status != NOERROR) return NULL;
  Py_RETURN_NONE;
}

PyObject *pyExport(PyObject *self, PyObject *args) {
  (void)self;
  if (runActive) {
    PyErr_SetString(pyError, BUSY_TEXT);
    return NULL;
  }
  runActive = 1;
  PyObject *result = RunExport(args);
  runActive = 0;
  return result;
}
