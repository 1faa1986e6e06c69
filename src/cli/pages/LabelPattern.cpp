#include "cli/pages/LabelPattern.h"

#include <regex.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "cli/output/TextFormat.h"
#include "cli/pages/PatternProgram.h"

namespace {

// The code point at byte `at` of valid UTF-8 `text`, and its length in `length`.
char32_t DecodeUtf8At(std::string_view text, std::size_t at, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[at]);
  length = std::min<std::size_t>(lead < 0x80   ? 1
                                 : lead < 0xE0 ? 2
                                 : lead < 0xF0 ? 3
                                               : 4,
                                 text.size() - at);
  return Utf8CodePoint(text.substr(at, length));
}

// Whether `assertion` holds between `before` and `after`; hasBefore/hasAfter false at the
// text's ends.
bool AssertionHolds(PatternAssertion assertion, bool hasBefore, char32_t before, bool hasAfter,
                    char32_t after) {
  const bool wordBefore = hasBefore && IsPatternWordChar(before);
  const bool wordAfter = hasAfter && IsPatternWordChar(after);
  switch (assertion) {
    case PatternAssertion::kTextStart:
      return !hasBefore;
    case PatternAssertion::kTextEnd:
      return !hasAfter;
    case PatternAssertion::kWordBoundary:
      return wordBefore != wordAfter;
    case PatternAssertion::kNotWordBoundary:
      return wordBefore == wordAfter;
    case PatternAssertion::kWordStart:
      return !wordBefore && wordAfter;
    case PatternAssertion::kWordEnd:
      return wordBefore && !wordAfter;
  }
  return false;
}

// Choice points and values to restore held at once by a backtracking search: 24 MiB.
constexpr std::size_t kMaxBacktrackEntries = std::size_t{1} << 21;

// The C library's verdict on `pattern` as an extended regular expression, so that what it
// refuses is refused here too, with its words: nothing when valid, else the reason.
std::optional<std::string> LibraryProblem(const std::string& pattern) {
  regex_t regex;
  const int error = regcomp(&regex, pattern.c_str(), REG_EXTENDED | REG_NOSUB);
  if (error == 0) {
    regfree(&regex);
    return std::nullopt;
  }
  char reason[256];
  regerror(error, &regex, reason, sizeof reason);
  return std::string(reason);
}

// A set of instruction indices with constant-time insert, test and clear.
class InstructionSet {
 public:
  explicit InstructionSet(std::size_t size) : dense_(size), sparse_(size) {}
  bool Contains(std::uint32_t pc) const {
    const std::uint32_t slot = sparse_[pc];
    return slot < size_ && dense_[slot] == pc;
  }
  void Insert(std::uint32_t pc) {
    sparse_[pc] = size_;
    dense_[size_++] = pc;
  }
  void Clear() { size_ = 0; }
  std::uint32_t size() const { return size_; }
  std::uint32_t operator[](std::uint32_t i) const { return dense_[i]; }

 private:
  std::vector<std::uint32_t> dense_;
  std::vector<std::uint32_t> sparse_;
  std::uint32_t size_ = 0;
};

bool Accepts(const PatternProgram& program, const PatternInstruction& instruction, char32_t c) {
  switch (instruction.op) {
    case PatternOp::kChar:
      return c == static_cast<char32_t>(instruction.a);
    case PatternOp::kAny:
      return true;
    case PatternOp::kSet:
      return program.sets[static_cast<std::size_t>(instruction.a)].Contains(c);
    default:
      return false;
  }
}

std::uint64_t CharacterCount(std::string_view text) {
  return static_cast<std::uint64_t>(std::count_if(text.begin(), text.end(), [](char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  }));
}

// The backtracking search for patterns with back-references: alternatives are tried in turn
// from each place of the text, undoing captures and loop registers on the way back.
class Backtracker {
 public:
  Backtracker(const PatternProgram& program, std::string_view text)
      : program_(program),
        text_(text),
        budget_(LabelPattern::kBaseSteps + LabelPattern::kStepsPerCharacter * CharacterCount(text)),
        captures_(static_cast<std::size_t>(program.captureSlots), -1),
        registers_(static_cast<std::size_t>(program.loopRegisters), -1) {}

