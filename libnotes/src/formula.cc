#include "formula.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "item_values.h"
#include "status.h"
#include "timedate.h"

namespace notes {

// ---- Values ----

namespace {

// A formula value: a list of one kind. Truth values are numbers 1 and 0.
struct Value {
  enum Kind { kText, kNumber, kTime } kind = kText;
  std::vector<std::string> texts;
  std::vector<double> numbers;
  std::vector<TIMEDATE> times;

  size_t size() const {
    return kind == kText ? texts.size() : kind == kNumber ? numbers.size() : times.size();
  }
  static Value Text(std::string s) {
    Value v;
    v.texts.push_back(std::move(s));
    return v;
  }
  static Value Number(double d) {
    Value v;
    v.kind = kNumber;
    v.numbers.push_back(d);
    return v;
  }
  static Value Bool(bool b) { return Number(b ? 1 : 0); }
  static Value Time(const TIMEDATE& t) {
    Value v;
    v.kind = kTime;
    v.times.push_back(t);
    return v;
  }
};

// A value of the wrong type for an operation: the formula is false.
struct TypeMismatch {};

std::string Upper(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return r;
}

bool Truth(const Value& v) {
  if (v.kind != Value::kNumber || v.numbers.empty()) throw TypeMismatch();
  return v.numbers[0] != 0;
}

// -1, 0 or 1 for one pair of the same kind; texts without regard to case.
int ComparePair(const Value& a, size_t i, const Value& b, size_t j) {
  switch (a.kind) {
    case Value::kText: {
      const int c = LowerAscii(a.texts[i]).compare(LowerAscii(b.texts[j]));
      return c < 0 ? -1 : c > 0;
    }
    case Value::kNumber:
      return a.numbers[i] < b.numbers[j] ? -1 : a.numbers[i] > b.numbers[j];
    case Value::kTime: {
      const uint64_t x = TimeKey(a.times[i]), y = TimeKey(b.times[j]);
      return x < y ? -1 : x > y;
    }
  }
  return 0;
}

}  // namespace

// ---- The tree ----

enum class Op { kConst, kItem, kConcat, kNeg, kNot, kAnd, kOr, kAdd, kSub, kMul, kDiv, kCmp, kCall };
enum class Cmp { kEq, kNe, kLt, kGt, kLe, kGe };
enum class Fun {
  kAll, kTrue, kFalse, kIf, kContains, kBegins, kEnds, kIsAvailable, kIsUnavailable,
  kIsMember, kElements, kLowerCase, kUpperCase, kTrim, kText, kTextToNumber, kCreated,
  kModified, kNow, kToday, kDate, kAdjust, kViewTitle, kDocumentUniqueID, kNoteID
};

struct FormulaNode {
  Op op = Op::kConst;
  Cmp cmp = Cmp::kEq;
  Fun fun = Fun::kAll;
  Value constant;
  std::string name;
  std::vector<std::unique_ptr<FormulaNode>> args;
  int height = 1;  // bounds the recursion of evaluation and destruction
};

Formula::~Formula() = default;

namespace {

struct FunctionInfo {
  const char* name;
  Fun fun;
  int min_args, max_args;  // max -1: any odd count from min
};

const FunctionInfo kFunctions[] = {
    {"all", Fun::kAll, 0, 0},
    {"true", Fun::kTrue, 0, 0},
    {"false", Fun::kFalse, 0, 0},
    {"if", Fun::kIf, 3, -1},
    {"contains", Fun::kContains, 2, 2},
    {"begins", Fun::kBegins, 2, 2},
    {"ends", Fun::kEnds, 2, 2},
    {"isavailable", Fun::kIsAvailable, 1, 1},
    {"isunavailable", Fun::kIsUnavailable, 1, 1},
    {"ismember", Fun::kIsMember, 2, 2},
    {"elements", Fun::kElements, 1, 1},
    {"lowercase", Fun::kLowerCase, 1, 1},
    {"uppercase", Fun::kUpperCase, 1, 1},
    {"trim", Fun::kTrim, 1, 1},
    {"text", Fun::kText, 1, 1},
    {"texttonumber", Fun::kTextToNumber, 1, 1},
    {"created", Fun::kCreated, 0, 0},
    {"modified", Fun::kModified, 0, 0},
    {"now", Fun::kNow, 0, 0},
    {"today", Fun::kToday, 0, 0},
    {"date", Fun::kDate, 1, 6},
    {"adjust", Fun::kAdjust, 7, 7},
    {"viewtitle", Fun::kViewTitle, 0, 0},
    {"documentuniqueid", Fun::kDocumentUniqueID, 0, 0},
    {"noteid", Fun::kNoteID, 0, 0},
};

constexpr int kMaxDepth = 200;
constexpr int kMaxHeight = 400;

}  // namespace

// ---- Parsing ----

class Parser {
 public:
  Parser(const std::string& text, CompileError* error) : text_(text), error_(error) {}

