#include "model/ini.hpp"

#include <algorithm>
#include <utility>

namespace marvolt {

namespace {

// Growth allowed to one lookup expansion: this much, plus a multiple of the
// tree's value text. References to references could otherwise double the
// text with every key.
constexpr std::size_t kLookupAllowance = std::size_t{1} << 20;
constexpr std::size_t kLookupGrowthFactor = 16;

// Keys copied by inheritance during one parse: this many bytes plus a
// multiple of the text's size, each key counting its text and an overhead.
// Every header may copy every key of an earlier section, so without a bound
// a text could make its tree grow with the square of its size.
constexpr std::size_t kInheritAllowance = std::size_t{16} << 20;
constexpr std::size_t kInheritGrowthFactor = 16;
constexpr std::size_t kInheritKeyOverhead = 64;

// The multi-byte UTF-8 forms of the Unicode white-space characters.
constexpr std::string_view kWideWhiteSpace[] = {
    "\xC2\x85",     "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82",
    "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88",
    "\xE2\x80\x89", "\xE2\x80\x8A", "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F",
    "\xE3\x80\x80"};

// The multi-byte UTF-8 forms of the Unicode line breaks: NEL, LS, PS.
constexpr std::string_view kWideLineBreaks[] = {"\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"};

bool isAsciiWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Length of the white-space character at the start of `text`, or 0.
std::size_t leadingWhiteSpace(std::string_view text) {
  if (text.empty()) return 0;
  if (isAsciiWhiteSpace(text.front())) return 1;
  for (std::string_view ws : kWideWhiteSpace) {
    if (text.starts_with(ws)) return ws.size();
  }
  return 0;
}

// Length of the white-space character at the end of `text`, or 0. UTF-8 lead
// bytes are never continuation bytes, so matching the tail is unambiguous.
std::size_t trailingWhiteSpace(std::string_view text) {
  if (text.empty()) return 0;
  if (isAsciiWhiteSpace(text.back())) return 1;
  for (std::string_view ws : kWideWhiteSpace) {
    if (text.ends_with(ws)) return ws.size();
  }
  return 0;
}

// The text without Unicode white space at either end.
std::string_view strip(std::string_view text) {
  while (std::size_t n = leadingWhiteSpace(text)) text.remove_prefix(n);
  while (std::size_t n = trailingWhiteSpace(text)) text.remove_suffix(n);
  return text;
}

// Length of the first character of non-empty UTF-8 text; a malformed byte is one character.
std::size_t firstCharacterLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text.front());
  std::size_t length = 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
  }
  if (length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

// Whether the text holds at least two characters.
bool hasTwoCharacters(std::string_view text) { return !text.empty() && firstCharacterLength(text) < text.size(); }

// Length of the line break at `text[i]`, or 0: LF, CR LF, CR, VT, FF, NEL, LS, PS.
std::size_t anyLineBreakAt(std::string_view text, std::size_t i) {
  const char c = text[i];
  if (c == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
  if (c == '\n' || c == '\v' || c == '\f') return 1;
  const std::string_view rest = text.substr(i);
  for (std::string_view lb : kWideLineBreaks) {
    if (rest.starts_with(lb)) return lb.size();
  }
  return 0;
}

// Calls `onLine(line, number)` for every line of the text, numbered from 1.
template <typename OnLine>
void forEachLine(std::string_view text, OnLine onLine) {
  std::size_t start = 0;
  std::size_t number = 1;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t breakLength = anyLineBreakAt(text, i);
    if (breakLength == 0) {
      ++i;
      continue;
    }
    onLine(text.substr(start, i - start), number++);
    i += breakLength;
    start = i;
  }
  if (start < text.size()) onLine(text.substr(start), number);
}

// Cuts `path` at its first "."; `path` keeps the rest. Returns the part before it.
std::string_view nextPathPart(std::string_view& path, bool& more) {
  const std::size_t dot = path.find('.');
  more = dot != std::string_view::npos;
  const std::string_view part = path.substr(0, dot);
  path.remove_prefix(more ? dot + 1 : path.size());
  return part;
}

// The bytes an inheritance of these keys counts against its budget.
std::size_t inheritCost(const IniSection::Keys& keys) {
  std::size_t cost = 0;
  for (const auto& [key, value] : keys) cost += key.size() + value.size() + kInheritKeyOverhead;
  return cost;
}

// The bytes of all keys and values of the section and its descendants.
std::size_t textSize(const IniSection& top) {
  std::size_t size = 0;
  std::vector<const IniSection*> pending{&top};
  while (!pending.empty()) {
    const IniSection* section = pending.back();
    pending.pop_back();
    for (const auto& [key, value] : section->keys()) size += key.size() + value.size();
    for (const IniSection& child : section->sections()) pending.push_back(&child);
  }
  return size;
}

}  // namespace

