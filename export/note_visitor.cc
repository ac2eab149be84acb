/* The note visitor: NSFSearch's action routine. Opens each matching note,
 * writes the header keys, converts its items, closes it, hands the document
 * dictionary to the callback, empties it and counts it against the limit. */
#include <stdio.h>
#include <string.h>

#include "module/quendrilax.h"

/* Stores `value` under `key` in pyDoc and drops the reference to it; a value
 * that could not be made is not stored and its error is cleared. Lock held. */
static void StoreHeader(PyObject *key, PyObject *value) {
  if (!value) {
    PyErr_Clear();
    return;
  }
  if (PyDict_SetItem(pyDoc, key, value) < 0) PyErr_Clear();
  Py_DECREF(value);
}

/* The 32 lowercase hex digits of the UNID: the Note part first, and in each
 * part its second word first ("%08x" four times, without printf's cost). */
static void FormatUnid(const ORIGINATORID *oid, char unid[33]) {
  static const char digits[] = "0123456789abcdef";
  const DWORD words[4] = {oid->Note.Innards[1], oid->Note.Innards[0], oid->File.Innards[1],
                          oid->File.Innards[0]};
  for (int w = 0; w < 4; w++)
    for (int k = 0; k < 8; k++) unid[8 * w + k] = digits[(words[w] >> (28 - 4 * k)) & 0xF];
  unid[32] = '\0';
}

STATUS DumpNoteHeaderData(NOTEHANDLE note) {
  ORIGINATORID oid;
  NOTEID noteId = 0;
  TIMEDATE modified;
  char unid[33];
  char modifiedText[MAXALPHATIMEDATE + 1];

  memset(&oid, 0, sizeof oid);
  NSFNoteGetInfo(note, _NOTE_OID, &oid);
  FormatUnid(&oid, unid);
  NSFNoteGetInfo(note, _NOTE_ID, &noteId);

  PyEval_RestoreThread(pyThreadState);
  StoreHeader(pyIdString, PyLong_FromLong((long)noteId));
  StoreHeader(pyUNIDString, PyUnicode_FromStringAndSize(unid, 32));
  memset(&modified, 0xff, sizeof modified);
  NSFNoteGetInfo(note, _NOTE_MODIFIED, &modified);
  GetTDString(&modified, modifiedText);
  StoreHeader(pyModifiedString, PyUnicode_FromString(modifiedText));
  PyEval_SaveThread();
  return NOERROR;
}

STATUS DumpOneNote(void *parameter, SEARCH_MATCH *match, void *summary) {
  SEARCH_MATCH found;
  STATUS status, result = NOERROR;
  (void)parameter;
  (void)summary;

  memcpy(&found, match, sizeof found);
  if (!(found.SERetFlags & SE_FMATCH)) return NOERROR;

  status = NSFNoteOpenExt(hDB, found.ID.NoteID, OFlags, &hNote);
  if (status != NOERROR) {
    PrintLine("ERROR: Quendrilax: unable to open NoteID %u note\n", (unsigned)found.ID.NoteID);
    PrintAPIError(status);
    return status;
  }
  DumpNoteHeaderData(hNote);
  fileAttachmentCount = 0;
  NSFItemScan(hNote, DumpOneItem, NULL);
  status = NSFNoteClose(hNote);
  if (status != NOERROR) {
    PrintLine("ERROR: Quendrilax: unable to close note\n");
    result = status;
  } else {
    hNote = NULLHANDLE;
  }

  PyEval_RestoreThread(pyThreadState);
  if (pyCallback) {
    PyObject *returned = PyObject_Call(pyCallback, pyCallbackArgs, NULL);
    if (returned) {
      Py_DECREF(returned);
    } else if (PyErr_ExceptionMatches(PyExc_KeyboardInterrupt) ||
               PyErr_ExceptionMatches(PyExc_SystemExit)) {
      /* Ctrl-C or sys.exit(): the run stops, and the exception is raised
       * again once the database is closed and Notes terminated (printing a
       * SystemExit would end the process here, inside the search). */
      PyErr_Fetch(&pyStopType, &pyStopValue, &pyStopTraceback);
      result = 1;
    } else {
      PrintLine("ERROR: Quendrilax: exception during callback:\n");
      /* Without setting sys.last_*, which would keep the callback's frame
       * (and the document) alive after the run. */
      PyErr_PrintEx(0);
      PyErr_Clear();
      result = 1;
    }
  }
  PyDict_Clear(pyDoc);
  PyEval_SaveThread();

  if (globalDocLimit != -1) {
    globalNoteCount++;
    if (globalNoteCount >= globalDocLimit) return 1;
  }
  return result;
}