  std::unique_ptr<FormulaNode> Parse(size_t* nodes) {
    Next();
    if (token_ == kEnd) return Fail(kErrFormulaEmpty);
    if (token_ == kName && LowerAscii(token_text_) == "select") {
      Next();
      if (token_ == kEnd) return Fail(kErrFormulaUnexpectedEnd);
    }
    auto root = Expression();
    if (!root) return nullptr;
    while (token_ == kSemicolon) Next();
    if (token_ != kEnd) return Fail(kErrFormulaSyntax);
    *nodes = nodes_;
    return root;
  }

 private:
  enum Token {
    kEnd, kNumber, kText, kName, kFunction, kLParen, kRParen, kSemicolon, kColon, kPlus,
    kMinus, kStar, kSlash, kAmp, kBar, kBang, kEq, kNe, kLt, kGt, kLe, kGe, kBad
  };

  std::unique_ptr<FormulaNode> Fail(STATUS code) {
    if (error_->code == 0) {
      error_->code = code;
      size_t line = 1, column = 1;
      for (size_t i = 0; i < token_start_ && i < text_.size(); ++i) {
        if (text_[i] == '\n') {
          ++line;
          column = 1;
        } else {
          ++column;
        }
      }
      error_->line = WORD(std::min<size_t>(line, 0xFFFF));
      error_->column = WORD(std::min<size_t>(column, 0xFFFF));
      error_->offset = WORD(std::min<size_t>(token_start_, 0xFFFF));
      error_->length = WORD(std::min<size_t>(pos_ - token_start_, 0xFFFF));
    }
    return nullptr;
  }

  static bool NameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$' ||
           (unsigned char)c >= 0x80;
  }
  static bool NamePart(char c) { return NameStart(c) || (c >= '0' && c <= '9') || c == '.'; }