// ---- construction, copies, destruction ----

IniSection::IniSection() : name_("root") {}

IniSection::IniSection(std::string name) : name_(std::move(name)) {}

IniSection::IniSection(std::string name, IniSection* parent) : name_(std::move(name)), parent_(parent) {}

IniSection::IniSection(const IniSection& other) : name_(other.name_), parent_(other.parent_), keys_(other.keys_) {
  copyChildrenFrom(other);
}

// The moved-from section keeps its name, so a tree that still holds it stays
// consistent with its index of children by name.
IniSection::IniSection(IniSection&& other)
    : name_(other.name_),
      parent_(other.parent_),
      children_(std::move(other.children_)),
      keys_(std::move(other.keys_)),
      firstChildByName_(std::move(other.firstChildByName_)) {
  other.keys_.clear();
  other.children_.clear();
  other.firstChildByName_.clear();
  relinkChildren();
}

IniSection& IniSection::operator=(const IniSection& other) {
  if (this != &other) takeContents(IniSection(other));
  return *this;
}

IniSection& IniSection::operator=(IniSection&& other) {
  if (other.isAtOrAbove(*this)) {
    // Taking the children of an ancestor would make this section hold itself.
    if (this != &other) takeContents(IniSection(other));
  } else {
    takeContents(std::move(other));
  }
  return *this;
}

IniSection::~IniSection() {
  // Deep trees (a header with thousands of dots) must not unwind recursively:
  // detach every descendant into a flat list before releasing it.
  Children pending = std::move(children_);
  while (!pending.empty()) {
    std::unique_ptr<IniSection> section = std::move(pending.back());
    pending.pop_back();
    for (auto& child : section->children_) pending.push_back(std::move(child));
    section->children_.clear();
  }
}

// Copies the children of `source` below this childless section, level by
// level through a work list rather than by recursion.
void IniSection::copyChildrenFrom(const IniSection& source) {
  std::vector<std::pair<const IniSection*, IniSection*>> pending{{&source, this}};
  while (!pending.empty()) {
    const auto [from, to] = pending.back();
    pending.pop_back();
    for (const auto& child : from->children_) {
      auto copy = std::make_unique<IniSection>(child->name_);
      copy->keys_ = child->keys_;
      IniSection& added = to->appendChild(std::move(copy));
      pending.emplace_back(child.get(), &added);
    }
  }
}

// Takes name, keys and children of `other`, which may lie inside this
// section's own subtree: the old children are released only at the end.
void IniSection::takeContents(IniSection&& other) {
  const bool renamed = name_ != other.name_;
  Children oldChildren = std::move(children_);
  name_ = other.name_;
  keys_ = std::move(other.keys_);
  children_ = std::move(other.children_);
  firstChildByName_ = std::move(other.firstChildByName_);
  other.keys_.clear();
  other.children_.clear();
  other.firstChildByName_.clear();
  relinkChildren();
  if (renamed && parent_ != nullptr) parent_->rebuildIndex();
}

void IniSection::relinkChildren() {
  for (auto& child : children_) child->parent_ = this;
}

void IniSection::rebuildIndex() {
  firstChildByName_.clear();
  for (auto& child : children_) firstChildByName_.try_emplace(child->name_, child.get());
}

// ---- keys ----

void IniSection::setKey(const std::string& key, std::string value) { keys_.insert_or_assign(key, std::move(value)); }

bool IniSection::hasKey(const std::string& key) const { return keys_.contains(key); }

const std::string& IniSection::getKey(const std::string& key) const {
  const auto found = keys_.find(key);
  if (found == keys_.end()) throw IniException("Key '" + key + "' does not exists");
  return found->second;
}

std::string IniSection::getKey(const std::string& key, std::string_view fallback) const {
  const auto found = keys_.find(key);
  return found == keys_.end() ? std::string(fallback) : found->second;
}

void IniSection::removeKey(const std::string& key) { keys_.erase(key); }

void IniSection::inherit(const IniSection& other) {
  if (this != &other) keys_ = other.keys_;
}

// ---- child sections ----