  LabelPattern::Outcome Search() {
    // Places are held in 32 bits.
    if (text_.size() > static_cast<std::size_t>(INT32_MAX)) return LabelPattern::Outcome::kGaveUp;
    for (std::size_t start = 0;;) {
      const LabelPattern::Outcome outcome = SearchFrom(static_cast<std::int32_t>(start));
      if (outcome != LabelPattern::Outcome::kNoMatch) return outcome;
      if (start >= text_.size()) return LabelPattern::Outcome::kNoMatch;
      std::size_t length = 0;
      DecodeUtf8At(text_, start, length);
      start += length;
    }
  }

 private:
  enum class Undo : std::uint32_t { kBranch, kCapture, kRegister };
  // A choice point to go back to (kBranch: instruction, place) or a value to restore.
  struct Entry {
    Undo kind;
    std::int32_t index;
    std::int32_t value;
  };

  bool Step(std::uint64_t count = 1) {
    steps_ += count;
    return steps_ <= budget_;
  }

  LabelPattern::Outcome SearchFrom(std::int32_t start) {
    std::fill(captures_.begin(), captures_.end(), -1);
    std::fill(registers_.begin(), registers_.end(), -1);
    stack_.clear();
    std::int32_t pc = 0;
    std::int32_t at = start;
    while (true) {
      if (!Step()) return LabelPattern::Outcome::kGaveUp;
      if (Advance(pc, at)) {
        if (program_.code[static_cast<std::size_t>(pc)].op == PatternOp::kMatch) {
          return LabelPattern::Outcome::kMatch;
        }
        if (stack_.size() <= kMaxBacktrackEntries) continue;
        return LabelPattern::Outcome::kGaveUp;
      }
      // Back to the latest choice point, undoing what was set since.
      while (true) {
        if (stack_.empty()) return LabelPattern::Outcome::kNoMatch;
        if (!Step()) return LabelPattern::Outcome::kGaveUp;
        const Entry entry = stack_.back();
        stack_.pop_back();
        if (entry.kind == Undo::kBranch) {
          pc = entry.index;
          at = entry.value;
          break;
        }
        auto& values = entry.kind == Undo::kCapture ? captures_ : registers_;
        values[static_cast<std::size_t>(entry.index)] = entry.value;
      }
    }
  }

  // Runs the instruction at `pc` at place `at`; false when it fails there. kMatch stays put.
  bool Advance(std::int32_t& pc, std::int32_t& at) {
    const PatternInstruction& instruction = program_.code[static_cast<std::size_t>(pc)];
    const auto place = static_cast<std::size_t>(at);
    switch (instruction.op) {
      case PatternOp::kChar:
      case PatternOp::kAny:
      case PatternOp::kSet: {
        if (place >= text_.size()) return false;
        std::size_t length = 0;
        if (!Accepts(program_, instruction, DecodeUtf8At(text_, place, length))) return false;
        at += static_cast<std::int32_t>(length);
        ++pc;
        return true;
      }
      case PatternOp::kSplit:
        stack_.push_back({Undo::kBranch, instruction.b, at});
        pc = instruction.a;
        return true;
      case PatternOp::kJump:
        pc = instruction.a;
        return true;
      case PatternOp::kSave:
      case PatternOp::kLoopStart: {
        const bool capture = instruction.op == PatternOp::kSave;
        auto& values = capture ? captures_ : registers_;
        std::int32_t& value = values[static_cast<std::size_t>(instruction.a)];
        stack_.push_back({capture ? Undo::kCapture : Undo::kRegister, instruction.a, value});
        value = at;
        ++pc;
        return true;
      }
      case PatternOp::kLoopEnd:
        if (at != registers_[static_cast<std::size_t>(instruction.a)]) {
          stack_.push_back({Undo::kBranch, pc + 1, at});
          pc = instruction.b;
        } else {
          ++pc;
        }
        return true;
      case PatternOp::kAssert:
        if (!Holds(static_cast<PatternAssertion>(instruction.a), place)) return false;
        ++pc;
        return true;
      case PatternOp::kBackref:
        return MatchBackReference(instruction.a, pc, at);
      case PatternOp::kMatch:
        return true;
    }
    return false;
  }

