// A page read back with an XML parser (libxml2), for the tests of the HTML
// report: is it well-formed, and what text do its elements hold.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

/// A page parsed as XML, without network access and without recovery.
class XmlPage {
 public:
  explicit XmlPage(const std::string& text);
  ~XmlPage();
  XmlPage(const XmlPage&) = delete;
  XmlPage& operator=(const XmlPage&) = delete;

  /// Whether the parser accepted the whole page.
  bool wellFormed() const { return doc_ != nullptr; }
  /// The text content of every node `xpath` selects; the prefix h names
  /// the XHTML namespace, s the SVG one.
  std::vector<std::string> texts(const std::string& xpath) const;

 private:
  void* doc_ = nullptr;
};

}  // namespace testsupport
