/* Rich-text items: the text runs of a composite value, as a list of bytes in
 * record order. Every other record is passed over. The walk never reads
 * outside the value: a header or text that would reach past its end ends
 * the walk, keeping the runs already collected. */
#include <stdint.h>
#include <stdio.h>

#include "module/quendrilax.h"

/* Appends `length` bytes at `text` to `list`; returns -1 when Python could
 * not make or hold the string. */
static int AppendRun(PyObject *list, const unsigned char *text, DWORD length) {
  PyObject *run = PyBytes_FromStringAndSize((const char *)text, (Py_ssize_t)length);
  if (!run) return -1;
  int failed = PyList_Append(list, run);
  Py_DECREF(run);
  return failed;
}

PyObject *RichTextRuns(const unsigned char *data, DWORD dataLength) {
  PyObject *list = PyList_New(0);
  if (!list) return NULL;
  uint64_t at = 0; /* the current record's offset in the data */
  while (at < dataLength) {
    const unsigned char *start = data + at;
    uint64_t left = dataLength - at;
    void *position = (void *)start;
    WORD first, signature, shortLength;
    DWORD length;
    int longForm = 0;
    if (left < 2) break;
    ODSReadMemory(&position, _WORD, &first, 1);
    if ((first >> 8) == 0x00) {
      if (left < 6) break;
      ODSReadMemory(&position, _DWORD, &length, 1);
      signature = first;
      longForm = 1;
    } else if ((first >> 8) == 0xFF) {
      if (left < 4) break;
      ODSReadMemory(&position, _WORD, &shortLength, 1);
      length = shortLength;
      signature = first;
    } else {
      length = first >> 8;
      signature = first & 0xFF;
    }

    int ended = 0, failed = 0;
    switch (signature) {
      case SIG_TEXT_RUN:
      case SIG_TEXT_RUN_ALT:
      case SIG_STYLED_TEXT: {
        WORD fixedType = signature == SIG_STYLED_TEXT ? _STYLED_TEXT : _TEXT_RUN;
        WORD fixed = ODSLength(fixedType);
        if (length > left || fixed > left) {
          ended = 1; /* the record reaches past the data */
        } else if (length >= fixed) {
          union {
            TEXT_RUN run;
            STYLED_TEXT styled;
          } header;
          position = (void *)start;
          ODSReadMemory(&position, fixedType, &header, 1);
          DWORD count = length - fixed;
          if (count > 0 || signature == SIG_STYLED_TEXT)
            failed = AppendRun(list, start + fixed, count);
        }
        /* A record shorter than its fixed part carries no text. */
        break;
      }
      case SIG_COUNTED_TEXT:
      case SIG_COUNTED_TEXT_ALT: {
        WORD fixed = ODSLength(_COUNTED_TEXT);
        COUNTED_TEXT header;
        if (fixed > left) {
          ended = 1;
          break;
        }
        position = (void *)start;
        ODSReadMemory(&position, _COUNTED_TEXT, &header, 1);
        if ((uint64_t)fixed + header.TextLength > left) {
          ended = 1;
          break;
        }
        failed = AppendRun(list, start + fixed, header.TextLength);
        break;
      }
      default:
        fflush(stdout);
        break;
    }
    if (failed) {
      Py_DECREF(list);
      return NULL;
    }
    if (ended) break;

    uint64_t next = at + (length != 0 ? length : (longForm ? 8 : 4));
    /* A record that ends at an odd address is followed by a pad byte. */
    if (((uintptr_t)data + next) & 1) next++;
    at = next;
  }
  return list;
}