  bool Holds(PatternAssertion assertion, std::size_t place) const {
    char32_t before = 0, after = 0;
    if (place > 0) {
      std::size_t start = place - 1;
      while (start > 0 && (static_cast<unsigned char>(text_[start]) & 0xC0) == 0x80) --start;
      std::size_t length = 0;
      before = DecodeUtf8At(text_, start, length);
    }
    if (place < text_.size()) {
      std::size_t length = 0;
      after = DecodeUtf8At(text_, place, length);
    }
    return AssertionHolds(assertion, place > 0, before, place < text_.size(), after);
  }

  bool MatchBackReference(std::int32_t group, std::int32_t& pc, std::int32_t& at) {
    const std::int32_t start = captures_[static_cast<std::size_t>(2 * group)];
    const std::int32_t end = captures_[static_cast<std::size_t>(2 * group + 1)];
    if (start < 0 || end < start) return false;  // the group has not matched
    const auto length = static_cast<std::size_t>(end - start);
    if (text_.size() - static_cast<std::size_t>(at) < length) return false;
    // Comparing is work too: one step per byte.
    if (!Step(length) ||
        text_.compare(static_cast<std::size_t>(at), length,
                      text_.substr(static_cast<std::size_t>(start), length)) != 0) {
      return false;
    }
    at += static_cast<std::int32_t>(length);
    ++pc;
    return true;
  }

  const PatternProgram& program_;
  std::string_view text_;
  const std::uint64_t budget_;
  std::uint64_t steps_ = 0;
  std::vector<std::int32_t> captures_;
  std::vector<std::int32_t> registers_;
  std::vector<Entry> stack_;
};

}  // namespace

// The state of a scan (every thread of the program at once) between two characters: the threads
// waiting for the next character (`pending`, instructions to follow from the next place on) and the
// steps taken.
class PatternScan::Run {
 public:
  explicit Run(const PatternProgram& program)
      : program_(program),
        current_(program.code.size()),
        pending_(program.code.size()),
        budget_(LabelPattern::kBaseSteps) {}

  bool Add(char32_t c) {
    if (outcome_) return false;
    budget_ += LabelPattern::kStepsPerCharacter;
    FollowAll(true, c);
    if (outcome_) return false;
    pending_.Clear();
    for (std::uint32_t i = 0; i < current_.size(); ++i) {
      const std::uint32_t pc = current_[i];
      const PatternInstruction& instruction = program_.code[pc];
      // A back-reference is taken for any text: it stays where it is over every character.
      const bool anyText = instruction.op == PatternOp::kBackref;
      const std::uint32_t next = anyText ? pc : pc + 1;
      if ((anyText || Accepts(program_, instruction, c)) && !pending_.Contains(next)) {
        pending_.Insert(next);
      }
    }
    if (!Step(current_.size())) return false;
    before_ = c;
    atStart_ = false;
    return true;
  }

  LabelPattern::Outcome Finish() {
    if (!outcome_) FollowAll(false, 0);
    return outcome_.value_or(LabelPattern::Outcome::kNoMatch);
  }

 private:
  bool Step(std::uint64_t count = 1) {
    steps_ += count;
    if (steps_ <= budget_) return true;
    outcome_ = LabelPattern::Outcome::kGaveUp;
    return false;
  }

