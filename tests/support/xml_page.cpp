#include "support/xml_page.hpp"

#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

namespace testsupport {

namespace {

const auto* chars(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

}  // namespace

XmlPage::XmlPage(const std::string& text)
    : doc_(xmlReadMemory(text.data(), static_cast<int>(text.size()), "page.html", nullptr,
                         XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING)) {}

XmlPage::~XmlPage() { xmlFreeDoc(static_cast<xmlDocPtr>(doc_)); }

std::vector<std::string> XmlPage::texts(const std::string& xpath) const {
  std::vector<std::string> found;
  if (doc_ == nullptr) return found;
  xmlXPathContextPtr context = xmlXPathNewContext(static_cast<xmlDocPtr>(doc_));
  xmlXPathRegisterNs(context, chars("h"), chars("http://www.w3.org/1999/xhtml"));
  xmlXPathRegisterNs(context, chars("s"), chars("http://www.w3.org/2000/svg"));
  xmlXPathObjectPtr result = xmlXPathEvalExpression(chars(xpath.c_str()), context);
  if (result != nullptr && result->nodesetval != nullptr) {
    for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
      xmlChar* content = xmlNodeGetContent(result->nodesetval->nodeTab[i]);
      found.emplace_back(content != nullptr ? reinterpret_cast<const char*>(content) : "");
      xmlFree(content);
    }
  }
  xmlXPathFreeObject(result);
  xmlXPathFreeContext(context);
  return found;
}

}  // namespace testsupport
