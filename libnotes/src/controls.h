// The test controls, read when the runtime starts: NOTES_FAULTS,
// NOTES_READ_MAX and NOTES_LEAK_CHECK.
#ifndef LIBNOTES_CONTROLS_H_
#define LIBNOTES_CONTROLS_H_

#include <string>

#include "notes/types.h"

namespace notes {

// The functions that a NOTES_FAULTS rule can name.
enum class Fn : int {
  kNotesInitExtended,
  kOSPathNetConstruct,
  kNSFDbOpen,
  kNSFDbClose,
  kNSFSearch,
  kNSFNoteOpenExt,
  kNSFNoteClose,
  kNSFItemScan,
  kNSFItemInfo,
  kNSFItemInfoNext,
  kListGetText,
  kNSFDbGetObjectSize,
  kNSFNoteExtractFile,
  kNSFFormulaCompile,
  kConvertTextToTIMEDATE,
  kConvertTIMEDATEToText,
  kNIFFindDesignNoteExt,
  kNIFOpenCollection,
  kNIFReadEntries,
  kNIFCloseCollection,
  kOSMemFree,
  kCount
};

// Reads the three variables. Returns kErrFaultRule (and remembers the rule
// for its text) when NOTES_FAULTS does not parse; the call counts restart.
STATUS LoadControls();

// Counts a call of `fn` and returns the status that a rule makes it fail
// with, or 0. *no_buffer (when given) is set for a "nobuffer" rule.
STATUS InjectedFault(Fn fn, bool* no_buffer = nullptr);

// The most entries one NIFReadEntries returns.
DWORD ReadMax();

bool LeakCheck();

}  // namespace notes

#endif  // LIBNOTES_CONTROLS_H_