IniSection& IniSection::appendChild(std::unique_ptr<IniSection> child) {
  child->parent_ = this;
  IniSection& added = *child;
  children_.push_back(std::move(child));
  try {
    firstChildByName_.try_emplace(added.name_, &added);
  } catch (...) {
    children_.pop_back();
    throw;
  }
  return added;
}

IniSection& IniSection::addSection(const IniSection& section) {
  // Copy first: `section` may be this section or lie inside it.
  return appendChild(std::make_unique<IniSection>(section));
}

const IniSection* IniSection::findChild(std::string_view name) const {
  const auto found = firstChildByName_.find(name);
  return found == firstChildByName_.end() ? nullptr : found->second;
}

IniSection& IniSection::childOrNew(std::string_view name) {
  if (const IniSection* child = findChild(name)) return const_cast<IniSection&>(*child);
  return appendChild(std::make_unique<IniSection>(std::string(name)));
}

bool IniSection::hasSection(std::string_view name) const { return findChild(name) != nullptr; }

const IniSection& IniSection::getSection(std::string_view name) const {
  const IniSection* child = findChild(name);
  if (child == nullptr) throw IniException("Section '" + std::string(name) + "' does not exists");
  return *child;
}

IniSection& IniSection::getSection(std::string_view name) {
  return const_cast<IniSection&>(std::as_const(*this).getSection(name));
}

void IniSection::removeSection(std::string_view name) {
  // The name may belong to one of the children about to be released.
  const std::string doomed(name);
  std::erase_if(children_, [&](const std::unique_ptr<IniSection>& child) { return child->name_ == doomed; });
  firstChildByName_.erase(doomed);
}

// ---- links and paths ----

const IniSection& IniSection::rootRef() const {
  const IniSection* top = this;
  while (top->parent_ != nullptr) top = top->parent_;
  return *top;
}

IniSection IniSection::root() const { return rootRef(); }

bool IniSection::isAtOrAbove(const IniSection& section) const {
  for (const IniSection* at = &section; at != nullptr; at = at->parent_) {
    if (at == this) return true;
  }
  return false;
}

IniSection& IniSection::setParent(IniSection& parent) {
  IniSection* const oldParent = parent_;
  // The move releases this section and its namesakes from the old parent;
  // none of them may hold the new parent, nor may links become circular.
  const auto releasedAbove = [&](const std::unique_ptr<IniSection>& child) {
    return child->name_ == name_ && child->isAtOrAbove(parent);
  };
  if (isAtOrAbove(parent) ||
      (oldParent != nullptr && std::any_of(oldParent->children_.begin(), oldParent->children_.end(), releasedAbove))) {
    throw IniException("Section '" + name_ + "' cannot be moved below itself");
  }
  auto copy = std::make_unique<IniSection>(*this);
  const bool heldByOldParent =
      oldParent != nullptr && std::any_of(oldParent->children_.begin(), oldParent->children_.end(),
                                          [this](const std::unique_ptr<IniSection>& child) { return child.get() == this; });
  // When the old parent holds this section, removing it destroys it: only
  // a free-standing section can still have its link set afterwards.
  if (!heldByOldParent) parent_ = &parent;
  if (oldParent != nullptr) oldParent->removeSection(copy->name_);
  return parent.appendChild(std::move(copy));
}

const IniSection& IniSection::sectionAt(std::string_view path) const {
  const IniSection* section = this;
  if (path.empty()) return *section;
  bool more = true;
  while (more) section = &section->getSection(nextPathPart(path, more));
  return *section;
}

IniSection IniSection::getSectionEx(std::string_view path) const { return sectionAt(path); }

// ---- splitting ----

std::vector<std::string> IniSection::split(std::string_view text, std::string_view delimiter, std::size_t limit) {
  std::vector<std::string> pieces;
  if (!delimiter.empty()) {
    for (std::size_t cuts = 0; limit > 1 && cuts < limit - 1; ++cuts) {
      const std::size_t at = text.find(delimiter);
      if (at == std::string_view::npos) break;
      pieces.emplace_back(text.substr(0, at));
      text.remove_prefix(at + delimiter.size());
    }
  }
  pieces.emplace_back(text);
  return pieces;
}

// ---- parsing ----


IniSection IniSection::ParseString(std::string_view text, bool lookups) {
  IniSection root;
  root.parseString(text, lookups);
  return root;
}

// What the line parser carries from one line to the next.
struct IniSection::ParseState {
  IniSection* current;         // the section key lines go to
  std::size_t number;          // the line's number, from 1
  std::size_t inheritBudget;   // bytes inheritance may still copy
};