  void Next() {
    while (pos_ < text_.size() && std::strchr(" \t\r\n", text_[pos_]) && text_[pos_]) ++pos_;
    token_start_ = pos_;
    token_text_.clear();
    if (pos_ >= text_.size()) {
      token_ = kEnd;
      return;
    }
    const char c = text_[pos_];
    // After the first character has been taken: is the next one `second`?
    auto two = [&](char second) { return pos_ < text_.size() && text_[pos_] == second; };
    if ((c >= '0' && c <= '9') || (c == '.' && pos_ + 1 < text_.size() && text_[pos_ + 1] >= '0' &&
                                   text_[pos_ + 1] <= '9')) {
      size_t end = pos_;
      while (end < text_.size() && ((text_[end] >= '0' && text_[end] <= '9') || text_[end] == '.'))
        ++end;
      if (end < text_.size() && (text_[end] == 'e' || text_[end] == 'E')) {
        size_t e = end + 1;
        if (e < text_.size() && (text_[e] == '+' || text_[e] == '-')) ++e;
        if (e < text_.size() && text_[e] >= '0' && text_[e] <= '9') {
          end = e;
          while (end < text_.size() && text_[end] >= '0' && text_[end] <= '9') ++end;
        }
      }
      token_text_ = text_.substr(pos_, end - pos_);
      pos_ = end;
      token_ = kNumber;
      return;
    }
    if (c == '"' || c == '{') {
      const char close = c == '"' ? '"' : '}';
      size_t i = pos_ + 1;
      for (;;) {
        if (i >= text_.size()) {
          pos_ = text_.size();
          token_ = kBad;
          bad_code_ = kErrFormulaUnterminatedText;
          return;
        }
        if (c == '"' && text_[i] == '\\' && i + 1 < text_.size()) {
          token_text_.push_back(text_[i + 1]);
          i += 2;
          continue;
        }
        if (text_[i] == close) break;
        token_text_.push_back(text_[i++]);
      }
      pos_ = i + 1;
      token_ = kText;
      return;
    }
    if (c == '@' || NameStart(c)) {
      size_t end = pos_ + 1;
      while (end < text_.size() && NamePart(text_[end])) ++end;
      token_text_ = text_.substr(pos_, end - pos_);
      pos_ = end;
      token_ = c == '@' ? kFunction : kName;
      return;
    }
    ++pos_;
    switch (c) {
      case '(': token_ = kLParen; return;
      case ')': token_ = kRParen; return;
      case ';': token_ = kSemicolon; return;
      case ':': token_ = kColon; return;
      case '+': token_ = kPlus; return;
      case '-': token_ = kMinus; return;
      case '*': token_ = kStar; return;
      case '/': token_ = kSlash; return;
      case '&': token_ = kAmp; return;
      case '|': token_ = kBar; return;
      case '=': token_ = kEq; return;
      case '!':
        if (two('=')) {
          ++pos_;
          token_ = kNe;
        } else {
          token_ = kBang;
        }
        return;
      case '<':
        if (two('>')) { ++pos_; token_ = kNe; }
        else if (two('=')) { ++pos_; token_ = kLe; }
        else token_ = kLt;
        return;
      case '>':
        if (two('=')) { ++pos_; token_ = kGe; }
        else token_ = kGt;
        return;
      default:
        token_ = kBad;
        bad_code_ = kErrFormulaSyntax;
        return;
    }
  }

  std::unique_ptr<FormulaNode> Node(Op op) {
    ++nodes_;
    auto n = std::make_unique<FormulaNode>();
    n->op = op;
    return n;
  }

  // Makes `child` an argument of `parent`; false when the tree grows too tall.
  bool Adopt(FormulaNode* parent, std::unique_ptr<FormulaNode> child) {
    parent->height = std::max(parent->height, child->height + 1);
    parent->args.push_back(std::move(child));
    if (parent->height <= kMaxHeight) return true;
    Fail(kErrFormulaTooDeep);
    return false;
  }

  std::unique_ptr<FormulaNode> Binary(Op op, std::unique_ptr<FormulaNode> l,
                                      std::unique_ptr<FormulaNode> r) {
    auto n = Node(op);
    if (!Adopt(n.get(), std::move(l)) || !Adopt(n.get(), std::move(r))) return nullptr;
    return n;
  }

  struct DepthGuard {
    explicit DepthGuard(int* d) : d_(d) { ++*d_; }
    ~DepthGuard() { --*d_; }
    int* d_;
  };

  // A left-associative chain of `operand`s joined by the operators that
  // `op_of` recognizes; it returns false for any other token.
  template <class OpOf>
  std::unique_ptr<FormulaNode> Chain(std::unique_ptr<FormulaNode> (Parser::*operand)(), OpOf op_of) {
    auto left = (this->*operand)();
    Op op = Op::kConst;
    Cmp cmp = Cmp::kEq;
    while (left && op_of(token_, &op, &cmp)) {
      Next();
      auto right = (this->*operand)();
      if (!right) return nullptr;
      left = Binary(op, std::move(left), std::move(right));
      if (left) left->cmp = cmp;
    }
    return left;
  }

