#include "formula_filter.h"

#include "status.h"

namespace notes {

// Formulas are not compiled yet: no handle holds one.
STATUS MakeFormulaFilter(FORMULAHANDLE, const char*, NoteFilter*) { return kErrBadHandle; }

}  // namespace notes
