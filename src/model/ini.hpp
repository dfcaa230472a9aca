// The INI reader: a tree of named sections holding string keys and child
// sections. Its dialect has dotted section paths ([a.b] opens b inside a),
// inheritance of keys ([name : other]) and optional value lookups
// (%section.key%). Carset files are read with it.
#pragma once

#include <cstddef>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/error.hpp"

namespace marvolt {

/// The INI reader's error: a missing key or section, a syntax error, a bad lookup.
class IniException : public Error {
 public:
  using Error::Error;
};

class IniSection;

/// The children of a section in the order they were added, seen as sections.
template <typename Section>
class IniSectionList {
  using Owners = std::vector<std::unique_ptr<IniSection>>;

 public:
  /// Walks the children, yielding references to sections.
  class iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = IniSection;
    using difference_type = std::ptrdiff_t;
    using pointer = Section*;
    using reference = Section&;
    iterator() = default;
    /// An iterator at the given owner.
    explicit iterator(typename Owners::const_iterator at) : at_(at) {}
    /// The child section.
    reference operator*() const { return **at_; }
    /// The child section.
    pointer operator->() const { return at_->get(); }
    /// Advances to the next child.
    iterator& operator++() { ++at_; return *this; }
    /// Advances to the next child, returning the old position.
    iterator operator++(int) { iterator old = *this; ++at_; return old; }
    /// Whether both designate the same position.
    bool operator==(const iterator& other) const = default;

   private:
    typename Owners::const_iterator at_{};
  };

  /// A view over the given children.
  explicit IniSectionList(const Owners& owners) : owners_(&owners) {}
  /// The first child.
  iterator begin() const { return iterator(owners_->begin()); }
  /// Past the last child.
  iterator end() const { return iterator(owners_->end()); }
  /// The number of children.
  std::size_t size() const { return owners_->size(); }
  /// Whether there are no children.
  bool empty() const { return owners_->empty(); }
  /// The child at `index` (which must be below size()).
  Section& operator[](std::size_t index) const { return *(*owners_)[index]; }

 private:
  const Owners* owners_;
};

/// One section: a name, a non-owning link to the section holding it, keys
/// and child sections. A value type: a copy holds copies of all children,
/// whose links designate their new holders. Children never move in memory,
/// so links and references to them stay valid while the tree grows.
class IniSection {
 public:
  /// Keys and their values.
  using Keys = std::map<std::string, std::string>;

  /// A section named "root" without parent.
  IniSection();
  /// A section with the given name, no parent, no keys, no children.
  explicit IniSection(std::string name);
  /// The same, with the parent link set (the parent does not hold it).
  IniSection(std::string name, IniSection* parent);
  /// A deep copy; it keeps the original's parent link.
  IniSection(const IniSection& other);
  /// Takes over the other's keys, children and parent link; the other keeps its name.
  IniSection(IniSection&& other);
  /// Replaces name, keys and children by copies; the own parent link stays.
  IniSection& operator=(const IniSection& other);
  /// Takes the other's keys and children and copies its name; the own parent link stays.
  IniSection& operator=(IniSection&& other);
  /// Releases the whole subtree without recursion.
  ~IniSection();

  /// Inserts the key or replaces its value.
  void setKey(const std::string& key, std::string value);
  /// Whether the key is present.
  bool hasKey(const std::string& key) const;
  /// The key's value; throws IniException when it is absent.
  const std::string& getKey(const std::string& key) const;
  /// The key's value, or `fallback` when it is absent.
  std::string getKey(const std::string& key, std::string_view fallback) const;
  /// Removes the key if present.
  void removeKey(const std::string& key);

  /// Appends a copy of `section` as the last child; the copy's link designates this section.
  IniSection& addSection(const IniSection& section);
  /// Whether a child has exactly this name.
  bool hasSection(std::string_view name) const;
  /// The first child with this name; throws IniException when there is none.
  const IniSection& getSection(std::string_view name) const;
  /// The first child with this name; throws IniException when there is none.
  IniSection& getSection(std::string_view name);
  /// Removes every child with this name; the others keep their order.
  void removeSection(std::string_view name);

  /// The section's name.
  const std::string& name() const { return name_; }
  /// The section's keys.
  const Keys& keys() const { return keys_; }
  /// The children, in the order they were added.
  IniSectionList<const IniSection> sections() const { return IniSectionList<const IniSection>(children_); }
  /// The children, in the order they were added.
  IniSectionList<IniSection> sections() { return IniSectionList<IniSection>(children_); }

  /// A copy of the top-most ancestor (of this section when it has no parent).
  IniSection root() const;
  /// The parent link; null when there is none.
  IniSection* getParent() const { return parent_; }
  /// Whether the parent link is set.
  bool hasParent() const { return parent_ != nullptr; }
  /// Moves this section below `parent`: removes it (by name) from its current
  /// parent, links it to `parent` and appends a copy to `parent`'s children.
  /// Returns that copy, since this section is destroyed when its old parent
  /// held it. Throws IniException when `parent` is this section or lies below it.
  IniSection& setParent(IniSection& parent);

  /// A copy of the section reached by the dotted path; the empty path gives this section.
  IniSection getSectionEx(std::string_view path) const;
  /// Replaces all keys by a copy of the other section's keys.
  void inherit(const IniSection& other);

  /// The text cut at the first `limit`-1 occurrences of `delimiter`; the last
  /// piece is the rest. An empty delimiter or a limit below 2 gives the text whole.
  static std::vector<std::string> split(std::string_view text, std::string_view delimiter,
                                        std::size_t limit = std::numeric_limits<std::size_t>::max());

  /// Parses the text (lines end at any Unicode line break) into this section.
  void parseString(std::string_view text, bool lookups = false);
  /// A section named "root" holding the parsed text.
  static IniSection ParseString(std::string_view text, bool lookups = false);
  /// Expands the %section.key% references in the values of this section and all below it.
  void parseLookups();

 private:
  using Children = std::vector<std::unique_ptr<IniSection>>;

  IniSection& appendChild(std::unique_ptr<IniSection> child);
  IniSection& childOrNew(std::string_view name);
  const IniSection* findChild(std::string_view name) const;
  const IniSection& rootRef() const;
  const IniSection& sectionAt(std::string_view path) const;
  bool isAtOrAbove(const IniSection& section) const;
  void copyChildrenFrom(const IniSection& source);
  void takeContents(IniSection&& other);
  void relinkChildren();
  void rebuildIndex();
  struct ParseState;
  void parseLine(std::string_view line, ParseState& state);
  IniSection& openHeader(std::string_view inner, ParseState& state);
  void expandLookups(const IniSection& top, std::size_t& budget);
  const std::string& lookupValue(const IniSection& top, std::string_view reference, const std::string& key) const;

  std::string name_;
  IniSection* parent_ = nullptr;
  Children children_;
  Keys keys_;
  std::map<std::string, IniSection*, std::less<>> firstChildByName_;
};

}  // namespace marvolt
