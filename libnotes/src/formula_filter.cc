#include "formula_filter.h"

#include "formula.h"
#include "status.h"

namespace notes {

STATUS MakeFormulaFilter(FORMULAHANDLE handle, const char* view_title, NoteFilter* filter) {
  MemoryBlock* block = Handles().Get<MemoryBlock>(HandleKind::kMemory, handle);
  if (!block || !block->formula) return kErrBadHandle;
  std::shared_ptr<const Formula> formula = block->formula;
  std::string title = view_title ? view_title : "";
  *filter = [formula, title](const OpenNote& note) { return formula->Matches(note, title); };
  return kOk;
}

}  // namespace notes
