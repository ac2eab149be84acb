// The selection-formula language: compiled once into a tree, evaluated per
// note.
#ifndef LIBNOTES_FORMULA_H_
#define LIBNOTES_FORMULA_H_

#include <memory>
#include <string>

#include "note.h"

namespace notes {

struct FormulaNode;

// A compiled formula. Immutable; shared by the searches that use it.
class Formula {
 public:
  ~Formula();
  // True when `note` satisfies the formula. A value of the wrong type in an
  // operation makes the formula false for that note.
  bool Matches(const OpenNote& note, const std::string& view_title) const;
  size_t node_count() const { return node_count_; }

 private:
  friend class Parser;
  friend struct CompileAccess;
  std::unique_ptr<FormulaNode> root_;
  size_t node_count_ = 0;
};

struct CompileError {
  STATUS code = 0;
  WORD line = 0, column = 0, offset = 0, length = 0;
};

// Compiles `text`; on a syntax error returns null with *error filled.
std::shared_ptr<const Formula> CompileFormula(const std::string& text, CompileError* error);

}  // namespace notes

#endif  // LIBNOTES_FORMULA_H_