  std::unique_ptr<FormulaNode> Expression() {
    DepthGuard guard(&depth_);
    if (depth_ > kMaxDepth) return Fail(kErrFormulaTooDeep);
    return Chain(&Parser::AndExpr, [](Token t, Op* op, Cmp*) {
      *op = Op::kOr;
      return t == kBar;
    });
  }

  std::unique_ptr<FormulaNode> AndExpr() {
    return Chain(&Parser::NotExpr, [](Token t, Op* op, Cmp*) {
      *op = Op::kAnd;
      return t == kAmp;
    });
  }

  std::unique_ptr<FormulaNode> NotExpr() {
    if (token_ == kBang) {
      DepthGuard guard(&depth_);
      if (depth_ > kMaxDepth) return Fail(kErrFormulaTooDeep);
      Next();
      auto operand = NotExpr();
      if (!operand) return nullptr;
      auto n = Node(Op::kNot);
      if (!Adopt(n.get(), std::move(operand))) return nullptr;
      return n;
    }
    return Comparison();
  }

  std::unique_ptr<FormulaNode> Comparison() {
    return Chain(&Parser::Sum, [](Token t, Op* op, Cmp* cmp) {
      static const Cmp kCmps[] = {Cmp::kEq, Cmp::kNe, Cmp::kLt, Cmp::kGt, Cmp::kLe, Cmp::kGe};
      if (t < kEq || t > kGe) return false;
      *op = Op::kCmp;
      *cmp = kCmps[t - kEq];
      return true;
    });
  }

  std::unique_ptr<FormulaNode> Sum() {
    return Chain(&Parser::Product, [](Token t, Op* op, Cmp*) {
      *op = t == kPlus ? Op::kAdd : Op::kSub;
      return t == kPlus || t == kMinus;
    });
  }

  std::unique_ptr<FormulaNode> Product() {
    return Chain(&Parser::Unary, [](Token t, Op* op, Cmp*) {
      *op = t == kStar ? Op::kMul : Op::kDiv;
      return t == kStar || t == kSlash;
    });
  }

  std::unique_ptr<FormulaNode> Unary() {
    if (token_ == kMinus || token_ == kPlus) {
      DepthGuard guard(&depth_);
      if (depth_ > kMaxDepth) return Fail(kErrFormulaTooDeep);
      const bool negate = token_ == kMinus;
      Next();
      auto operand = Unary();
      if (!operand || !negate) return operand;
      auto n = Node(Op::kNeg);
      if (!Adopt(n.get(), std::move(operand))) return nullptr;
      return n;
    }
    return ListExpr();
  }

  std::unique_ptr<FormulaNode> ListExpr() {
    return Chain(&Parser::Primary, [](Token t, Op* op, Cmp*) {
      *op = Op::kConcat;
      return t == kColon;
    });
  }

  std::unique_ptr<FormulaNode> Primary() {
    switch (token_) {
      case kNumber: {
        char* end = nullptr;
        const double d = std::strtod(token_text_.c_str(), &end);
        if (!end || *end || !std::isfinite(d)) return Fail(kErrFormulaBadNumber);
        auto n = Node(Op::kConst);
        n->constant = Value::Number(d);
        Next();
        return n;
      }
      case kText: {
        auto n = Node(Op::kConst);
        n->constant = Value::Text(token_text_);
        Next();
        return n;
      }
      case kName: {
        auto n = Node(Op::kItem);
        n->name = token_text_;
        Next();
        return n;
      }
      case kFunction:
        return Call();
      case kLParen: {
        Next();
        auto inner = Expression();
        if (!inner) return nullptr;
        if (token_ != kRParen) return Fail(token_ == kEnd ? kErrFormulaUnexpectedEnd : kErrFormulaSyntax);
        Next();
        return inner;
      }
      case kEnd:
        return Fail(kErrFormulaUnexpectedEnd);
      case kBad:
        return Fail(bad_code_);
      default:
        return Fail(kErrFormulaSyntax);
    }
  }

