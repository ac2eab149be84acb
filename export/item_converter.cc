/* The item converter: NSFItemScan's action routine. Applies the item-name
 * filter, converts the value by its data type and stores it in pyDoc under
 * the item's name. Never reads outside the value that Notes hands over. */
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "module/quendrilax.h"

/* Keys made for item names during a run (no filter): the interned string of
 * each name, found again by the name's bytes, so that every note after the
 * first one reuses it without decoding or interning again. Only ASCII names
 * are kept, whose bytes are the string's own. Owned references; emptied by
 * ReleaseItemKeys at the end of the run. */
#define KEY_CACHE_SLOTS 1024
#define KEY_CACHE_PROBES 8
static PyObject *keyCache[KEY_CACHE_SLOTS];

static size_t NameHash(const char *name, WORD nameLength) {
  uint32_t hash = 2166136261u; /* FNV-1a */
  for (WORD i = 0; i < nameLength; i++) hash = (hash ^ (unsigned char)name[i]) * 16777619u;
  return hash;
}

/* A new reference to the interned key for an item name, or NULL with an
 * exception set. Lock held. */
static PyObject *ItemKey(const char *name, WORD nameLength) {
  size_t slot = NameHash(name, nameLength);
  for (int probe = 0; probe < KEY_CACHE_PROBES; probe++, slot++) {
    PyObject *cached = keyCache[slot % KEY_CACHE_SLOTS];
    if (!cached) break;
    if (PyUnicode_GET_LENGTH(cached) == nameLength &&
        memcmp(PyUnicode_1BYTE_DATA(cached), name, nameLength) == 0) {
      Py_INCREF(cached);
      return cached;
    }
  }
  PyObject *key = PyUnicode_DecodeUTF8(name, nameLength, "surrogateescape");
  if (!key) return NULL;
  PyUnicode_InternInPlace(&key);
  if (PyUnicode_IS_ASCII(key)) {
    slot = NameHash(name, nameLength);
    for (int probe = 0; probe < KEY_CACHE_PROBES; probe++, slot++) {
      if (!keyCache[slot % KEY_CACHE_SLOTS]) {
        Py_INCREF(key);
        keyCache[slot % KEY_CACHE_SLOTS] = key;
        break;
      }
    }
  }
  return key;
}

void ReleaseItemKeys(void) {
  for (int i = 0; i < KEY_CACHE_SLOTS; i++) Py_CLEAR(keyCache[i]);
}

/* The index of the requested name that matches the item's name exactly, or
 * -1. Compares lengths before bytes; the first match wins. No lock needed. */
static int FindRequestedName(const char *name, WORD nameLength) {
  for (int i = 0; i < exportItemNamesCount; i++) {
    if (exportItemNamesLength[i] == (int)nameLength &&
        memcmp(exportItemNames[i], name, nameLength) == 0)
      return i;
  }
  return -1;
}

/* A tuple of bytes, one per entry of the text list at `data`, or NULL when
 * the list does not fit in its `dataLength` bytes. Lock held. */
static PyObject *TextListValue(const unsigned char *data, DWORD dataLength) {
  WORD count;
  if (dataLength < 2) return NULL;
  memcpy(&count, data, 2);
  /* The count word and the lengths must lie inside the data, and so must
   * the texts that they add up to. */
  if ((DWORD)count * 2 + 2 > dataLength) return NULL;
  DWORD total = (DWORD)count * 2 + 2;
  for (WORD k = 0; k < count; k++) {
    WORD entryLength;
    memcpy(&entryLength, data + 2 + 2 * (DWORD)k, 2);
    total += entryLength;
    if (total > dataLength) return NULL;
  }
  PyObject *tuple = PyTuple_New(count);
  if (!tuple) return NULL;
  for (WORD k = 0; k < count; k++) {
    char *text = NULL;
    WORD textLength = 0;
    if (ListGetText(data, 0, k, &text, &textLength) != NOERROR || !text ||
        (const unsigned char *)text < data ||
        (const unsigned char *)text + textLength > data + dataLength) {
      Py_DECREF(tuple);
      return NULL;
    }
    PyObject *entry = PyBytes_FromStringAndSize(text, textLength);
    if (!entry) {
      Py_DECREF(tuple);
      return NULL;
    }
    PyTuple_SET_ITEM(tuple, k, entry);
  }
  return tuple;
}

/* The value of one item, or NULL for none (no exception left set). */
static PyObject *ItemValue(WORD dataType, char *name, WORD nameLength,
                           const unsigned char *data, DWORD dataLength) {
  PyObject *value = NULL;
  switch (dataType) {
    case TYPE_NUMBER:
      if (dataLength >= 8) {
        double number;
        memcpy(&number, data, 8);
        value = PyFloat_FromDouble(number);
      }
      break;
    case TYPE_TIME:
      if (dataLength >= 8) {
        TIMEDATE time;
        char text[MAXALPHATIMEDATE + 1];
        memcpy(&time, data, 8);
        GetTDString(&time, text);
        value = PyUnicode_FromString(text);
      }
      break;
    case TYPE_TEXT:
    case TYPE_HTML:
      value = PyBytes_FromStringAndSize((const char *)data, (Py_ssize_t)dataLength);
      break;
    case TYPE_TEXT_LIST:
      value = TextListValue(data, dataLength);
      break;
    case TYPE_COMPOSITE:
      value = RichTextRuns(data, dataLength);
      break;
    case TYPE_OBJECT:
      value = ExtractAttachment(name, nameLength, data, dataLength);
      break;
    default:
      break;
  }
  if (!value) PyErr_Clear();
  return value;
}

STATUS DumpOneItem(WORD spare, WORD itemFlags, char *name, WORD nameLength, void *value,
                   DWORD valueLength, void *parameter) {
  PyObject *key = NULL;
  int requested = -1;
  WORD dataType;
  (void)spare;
  (void)itemFlags;
  (void)parameter;

  if (exportItemNamesCount != -1) {
    requested = FindRequestedName(name, nameLength);
    if (requested < 0) return NOERROR;
    key = exportItemNamesPy[requested];
  }
  /* A value too short for its data type word yields nothing. */
  const unsigned char *data = (const unsigned char *)value + 2;
  DWORD dataLength = valueLength >= 2 ? valueLength - 2 : 0;
  if (valueLength >= 2) memcpy(&dataType, value, 2);

  PyEval_RestoreThread(pyThreadState);
  PyObject *converted =
      valueLength >= 2 ? ItemValue(dataType, name, nameLength, data, dataLength) : NULL;
  if (converted) {
    PyObject *madeKey = NULL;
    if (!key) {
      madeKey = ItemKey(name, nameLength);
      key = madeKey;
    }
    if (!key || PyDict_SetItem(pyDoc, key, converted) < 0) PyErr_Clear();
    Py_DECREF(converted);
    Py_XDECREF(madeKey);
  } else if (key) {
    PrintLine("WARNING: Quendrilax: could not extract item data for item '%s'\n",
              exportItemNames[requested]);
  }
  PyEval_SaveThread();
  return NOERROR;
}