  // Builds `current_`: every instruction reachable without reading from the pending threads
  // and from a new thread starting here, with `after` (if `hasAfter`) the next character.
  void FollowAll(bool hasAfter, char32_t after) {
    current_.Clear();
    for (std::uint32_t i = 0; i < pending_.size() && !outcome_; ++i) {
      Follow(pending_[i], hasAfter, after);
    }
    if (!outcome_) Follow(0, hasAfter, after);
  }

  void Follow(std::uint32_t start, bool hasAfter, char32_t after) {
    stack_.assign(1, start);
    while (!stack_.empty()) {
      const std::uint32_t pc = stack_.back();
      stack_.pop_back();
      if (current_.Contains(pc)) continue;
      if (!Step()) return;
      current_.Insert(pc);
      const PatternInstruction& instruction = program_.code[pc];
      switch (instruction.op) {
        case PatternOp::kJump:
          stack_.push_back(static_cast<std::uint32_t>(instruction.a));
          break;
        case PatternOp::kSplit:
          stack_.push_back(static_cast<std::uint32_t>(instruction.b));
          stack_.push_back(static_cast<std::uint32_t>(instruction.a));
          break;
        case PatternOp::kLoopEnd:
          stack_.push_back(pc + 1);
          stack_.push_back(static_cast<std::uint32_t>(instruction.b));
          break;
        case PatternOp::kSave:
        case PatternOp::kLoopStart:
        case PatternOp::kBackref:  // also the empty text; it waits in current_ for more
          stack_.push_back(pc + 1);
          break;
        case PatternOp::kAssert:
          if (AssertionHolds(static_cast<PatternAssertion>(instruction.a), !atStart_, before_,
                             hasAfter, after)) {
            stack_.push_back(pc + 1);
          }
          break;
        case PatternOp::kMatch:
          outcome_ = LabelPattern::Outcome::kMatch;
          return;
        default:  // reads a character: waits in current_
          break;
      }
    }
  }

  const PatternProgram& program_;
  InstructionSet current_;
  InstructionSet pending_;
  std::vector<std::uint32_t> stack_;
  std::uint64_t budget_;
  std::uint64_t steps_ = 0;
  char32_t before_ = 0;
  bool atStart_ = true;
  std::optional<LabelPattern::Outcome> outcome_;
};

LabelPattern::LabelPattern(std::shared_ptr<const PatternProgram> program)
    : program_(std::move(program)) {}

std::optional<LabelPattern> LabelPattern::Compile(std::string_view pattern, std::string& problem) {
  auto program = std::make_shared<PatternProgram>();
  std::string ownProblem;
  const PatternCompilation compilation = CompilePatternProgram(pattern, *program, ownProblem);
  // A pattern beyond the bounds never reaches the C library, whose parser recurses as deep as
  // the pattern nests.
  if (compilation != PatternCompilation::kBeyondBounds) {
    if (std::optional<std::string> libraryProblem = LibraryProblem(std::string(pattern))) {
      problem = std::move(*libraryProblem);
      return std::nullopt;
    }
  }
  if (compilation != PatternCompilation::kDone) {
    problem = ownProblem;
    return std::nullopt;
  }
  return LabelPattern(std::move(program));
}

bool LabelPattern::NeedsWholeText() const { return program_->captureSlots > 0; }

LabelPattern::Outcome LabelPattern::Search(std::string_view text) const {
  PatternScan scan(*this);
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = 0;
    if (!scan.Add(DecodeUtf8At(text, at, length))) break;
    at += length;
  }
  const Outcome outcome = scan.Finish();
  if (outcome != Outcome::kMatch || !NeedsWholeText()) return outcome;
  return Confirm(text);
}

LabelPattern::Outcome LabelPattern::Confirm(std::string_view text) const {
  return Backtracker(*program_, text).Search();
}

PatternScan::PatternScan(const LabelPattern& pattern)
    : run_(std::make_unique<Run>(*pattern.program_)) {}

PatternScan::~PatternScan() = default;

bool PatternScan::Add(char32_t character) { return run_->Add(character); }

LabelPattern::Outcome PatternScan::Finish() { return run_->Finish(); }