  std::unique_ptr<FormulaNode> Call() {
    const std::string name = LowerAscii(token_text_.substr(1));
    const FunctionInfo* info = nullptr;
    for (const auto& f : kFunctions)
      if (name == f.name) info = &f;
    if (!info) return Fail(kErrFormulaUnknownFunction);
    const size_t call_start = token_start_;
    Next();
    auto n = Node(Op::kCall);
    n->fun = info->fun;
    if (token_ == kLParen) {
      DepthGuard guard(&depth_);
      if (depth_ > kMaxDepth) return Fail(kErrFormulaTooDeep);
      Next();
      if (token_ != kRParen) {
        for (;;) {
          if ((info->fun == Fun::kIsAvailable || info->fun == Fun::kIsUnavailable) &&
              token_ != kName)
            return Fail(kErrFormulaSyntax);
          auto arg = Expression();
          if (!arg) return nullptr;
          if (!Adopt(n.get(), std::move(arg))) return nullptr;
          if (token_ == kSemicolon) {
            Next();
            continue;
          }
          if (token_ == kRParen) break;
          return Fail(token_ == kEnd ? kErrFormulaUnexpectedEnd : kErrFormulaSyntax);
        }
      }
      Next();
    }
    const int count = int(n->args.size());
    const bool ok = info->max_args < 0
                        ? count >= info->min_args && count % 2 == 1
                        : count >= info->min_args && count <= info->max_args &&
                              !(info->fun == Fun::kDate && count != 1 && count != 3 && count != 6);
    if (!ok) {
      token_start_ = call_start;
      return Fail(kErrFormulaArguments);
    }
    return n;
  }

  const std::string& text_;
  CompileError* error_;
  size_t pos_ = 0, token_start_ = 0, nodes_ = 0;
  Token token_ = kEnd;
  STATUS bad_code_ = kErrFormulaSyntax;
  std::string token_text_;
  int depth_ = 0;
};

struct CompileAccess {
  static std::shared_ptr<const Formula> Make(std::unique_ptr<FormulaNode> root, size_t nodes) {
    auto f = std::make_shared<Formula>();
    f->root_ = std::move(root);
    f->node_count_ = nodes;
    return f;
  }
  static const FormulaNode* Root(const Formula& f) { return f.root_.get(); }
};

std::shared_ptr<const Formula> CompileFormula(const std::string& text, CompileError* error) {
  *error = CompileError();
  Parser parser(text, error);
  size_t nodes = 0;
  auto root = parser.Parse(&nodes);
  if (!root) return nullptr;
  return CompileAccess::Make(std::move(root), nodes);
}

// ---- Evaluation ----

