#include "status.h"

#include <cstdio>

namespace notes {
namespace {

std::string& BadFaultRule() {
  static std::string rule;
  return rule;
}

}  // namespace

void SetBadFaultRule(const std::string& rule) { BadFaultRule() = rule; }

std::string ErrorText(STATUS status) {
  switch (ERR(status)) {
    case kOk: return "No error";
    case kErrNotInitialized: return "The Notes runtime has not been started";
    case kErrBadHandle: return "Invalid or closed handle";
    case kErrNoMemory: return "Insufficient memory";
    case kErrNoHandles: return "No more handles are available";
    case kErrBadArgument: return "Invalid argument";
    case kErrPathTooLong: return "Path name is longer than 255 bytes";
    case kErrNoSuchFile: return "File does not exist";
    case kErrUnknownServer: return "Server is not known (not mapped in NOTES_SERVERS)";
    case kErrNotADatabase: return "File is not a Notes database";
    case kErrDatabaseVersion: return "Database was written by another format version";
    case kErrDatabaseRead: return "Database file could not be read";
    case kErrDamagedData: return "Database holds damaged data";
    case kErrNoSuchNote: return "Note does not exist";
    case kErrNoteDeleted: return "Note has been deleted";
    case kErrTimeText: return "Unable to interpret time or date";
    case kErrTimeBuffer: return "Time or date text does not fit the buffer";
    case kErrListEntry: return "List entry number is out of range";
    case kErrListDamaged: return "Text list is damaged: its lengths run past its data";
    case kErrNoSuchObject: return "Object does not exist";
    case kErrNotFileObject: return "Object is not a file attachment";
    case kErrFileWrite: return "Unable to write the attachment file";
    case kErrFaultRule: return "NOTES_FAULTS rule does not parse: '" + BadFaultRule() + "'";
    case kErrHandleLocked: return "Handle is still locked";
    case kErrNotText: return "Item is not of the expected type";
    case kErrNoSuchView: return "View does not exist";
    case kErrFlagPattern: return "Design flag pattern is not valid";
    case kErrFormulaTooLong: return "Formula is too long";
    case kErrDatabaseCreate: return "Database could not be created";
    case kErrItemNotFound: return "Item not found";
    case kErrFormulaSyntax: return "Formula syntax error";
    case kErrFormulaUnknownFunction: return "Unknown @function";
    case kErrFormulaUnterminatedText: return "Text constant is not terminated";
    case kErrFormulaArguments: return "Wrong number of arguments for @function";
    case kErrFormulaUnexpectedEnd: return "Formula ends unexpectedly";
    case kErrFormulaBadNumber: return "Number constant is not valid";
    case kErrFormulaEmpty: return "Formula is empty";
    case kErrFormulaTooDeep: return "Formula is nested too deeply";
  }
  char text[64];
  std::snprintf(text, sizeof text, "Unknown error 0x%04X", unsigned(ERR(status)));
  return text;
}

}  // namespace notes