void IniSection::parseString(std::string_view text, bool lookups) {
  ParseState state{this, 0, kInheritAllowance + kInheritGrowthFactor * text.size()};
  forEachLine(text, [&](std::string_view line, std::size_t number) {
    state.number = number;
    parseLine(line, state);
  });
  if (lookups) parseLookups();
}

// Runs one line with this section as the root.
void IniSection::parseLine(std::string_view line, ParseState& state) {
  line = strip(line);
  if (line.empty() || line.front() == ';') return;
  if (line.size() >= 3 && line.front() == '[' && line.back() == ']') {
    state.current = &openHeader(line.substr(1, line.size() - 2), state);
    return;
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) throw IniException("Syntax error at line " + std::to_string(state.number));
  const std::string_view key = strip(line.substr(0, equals));
  std::string_view value = strip(line.substr(equals + 1));
  if (value.size() >= 3 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  state.current->setKey(std::string(key), std::string(value));
}

// Opens the section named by a header's inner text, always from this (the
// root) section, creating what is missing, and applies its inheritance.
IniSection& IniSection::openHeader(std::string_view inner, ParseState& state) {
  std::string_view sourcePath;
  if (const std::size_t colon = inner.find(':'); colon != std::string_view::npos) {
    sourcePath = strip(inner.substr(colon + 1));
    inner = strip(inner.substr(0, colon));
  }
  IniSection* section = this;
  bool more = true;
  while (more) section = &section->childOrNew(nextPathPart(inner, more));
  if (hasTwoCharacters(sourcePath)) {
    const IniSection& source =
        sourcePath.front() == '.' ? sectionAt(sourcePath.substr(1)) : section->parent_->sectionAt(sourcePath);
    const std::size_t cost = inheritCost(source.keys_);
    if (cost > state.inheritBudget) {
      throw IniException("Inherited keys exceed the size limit at line " + std::to_string(state.number));
    }
    state.inheritBudget -= cost;
    section->inherit(source);
  }
  return *section;
}

// ---- lookups ----

void IniSection::parseLookups() {
  // Every section visited shares this root; it is found once, not per reference.
  const IniSection& top = rootRef();
  std::size_t budget = kLookupAllowance + kLookupGrowthFactor * textSize(top);
  // Visit this section, then each child's subtree in order, without recursion.
  std::vector<IniSection*> pending{this};
  while (!pending.empty()) {
    IniSection* section = pending.back();
    pending.pop_back();
    section->expandLookups(top, budget);
    for (auto child = section->children_.rbegin(); child != section->children_.rend(); ++child) {
      pending.push_back(child->get());
    }
  }
}

// Replaces every %reference% in this section's values. Each value is scanned
// once, left to right: text taken from a reference is never scanned again.
void IniSection::expandLookups(const IniSection& top, std::size_t& budget) {
  for (auto& [key, value] : keys_) {
    if (value.find('%') == std::string::npos) continue;
    std::string expanded;
    std::size_t from = 0;
    for (;;) {
      const std::size_t open = value.find('%', from);
      const std::size_t close = open == std::string::npos ? open : value.find('%', open + 1);
      if (close == std::string::npos) break;
      expanded.append(value, from, open - from);
      const std::string& replacement = lookupValue(top, std::string_view(value).substr(open + 1, close - open - 1), key);
      if (replacement.size() > budget) throw IniException("Lookup expansion too large in key '" + key + "'");
      budget -= replacement.size();
      expanded += replacement;
      from = close + 1;
    }
    expanded.append(value, from);
    value = std::move(expanded);
  }
}

// The value a reference found in key `key` designates: [.]path.key, absolute
// from the root `top` with a leading ".", else relative to this section.
const std::string& IniSection::lookupValue(const IniSection& top, std::string_view reference,
                                           const std::string& key) const {
  if (reference.empty()) throw IniException("Empty lookup reference in key '" + key + "'");
  if (reference == ".") throw IniException("Invalid lookup reference '.' in key '" + key + "'");
  const bool absolute = reference.front() == '.';
  const IniSection& base = absolute ? top : *this;
  if (absolute) reference.remove_prefix(1);
  const std::size_t lastDot = reference.rfind('.');
  if (lastDot == std::string_view::npos) return base.getKey(std::string(reference));
  return base.sectionAt(reference.substr(0, lastDot)).getKey(std::string(reference.substr(lastDot + 1)));
}

}  // namespace marvolt