namespace {

struct Context {
  const OpenNote& note;
  const std::string& view_title;
};

// An item as a formula value: a missing item, or one of another type, is the
// empty text; a damaged one is the wrong type.
Value ItemValue(const OpenNote& note, const std::string& name) {
  const int index = note.FindItem(name.data(), name.size(), -1);
  if (index < 0) return Value::Text("");
  ItemValues values;
  if (!DecodeItemValues(note.items()[size_t(index)], &values)) throw TypeMismatch();
  Value v;
  switch (values.kind) {
    case ItemValues::kNone:
      return Value::Text("");
    case ItemValues::kText:
      v.texts = std::move(values.texts);
      if (v.texts.empty()) v.texts.push_back("");  // an empty text list
      return v;
    case ItemValues::kNumber:
      v.kind = Value::kNumber;
      v.numbers = std::move(values.numbers);
      break;
    case ItemValues::kTime:
      v.kind = Value::kTime;
      v.times = std::move(values.times);
      break;
  }
  if (v.size() == 0) throw TypeMismatch();
  return v;
}

Value Eval(const FormulaNode& node, const Context& ctx);

const std::vector<std::string>& Texts(const Value& v) {
  if (v.kind != Value::kText) throw TypeMismatch();
  return v.texts;
}

// Element i of a list operand, the last one standing in for missing ones.
template <class T>
const T& At(const std::vector<T>& list, size_t i) {
  return list[std::min(i, list.size() - 1)];
}

Value Arithmetic(Op op, const Value& a, const Value& b) {
  const size_t n = std::max(a.size(), b.size());
  if (a.size() == 0 || b.size() == 0) throw TypeMismatch();
  Value r;
  if (a.kind == Value::kText && b.kind == Value::kText && op == Op::kAdd) {
    for (size_t i = 0; i < n; ++i) r.texts.push_back(At(a.texts, i) + At(b.texts, i));
    return r;
  }
  if (a.kind == Value::kNumber && b.kind == Value::kNumber) {
    r.kind = Value::kNumber;
    for (size_t i = 0; i < n; ++i) {
      const double x = At(a.numbers, i), y = At(b.numbers, i);
      double z;
      switch (op) {
        case Op::kAdd: z = x + y; break;
        case Op::kSub: z = x - y; break;
        case Op::kMul: z = x * y; break;
        default:
          if (y == 0) throw TypeMismatch();
          z = x / y;
      }
      r.numbers.push_back(z);
    }
    return r;
  }
  if (a.kind == Value::kTime && b.kind == Value::kNumber && (op == Op::kAdd || op == Op::kSub)) {
    r.kind = Value::kTime;
    for (size_t i = 0; i < n; ++i) {
      const double s = At(b.numbers, i);
      if (!(s >= -1e11 && s <= 1e11)) throw TypeMismatch();  // about 3,000 years
      r.times.push_back(AddSeconds(At(a.times, i), int64_t(op == Op::kAdd ? s : -s)));
    }
    return r;
  }
  if (a.kind == Value::kTime && b.kind == Value::kTime && op == Op::kSub) {
    r.kind = Value::kNumber;
    for (size_t i = 0; i < n; ++i) {
      const TIMEDATE &x = At(a.times, i), &y = At(b.times, i);
      r.numbers.push_back((double(x.Innards[1]) - double(y.Innards[1])) * 86400.0 +
                          (double(x.Innards[0]) - double(y.Innards[0])) / 100.0);
    }
    return r;
  }
  throw TypeMismatch();
}

bool Compare(Cmp cmp, const Value& a, const Value& b) {
  if (a.kind != b.kind) throw TypeMismatch();
  for (size_t i = 0; i < a.size(); ++i)
    for (size_t j = 0; j < b.size(); ++j) {
      const int c = ComparePair(a, i, b, j);
      bool t = false;
      switch (cmp) {
        case Cmp::kEq: t = c == 0; break;
        case Cmp::kNe: t = c != 0; break;
        case Cmp::kLt: t = c < 0; break;
        case Cmp::kGt: t = c > 0; break;
        case Cmp::kLe: t = c <= 0; break;
        case Cmp::kGe: t = c >= 0; break;
      }
      if (t) return true;
    }
  return false;
}

std::string NumberText(double d) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", d);
  return buf;
}

std::string TrimText(const std::string& s) {
  std::string r;
  bool space = false;
  for (char c : s) {
    if (c == ' ') {
      space = !r.empty();
      continue;
    }
    if (space) r.push_back(' ');
    space = false;
    r.push_back(c);
  }
  return r;
}

TIMEDATE Now() {
  const std::time_t t = std::time(nullptr);
  TIMEDATE epoch;
  MakeTime(1970, 1, 1, 0, 0, 0, 0, &epoch);
  return AddSeconds(epoch, int64_t(t));
}

// A whole-number argument; numbers beyond what a date can use are the wrong type.
int IntArg(const FormulaNode& n, size_t i, const Context& ctx) {
  const Value v = Eval(*n.args[i], ctx);
  if (v.kind != Value::kNumber || v.numbers.empty()) throw TypeMismatch();
  const double d = v.numbers[0];
  if (!(d >= -1e7 && d <= 1e7)) throw TypeMismatch();
  return int(d);
}

