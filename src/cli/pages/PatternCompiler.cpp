// Parses an extended regular expression into a tree and compiles the tree into instructions
// for the searches in LabelPattern.cpp.
#include <algorithm>
#include <optional>

#include "cli/output/TextFormat.h"
#include "cli/pages/LabelPattern.h"
#include "cli/pages/PatternProgram.h"

namespace {

constexpr int kMaxRepeat = 32767;  // the largest count in {m,n}, as the C library allows
constexpr int kUnbounded = -1;
// A byte of the pattern that is no part of a UTF-8 character: above every code point, so it
// matches no character of a text.
constexpr char32_t kStrayByteBase = 0x110000;

struct Node {
  enum class Kind {
    kEmpty,
    kChar,
    kAny,
    kSet,
    kAssert,
    kBackref,
    kGroup,
    kConcat,
    kAlternation,
    kRepeat
  };
  Kind kind = Kind::kEmpty;
  char32_t character = 0;     // kChar
  int index = 0;              // kSet: set; kAssert: PatternAssertion; kGroup, kBackref: group
  int min = 0, max = 0;       // kRepeat; max kUnbounded for no limit
  std::vector<int> children;  // indices of earlier nodes
  bool nullable = false;      // whether it can match the empty text
  int nesting = 0;            // groups and repetitions on the way down to the deepest leaf
};

std::string NestingProblem() {
  return "groups and repetitions nested more than " + std::to_string(LabelPattern::kMaxNesting) +
         " deep";
}

class Parser {
 public:
  Parser(std::u32string pattern, std::vector<PatternSet>& sets)
      : pattern_(std::move(pattern)), sets_(sets) {}

  // The root node, or nothing with `problem` set. At the top level a ')' is an ordinary
  // character, so the whole pattern is read.
  std::optional<int> Parse(std::string& problem) {
    const int root = ParseAlternation(0);
    problem = problem_;
    if (!problem_.empty()) return std::nullopt;
    return root;
  }
  std::vector<Node>& nodes() { return nodes_; }
  bool tooDeep() const { return tooDeep_; }
  int highestBackReference() const { return highestBackReference_; }

 private:
  bool AtEnd() const { return at_ >= pattern_.size(); }
  char32_t Peek(std::size_t ahead = 0) const {
    return at_ + ahead < pattern_.size() ? pattern_[at_ + ahead] : 0;
  }
  int Fail(std::string problem) {
    if (problem_.empty()) problem_ = std::move(problem);
    at_ = pattern_.size();
    return Add({});
  }
  int Add(Node node) {
    nodes_.push_back(std::move(node));
    return static_cast<int>(nodes_.size()) - 1;
  }
  int Leaf(Node::Kind kind, int index = 0, char32_t character = 0) {
    Node node;
    node.kind = kind;
    node.index = index;
    node.character = character;
    return Add(std::move(node));
  }

  int ParseAlternation(int depth) {
    Node alternation;
    alternation.kind = Node::Kind::kAlternation;
    alternation.children.push_back(ParseBranch(depth));
    while (!AtEnd() && Peek() == U'|') {
      ++at_;
      alternation.children.push_back(ParseBranch(depth));
    }
    if (alternation.children.size() == 1) return alternation.children.front();
    return Add(std::move(alternation));
  }

  int ParseBranch(int depth) {
    Node concat;
    concat.kind = Node::Kind::kConcat;
    while (!AtEnd() && Peek() != U'|' && !(depth > 0 && Peek() == U')')) {
      int item = ParseAtom(depth);
      while (!AtEnd() && IsQuantifier(Peek())) item = ParseQuantifier(item);
      concat.children.push_back(item);
    }
    if (concat.children.size() == 1) return concat.children.front();
    return Add(std::move(concat));
  }

  static bool IsQuantifier(char32_t c) { return c == U'*' || c == U'+' || c == U'?' || c == U'{'; }

  int ParseQuantifier(int item) {
    Node repeat;
    repeat.kind = Node::Kind::kRepeat;
    repeat.children = {item};
    const char32_t c = pattern_[at_++];
    if (c == U'*') {
      repeat.max = kUnbounded;
    } else if (c == U'+') {
      repeat.min = 1;
      repeat.max = kUnbounded;
    } else if (c == U'?') {
      repeat.max = 1;
    } else {
      const std::optional<int> min = ParseCount();
      repeat.min = min.value_or(0);
      repeat.max = repeat.min;
      if (!AtEnd() && Peek() == U',') {
        ++at_;
        repeat.max = ParseCount().value_or(kUnbounded);
      } else if (!min) {
        return Fail("invalid content of {}");
      }
      if (AtEnd() || Peek() != U'}') return Fail("unmatched {");
      ++at_;
      if (repeat.min > kMaxRepeat || repeat.max > kMaxRepeat) return Fail("count above 32767");
      if (repeat.max != kUnbounded && repeat.max < repeat.min) {
        return Fail("invalid content of {}");
      }
    }
    return Add(std::move(repeat));
  }

