/* Quendrilax: the state and helpers that the module's files share.
 *
 * The module is plain functions over module-level variables. One export runs
 * at a time; `runActive` turns away a second call while one runs. */
#ifndef QUENDRILAX_H
#define QUENDRILAX_H

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "notes/notes.h"

/* The module's error class, "Quendrilax.error"; held for the process's life. */
extern PyObject *pyError;

/* Non-zero while export or getViewNoteIds runs (changed with the lock held). */
extern int runActive;
#define BUSY_TEXT "another export is running"

/* The export state: see export/export.cc. */
extern DBHANDLE hDB;
extern NOTEHANDLE hNote;
extern DWORD OFlags;
extern PyObject *pyCallback;
extern PyObject *pyDoc;
extern PyObject *pyCallbackArgs;
extern PyObject *pyIdString;
extern PyObject *pyModifiedString;
extern PyObject *pyUNIDString;
extern PyThreadState *pyThreadState;
extern int exportItemNamesCount;
extern PyObject **exportItemNamesPy;
extern const char **exportItemNames;
extern int *exportItemNamesLength;
extern const char *cacheDirName;
extern int globalDocLimit;
extern int globalNoteCount;
extern int netAttachmentCount;
extern int fileAttachmentCount;
/* A KeyboardInterrupt or SystemExit raised by the callback, held (owned)
 * until the run has closed everything, then raised again. */
extern PyObject *pyStopType, *pyStopValue, *pyStopTraceback;

/* Diagnostics (module/diagnostics.cc). Lines go to standard error, each
 * flushed at once. Safe with or without the interpreter lock. */
void PrintAPIError(STATUS status);
void PrintLine(const char *format, ...) __attribute__((format(printf, 1, 2)));

/* Leaves `time` as a terminated text of at most 80 characters in `text`,
 * which holds at least MAXALPHATIMEDATE + 1 bytes. Safe without the lock. */
void GetTDString(const TIMEDATE *time, char *text);

/* The entry points (export/export.cc, view/view_ids.cc). Lock held. */
PyObject *pyExport(PyObject *self, PyObject *args);
PyObject *pyGetViewIds(PyObject *self, PyObject *args);

/* Notes action routines of an export (export/). Called by Notes on the
 * exporting thread without the interpreter lock; they take it with
 * pyThreadState for their Python work and give it up before returning. */
STATUS DumpOneNote(void *parameter, SEARCH_MATCH *match, void *summary);
STATUS DumpNoteHeaderData(NOTEHANDLE note);
STATUS DumpOneItem(WORD spare, WORD itemFlags, char *name, WORD nameLength, void *value,
                   DWORD valueLength, void *parameter);

/* Drops the item-name keys that DumpOneItem kept for the run. Lock held. */
void ReleaseItemKeys(void);

/* Item branches, called by DumpOneItem with the lock held. Each returns a
 * new reference or NULL (no value), and leaves no exception set. `data` and
 * `dataLength` are the value after its data type word. */
PyObject *RichTextRuns(const unsigned char *data, DWORD dataLength);
PyObject *ExtractAttachment(const char *name, WORD nameLength, const unsigned char *data,
                            DWORD dataLength);

#endif /* QUENDRILAX_H */