Value Call(const FormulaNode& n, const Context& ctx) {
  auto arg = [&](size_t i) { return Eval(*n.args[i], ctx); };
  switch (n.fun) {
    case Fun::kAll:
    case Fun::kTrue: return Value::Bool(true);
    case Fun::kFalse: return Value::Bool(false);
    case Fun::kIf: {
      for (size_t i = 0; i + 1 < n.args.size(); i += 2)
        if (Truth(arg(i))) return arg(i + 1);
      return arg(n.args.size() - 1);
    }
    case Fun::kContains:
    case Fun::kBegins:
    case Fun::kEnds: {
      const Value a = arg(0), b = arg(1);
      for (const auto& s : Texts(a))
        for (const auto& sub : Texts(b)) {
          bool t;
          if (n.fun == Fun::kContains) t = s.find(sub) != std::string::npos;
          else if (n.fun == Fun::kBegins) t = s.compare(0, sub.size(), sub) == 0 && s.size() >= sub.size();
          else t = s.size() >= sub.size() && s.compare(s.size() - sub.size(), sub.size(), sub) == 0;
          if (t) return Value::Bool(true);
        }
      return Value::Bool(false);
    }
    case Fun::kIsAvailable:
    case Fun::kIsUnavailable: {
      const std::string& name = n.args[0]->name;
      const bool present = ctx.note.FindItem(name.data(), name.size(), -1) >= 0;
      return Value::Bool(present == (n.fun == Fun::kIsAvailable));
    }
    case Fun::kIsMember: {
      const Value a = arg(0), b = arg(1);
      for (const auto& s : Texts(a))
        if (std::find(Texts(b).begin(), Texts(b).end(), s) == Texts(b).end())
          return Value::Bool(false);
      return Value::Bool(true);
    }
    case Fun::kElements: {
      const Value a = arg(0);
      if (a.kind == Value::kText && a.texts.size() == 1 && a.texts[0].empty())
        return Value::Number(0);
      return Value::Number(double(a.size()));
    }
    case Fun::kLowerCase:
    case Fun::kUpperCase: {
      Value a = arg(0);
      Texts(a);
      for (auto& s : a.texts) s = n.fun == Fun::kLowerCase ? LowerAscii(s) : Upper(s);
      return a;
    }
    case Fun::kTrim: {
      const Value a = arg(0);
      Value r;
      for (const auto& s : Texts(a)) {
        std::string t = TrimText(s);
        if (!t.empty() || a.texts.size() == 1) r.texts.push_back(t);
      }
      if (r.texts.empty()) r.texts.push_back("");
      return r;
    }
    case Fun::kText: {
      const Value a = arg(0);
      Value r;
      for (size_t i = 0; i < a.size(); ++i)
        r.texts.push_back(a.kind == Value::kText     ? a.texts[i]
                          : a.kind == Value::kNumber ? NumberText(a.numbers[i])
                                                     : FormatTime(a.times[i]));
      return r;
    }
    case Fun::kTextToNumber: {
      const Value a = arg(0);
      Value r;
      r.kind = Value::kNumber;
      for (const auto& s : Texts(a)) {
        char* end = nullptr;
        const double d = std::strtod(s.c_str(), &end);
        if (s.empty() || (end && *end)) throw TypeMismatch();
        r.numbers.push_back(d);
      }
      return r;
    }
    case Fun::kCreated: return Value::Time(ctx.note.header().unid.Note);
    case Fun::kModified: return Value::Time(ctx.note.header().modified);
    case Fun::kNow: return Value::Time(Now());
    case Fun::kToday: {
      TIMEDATE t = Now();
      t.Innards[0] = TIMEDATE_NONE;
      return Value::Time(t);
    }
    case Fun::kDate: {
      if (n.args.size() == 1) {
        Value a = arg(0);
        if (a.kind != Value::kTime) throw TypeMismatch();
        for (auto& t : a.times) t.Innards[0] = TIMEDATE_NONE;
        return a;
      }
      int p[6] = {0, 0, 0, 0, 0, 0};
      for (size_t i = 0; i < n.args.size(); ++i) p[i] = IntArg(n, i, ctx);
      TIMEDATE t;
      if (!MakeTime(p[0], p[1], p[2], p[3], p[4], p[5], 0, &t)) throw TypeMismatch();
      if (n.args.size() == 3) t.Innards[0] = TIMEDATE_NONE;
      return Value::Time(t);
    }
    case Fun::kAdjust: {
      Value a = arg(0);
      if (a.kind != Value::kTime) throw TypeMismatch();
      int d[6];
      for (size_t i = 0; i < 6; ++i) d[i] = IntArg(n, i + 1, ctx);
      for (auto& t : a.times) {
        if (t.Innards[1] == TIMEDATE_NONE) throw TypeMismatch();
        int64_t y;
        unsigned m, day;
        CivilFromDays(int64_t(t.Innards[1]) - kJulianDay1970, &y, &m, &day);
        int64_t months = y * 12 + (m - 1) + d[0] * 12 + d[1];
        y = months / 12;
        m = unsigned(months % 12) + 1;
        const int64_t days = DaysFromCivil(y, m, 1) + (day - 1) + d[2];
        TIMEDATE r;
        r.Innards[1] = DWORD(days + kJulianDay1970);
        r.Innards[0] = t.Innards[0];
        if (t.Innards[0] != TIMEDATE_NONE)
          r = AddSeconds(r, int64_t(d[3]) * 3600 + int64_t(d[4]) * 60 + d[5]);
        t = r;
      }
      return a;
    }
    case Fun::kViewTitle: return Value::Text(ctx.view_title);
    case Fun::kDocumentUniqueID: {
      const UNID& u = ctx.note.header().unid;
      char text[33];
      std::snprintf(text, sizeof text, "%08x%08x%08x%08x", u.Note.Innards[1], u.Note.Innards[0],
                    u.File.Innards[1], u.File.Innards[0]);
      return Value::Text(text);
    }
    case Fun::kNoteID: {
      char text[16];
      std::snprintf(text, sizeof text, "NT%08X", unsigned(ctx.note.header().id));
      return Value::Text(text);
    }
  }
  throw TypeMismatch();
}

