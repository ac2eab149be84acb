// Formulas: any text compiles or fails with a compile error, and a compiled
// formula evaluates over a note of every item type without crashing.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "formula.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static notes::OpenNote* note = fuzz::SampleNote();
  notes::CompileError error;
  auto formula = notes::CompileFormula(std::string(reinterpret_cast<const char*>(data), size), &error);
  if (formula) {
    formula->Matches(*note, "View Title");
  } else if (error.code == 0) {
    __builtin_trap();  // a failure must say why
  }
  return 0;
}
