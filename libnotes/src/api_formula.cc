// NSFFormulaCompile: compiles a formula into a memory handle.
#include <cstring>

#include "bytes.h"
#include "controls.h"
#include "formula.h"
#include "notes/api.h"
#include "runtime.h"

using namespace notes;

extern "C" {

STATUS NSFFormulaCompile(const char*, WORD, const char* formula_text, WORD formula_text_length,
                         FORMULAHANDLE* ret_formula, WORD* ret_formula_length,
                         STATUS* ret_compile_error, WORD* ret_line, WORD* ret_column,
                         WORD* ret_offset, WORD* ret_length) {
  return Guarded([&]() -> STATUS {
    if (ret_formula) *ret_formula = NULLHANDLE;
    if (ret_compile_error) *ret_compile_error = NOERROR;
    if (const STATUS s = InjectedFault(Fn::kNSFFormulaCompile)) return s;
    if (!formula_text || !ret_formula) return kErrBadArgument;
    CompileError error;
    auto formula = CompileFormula(std::string(formula_text, formula_text_length), &error);
    if (!formula) {
      if (ret_compile_error) *ret_compile_error = error.code;
      if (ret_line) *ret_line = error.line;
      if (ret_column) *ret_column = error.column;
      if (ret_offset) *ret_offset = error.offset;
      if (ret_length) *ret_length = error.length;
      return ret_compile_error ? STATUS(kOk) : error.code;
    }
    // The block records the compiled tree's size; the tree itself hangs on
    // the block, so searches never parse the text again.
    std::vector<unsigned char> bytes(8);
    std::memcpy(bytes.data(), "QFRM", 4);
    StoreDword(bytes.data() + 4, DWORD(formula->node_count()));
    auto block = std::make_unique<MemoryBlock>(std::move(bytes));
    block->formula = std::move(formula);
    WORD handle;
    const STATUS status = Handles().Add(HandleKind::kMemory, std::move(block), &handle);
    if (status != kOk) return status;
    *ret_formula = handle;
    if (ret_formula_length) *ret_formula_length = 8;
    if (ret_line) *ret_line = 0;
    if (ret_column) *ret_column = 0;
    if (ret_offset) *ret_offset = 0;
    if (ret_length) *ret_length = 0;
    return kOk;
  });
}

}  // extern "C"