  std::optional<int> ParseCount() {
    std::optional<int> count;
    while (!AtEnd() && Peek() >= U'0' && Peek() <= U'9') {
      count = std::min(count.value_or(0) * 10 + static_cast<int>(Peek() - U'0'), kMaxRepeat + 1);
      ++at_;
    }
    return count;
  }

  int ParseAtom(int depth) {
    const char32_t c = pattern_[at_++];
    switch (c) {
      case U'(': {
        if (depth + 1 > LabelPattern::kMaxNesting) {  // the parser recurses once per group
          tooDeep_ = true;
          return Fail(NestingProblem());
        }
        Node group;
        group.kind = Node::Kind::kGroup;
        group.index = ++groups_;
        group.children = {ParseAlternation(depth + 1)};
        if (AtEnd() || Peek() != U')') return Fail("unmatched (");
        ++at_;
        closedGroups_.push_back(group.index);
        return Add(std::move(group));
      }
      case U'.':
        return Leaf(Node::Kind::kAny);
      case U'^':
        return Leaf(Node::Kind::kAssert, static_cast<int>(PatternAssertion::kTextStart));
      case U'$':
        return Leaf(Node::Kind::kAssert, static_cast<int>(PatternAssertion::kTextEnd));
      case U'[':
        return ParseBracket();
      case U'*':
      case U'+':
      case U'?':
      case U'{':
        return Fail("nothing to repeat");
      case U'\\':
        return ParseEscape();
      default:
        return Leaf(Node::Kind::kChar, 0, c);
    }
  }

  int ParseEscape() {
    if (AtEnd()) return Fail("trailing backslash");
    const char32_t c = pattern_[at_++];
    if (c >= U'1' && c <= U'9') {
      const int group = static_cast<int>(c - U'0');
      if (std::find(closedGroups_.begin(), closedGroups_.end(), group) == closedGroups_.end()) {
        return Fail("invalid back reference");
      }
      highestBackReference_ = std::max(highestBackReference_, group);
      return Leaf(Node::Kind::kBackref, group);
    }
    const auto assertion = [&](PatternAssertion kind) {
      return Leaf(Node::Kind::kAssert, static_cast<int>(kind));
    };
    switch (c) {
      case U'w':
      case U'W':
      case U's':
      case U'S': {
        PatternSet set;
        set.negated = c == U'W' || c == U'S';
        if (c == U'w' || c == U'W') set.ranges.emplace_back(U'_', U'_');
        set.classes.push_back(std::wctype(c == U'w' || c == U'W' ? "alnum" : "space"));
        return AddSet(std::move(set));
      }
      case U'b':
        return assertion(PatternAssertion::kWordBoundary);
      case U'B':
        return assertion(PatternAssertion::kNotWordBoundary);
      case U'<':
        return assertion(PatternAssertion::kWordStart);
      case U'>':
        return assertion(PatternAssertion::kWordEnd);
      case U'`':
        return assertion(PatternAssertion::kTextStart);
      case U'\'':
        return assertion(PatternAssertion::kTextEnd);
      default:
        return Leaf(Node::Kind::kChar, 0, c);
    }
  }

  int AddSet(PatternSet set) {
    set.Seal();
    sets_.push_back(std::move(set));
    return Leaf(Node::Kind::kSet, static_cast<int>(sets_.size()) - 1);
  }

  // The text between "[x" and "x]" for x one of ':', '=', '.', after the opening pair.
  std::optional<std::u32string> BracketName(char32_t x) {
    std::u32string name;
    while (!AtEnd() && !(Peek() == x && Peek(1) == U']')) name += pattern_[at_++];
    if (AtEnd()) return std::nullopt;
    at_ += 2;
    return name;
  }

  // One element of a bracket expression that can start or end a range: a character, [.c.] or
  // [=c=]; nothing (with the problem set) when the element is invalid.
  std::optional<char32_t> BracketCharacter() {
    if (Peek() == U'[' && (Peek(1) == U'.' || Peek(1) == U'=')) {
      const char32_t x = Peek(1);
      at_ += 2;
      const std::optional<std::u32string> name = BracketName(x);
      if (!name || name->size() != 1) {
        Fail("invalid collation character");
        return std::nullopt;
      }
      return name->front();
    }
    return pattern_[at_++];
  }

