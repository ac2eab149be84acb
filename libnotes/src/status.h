// Error numbers of the stand-in library and their texts.
#ifndef LIBNOTES_STATUS_H_
#define LIBNOTES_STATUS_H_

#include <string>

#include "notes/types.h"

namespace notes {

// Every error the library reports; each has a text of its own (ErrorText).
enum Error : STATUS {
  kOk = NOERROR,
  kErrNotInitialized = 0x0101,
  kErrBadHandle = 0x0102,
  kErrNoMemory = 0x0103,
  kErrNoHandles = 0x0104,
  kErrBadArgument = 0x0105,
  kErrPathTooLong = 0x0106,
  kErrNoSuchFile = 0x0107,
  kErrUnknownServer = 0x0108,
  kErrNotADatabase = 0x0109,
  kErrDatabaseVersion = 0x010A,
  kErrDatabaseRead = 0x010B,
  kErrDamagedData = 0x010C,
  kErrNoSuchNote = 0x010D,
  kErrNoteDeleted = 0x010E,
  kErrTimeText = 0x010F,
  kErrTimeBuffer = 0x0110,
  kErrListEntry = 0x0111,
  kErrListDamaged = 0x0112,
  kErrNoSuchObject = 0x0113,
  kErrNotFileObject = 0x0114,
  kErrFileWrite = 0x0115,
  kErrFaultRule = 0x0116,
  kErrHandleLocked = 0x0117,
  kErrNotText = 0x0118,
  kErrNoSuchView = 0x0119,
  kErrFlagPattern = 0x011A,
  kErrFormulaTooLong = 0x011B,
  kErrDatabaseCreate = 0x011C,
  kErrItemNotFound = ERR_ITEM_NOT_FOUND,
  // Formula compile errors (the compile-error word of NSFFormulaCompile).
  kErrFormulaSyntax = 0x0201,
  kErrFormulaUnknownFunction = 0x0202,
  kErrFormulaUnterminatedText = 0x0203,
  kErrFormulaArguments = 0x0204,
  kErrFormulaUnexpectedEnd = 0x0205,
  kErrFormulaBadNumber = 0x0206,
  kErrFormulaEmpty = 0x0207,
  kErrFormulaTooDeep = 0x0208,
};

// The text of an error number (the top two bits of `status` are ignored).
// Unknown numbers get a text that names the number.
std::string ErrorText(STATUS status);

// Remembers the NOTES_FAULTS rule that did not parse, for kErrFaultRule's text.
void SetBadFaultRule(const std::string& rule);

}  // namespace notes

#endif  // LIBNOTES_STATUS_H_
