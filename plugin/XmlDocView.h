// A small C-style, read-only view of a parsed XML document: each node as a
// record of its kind, its name or text, its attributes, its first child and
// its next sibling. Nothing in the product reads documents this way; it is
// kept for code that wants a plain tree instead of TinyXML's classes.
//
// The records point into the parsed document's strings and live until
// XmlDocViewFree. Siblings are converted in a loop and the nesting is
// bounded before parsing, so no document can exhaust the stack.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;

namespace tolvane3 {

struct XmlAttrView
{
  const char* name;
  const char* value;
};

struct XmlNodeView
{
  enum Kind : int { kOther = 0, kElement = 1, kText = 2 };
  Kind kind = kOther;
  // The element's name or the text; "" for other nodes.
  const char* value = "";
  std::vector<XmlAttrView> attrs;
  std::unique_ptr<XmlNodeView> firstChild;
  std::unique_ptr<XmlNodeView> nextSibling;

  ~XmlNodeView();
};

struct XmlDocView
{
  std::unique_ptr<TiXmlDocument> doc;
  std::unique_ptr<XmlNodeView> root;

  ~XmlDocView();
};

// Parses length bytes of text, whose zero terminator must stand at length,
// into a document named name (null: ""). Null when the terminator is
// elsewhere, the nesting is too deep or the text does not parse.
XmlDocView* XmlDocViewParse(const char* text, size_t length, const char* name);
// The records of a node and of its following siblings, each with its
// children; null for no node.
std::unique_ptr<XmlNodeView> XmlViewConvertNode(const TiXmlNode* node);
// The element's attributes, in document order.
std::vector<XmlAttrView> XmlViewConvertAttrs(const TiXmlElement& element);
// The record of the document's first element; what follows that element in
// the document hangs on as its siblings.
const XmlNodeView* XmlDocViewRoot(const XmlDocView* view);
// The attribute of that name, ignoring letter case; null for an empty name
// or none.
const XmlAttrView* XmlNodeViewFindAttr(const XmlNodeView* node, const char* name);
// A copy of the attribute's value (the caller frees it with free); null
// when there is none.
char* XmlNodeViewGetAttr(const XmlNodeView* node, const char* name);
void XmlDocViewFree(XmlDocView* view);

} // namespace tolvane3