Value Eval(const FormulaNode& node, const Context& ctx) {
  switch (node.op) {
    case Op::kConst: return node.constant;
    case Op::kItem: return ItemValue(ctx.note, node.name);
    case Op::kConcat: {
      Value a = Eval(*node.args[0], ctx);
      const Value b = Eval(*node.args[1], ctx);
      if (a.kind != b.kind) throw TypeMismatch();
      a.texts.insert(a.texts.end(), b.texts.begin(), b.texts.end());
      a.numbers.insert(a.numbers.end(), b.numbers.begin(), b.numbers.end());
      a.times.insert(a.times.end(), b.times.begin(), b.times.end());
      return a;
    }
    case Op::kNeg: {
      Value a = Eval(*node.args[0], ctx);
      if (a.kind != Value::kNumber) throw TypeMismatch();
      for (double& d : a.numbers) d = -d;
      return a;
    }
    case Op::kNot: return Value::Bool(!Truth(Eval(*node.args[0], ctx)));
    case Op::kAnd:
      return Value::Bool(Truth(Eval(*node.args[0], ctx)) && Truth(Eval(*node.args[1], ctx)));
    case Op::kOr:
      return Value::Bool(Truth(Eval(*node.args[0], ctx)) || Truth(Eval(*node.args[1], ctx)));
    case Op::kAdd:
    case Op::kSub:
    case Op::kMul:
    case Op::kDiv:
      return Arithmetic(node.op, Eval(*node.args[0], ctx), Eval(*node.args[1], ctx));
    case Op::kCmp:
      return Value::Bool(Compare(node.cmp, Eval(*node.args[0], ctx), Eval(*node.args[1], ctx)));
    case Op::kCall: return Call(node, ctx);
  }
  throw TypeMismatch();
}

}  // namespace

bool Formula::Matches(const OpenNote& note, const std::string& view_title) const {
  try {
    return Truth(Eval(*CompileAccess::Root(*this), Context{note, view_title}));
  } catch (const TypeMismatch&) {
    return false;
  }
}

}  // namespace notes