  int ParseBracket() {
    PatternSet set;
    if (Peek() == U'^') {
      set.negated = true;
      ++at_;
    }
    for (bool first = true;; first = false) {
      if (AtEnd()) return Fail("unmatched [");
      if (Peek() == U']' && !first) {
        ++at_;
        break;
      }
      if (Peek() == U'[' && Peek(1) == U':') {
        at_ += 2;
        const std::optional<std::u32string> name = BracketName(U':');
        const std::string ascii = name ? std::string(name->begin(), name->end()) : "";
        const std::wctype_t type = ascii.empty() ? 0 : std::wctype(ascii.c_str());
        if (type == 0) return Fail("invalid character class");
        set.classes.push_back(type);
        continue;
      }
      const std::optional<char32_t> low = BracketCharacter();
      if (!low) return Fail("invalid collation character");
      char32_t high = *low;
      if (Peek() == U'-' && at_ + 1 < pattern_.size() && Peek(1) != U']') {
        ++at_;
        const std::optional<char32_t> end = BracketCharacter();
        if (!end || *end < *low) return Fail("invalid range end");
        high = *end;
      }
      set.ranges.emplace_back(*low, high);
    }
    return AddSet(std::move(set));
  }

  std::u32string pattern_;
  std::vector<PatternSet>& sets_;
  std::vector<Node> nodes_;
  std::size_t at_ = 0;
  int groups_ = 0;
  std::vector<int> closedGroups_;
  int highestBackReference_ = 0;
  bool tooDeep_ = false;
  std::string problem_;
};

// Sets `nullable` and `nesting` of every node. Children come before their parents in `nodes`,
// so one pass in order sees them first.
void MarkNodes(std::vector<Node>& nodes) {
  for (Node& node : nodes) {
    const auto child = [&](std::size_t i) -> const Node& {
      return nodes[static_cast<std::size_t>(node.children[i])];
    };
    for (std::size_t i = 0; i < node.children.size(); ++i) {
      node.nesting = std::max(node.nesting, child(i).nesting);
    }
    if (node.kind == Node::Kind::kGroup || node.kind == Node::Kind::kRepeat) ++node.nesting;
    switch (node.kind) {
      case Node::Kind::kEmpty:
      case Node::Kind::kAssert:
      case Node::Kind::kBackref:  // the group may have matched nothing
        node.nullable = true;
        break;
      case Node::Kind::kChar:
      case Node::Kind::kAny:
      case Node::Kind::kSet:
        node.nullable = false;
        break;
      case Node::Kind::kGroup:
        node.nullable = child(0).nullable;
        break;
      case Node::Kind::kRepeat:
        node.nullable = node.min == 0 || child(0).nullable;
        break;
      case Node::Kind::kConcat:
        node.nullable = std::all_of(node.children.begin(), node.children.end(), [&](int c) {
          return nodes[static_cast<std::size_t>(c)].nullable;
        });
        break;
      case Node::Kind::kAlternation:
        node.nullable = std::any_of(node.children.begin(), node.children.end(), [&](int c) {
          return nodes[static_cast<std::size_t>(c)].nullable;
        });
        break;
    }
  }
}

class Compiler {
 public:
  Compiler(const std::vector<Node>& nodes, PatternProgram& program)
      : nodes_(nodes), program_(program) {}

  // False when the program would exceed LabelPattern::kMaxInstructions.
  bool Compile(int root) {
    if (!Emit(root)) return false;
    Add(PatternOp::kMatch);
    return true;
  }

 private:
  int Here() const { return static_cast<int>(program_.code.size()); }
  int Add(PatternOp op, int a = 0, int b = 0) {
    program_.code.push_back({op, a, b});
    return Here() - 1;
  }
  bool Full() const { return program_.code.size() > LabelPattern::kMaxInstructions; }

  bool Emit(int index) {
    const Node& node = nodes_[static_cast<std::size_t>(index)];
    switch (node.kind) {
      case Node::Kind::kEmpty:
        break;
      case Node::Kind::kChar:
        Add(PatternOp::kChar, static_cast<int>(node.character));
        break;
      case Node::Kind::kAny:
        Add(PatternOp::kAny);
        break;
      case Node::Kind::kSet:
        Add(PatternOp::kSet, node.index);
        break;
      case Node::Kind::kAssert:
        Add(PatternOp::kAssert, node.index);
        break;
      case Node::Kind::kBackref:
        Add(PatternOp::kBackref, node.index);
        break;
      case Node::Kind::kGroup: {
        const bool saved = 2 * node.index < program_.captureSlots;
        if (saved) Add(PatternOp::kSave, 2 * node.index);
        if (!Emit(node.children.front())) return false;
        if (saved) Add(PatternOp::kSave, 2 * node.index + 1);
        break;
      }
      case Node::Kind::kConcat:
        for (const int child : node.children) {
          if (!Emit(child)) return false;
        }
        break;
      case Node::Kind::kAlternation:
        return EmitAlternation(node);
      case Node::Kind::kRepeat:
        return EmitRepeat(node);
    }
    return !Full();
  }

