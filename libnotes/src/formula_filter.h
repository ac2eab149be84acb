// The bridge from a compiled formula's memory handle to a search filter.
#ifndef LIBNOTES_FORMULA_FILTER_H_
#define LIBNOTES_FORMULA_FILTER_H_

#include "search.h"

namespace notes {

// A filter that evaluates the formula compiled into `formula` for each note,
// with `view_title` as @ViewTitle. kErrBadHandle for a handle that holds no
// compiled formula.
STATUS MakeFormulaFilter(FORMULAHANDLE formula, const char* view_title, NoteFilter* filter);

}  // namespace notes

#endif  // LIBNOTES_FORMULA_FILTER_H_