  bool EmitAlternation(const Node& node) {
    std::vector<int> jumps;
    for (std::size_t i = 0; i + 1 < node.children.size(); ++i) {
      const int split = Add(PatternOp::kSplit, Here() + 1);
      if (!Emit(node.children[i])) return false;
      jumps.push_back(Add(PatternOp::kJump));
      program_.code[static_cast<std::size_t>(split)].b = Here();
    }
    if (!Emit(node.children.back())) return false;
    for (const int jump : jumps) program_.code[static_cast<std::size_t>(jump)].a = Here();
    return !Full();
  }

  bool EmitRepeat(const Node& node) {
    const int child = node.children.front();
    for (int i = 0; i < node.min; ++i) {
      if (!Emit(child)) return false;
    }
    if (node.max == kUnbounded) return EmitStar(child);
    // Each further copy is optional, and skipping one skips the rest.
    std::vector<int> skips;
    for (int i = node.min; i < node.max; ++i) {
      skips.push_back(Add(PatternOp::kSplit, Here() + 1));
      if (!Emit(child)) return false;
    }
    for (const int skip : skips) program_.code[static_cast<std::size_t>(skip)].b = Here();
    return !Full();
  }

  // child*: a body that can match nothing gets a loop register, so an iteration that matched
  // nothing ends the loop instead of repeating forever in the backtracking search.
  bool EmitStar(int child) {
    const int entry = Add(PatternOp::kSplit, Here() + 1);
    const int body = Here();
    const bool nullable = nodes_[static_cast<std::size_t>(child)].nullable;
    const int loopRegister = nullable ? program_.loopRegisters++ : 0;
    if (nullable) Add(PatternOp::kLoopStart, loopRegister);
    if (!Emit(child)) return false;
    if (nullable) {
      Add(PatternOp::kLoopEnd, loopRegister, body);
    } else {
      Add(PatternOp::kSplit, body, Here() + 1);
    }
    program_.code[static_cast<std::size_t>(entry)].b = Here();
    return !Full();
  }

  const std::vector<Node>& nodes_;
  PatternProgram& program_;
};

std::u32string CodePoints(std::string_view text) {
  std::u32string points;
  while (!text.empty()) {
    const std::size_t length = Utf8CharLength(text);
    if (length == 0) {
      points += kStrayByteBase + static_cast<unsigned char>(text.front());
      text.remove_prefix(1);
      continue;
    }
    points += Utf8CodePoint(text.substr(0, length));
    text.remove_prefix(length);
  }
  return points;
}

}  // namespace

void PatternSet::Seal() {
  ascii = {};
  for (char32_t c = 0; c < 128; ++c) {
    if (ContainsSlowly(c)) ascii[c >> 6] |= std::uint64_t{1} << (c & 63);
  }
}

bool PatternSet::ContainsSlowly(char32_t c) const {
  const bool inRange = std::any_of(ranges.begin(), ranges.end(), [&](const auto& range) {
    return c >= range.first && c <= range.second;
  });
  const bool inClass =
      !inRange && std::any_of(classes.begin(), classes.end(), [&](std::wctype_t type) {
        return std::iswctype(static_cast<std::wint_t>(c), type) != 0;
      });
  return (inRange || inClass) != negated;
}

PatternCompilation CompilePatternProgram(std::string_view pattern, PatternProgram& program,
                                         std::string& problem) {
  program = PatternProgram{};
  Parser parser(CodePoints(pattern), program.sets);
  const std::optional<int> root = parser.Parse(problem);
  if (!root) {
    return parser.tooDeep() ? PatternCompilation::kBeyondBounds : PatternCompilation::kInvalid;
  }
  MarkNodes(parser.nodes());
  // The compiler recurses as deep as the tree goes.
  if (parser.nodes()[static_cast<std::size_t>(*root)].nesting > LabelPattern::kMaxNesting) {
    problem = NestingProblem();
    return PatternCompilation::kBeyondBounds;
  }
  const int highest = parser.highestBackReference();
  program.captureSlots = highest > 0 ? 2 * (highest + 1) : 0;
  if (!Compiler(parser.nodes(), program).Compile(*root)) {
    problem = "the pattern is too large (more than " +
              std::to_string(LabelPattern::kMaxInstructions) + " instructions)";
    return PatternCompilation::kBeyondBounds;
  }
  return PatternCompilation::kDone;
}
