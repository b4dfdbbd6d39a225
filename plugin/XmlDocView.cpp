#include "plugin/XmlDocView.h"

#include <cstring>
#include <strings.h>

#include <tinyxml.h>

#include "framework/xml/XmlTextParse.h"

namespace tolvane3 {

namespace {

// One record per node, without its children or siblings.
std::unique_ptr<XmlNodeView> ConvertOne(const TiXmlNode& node)
{
  auto view = std::make_unique<XmlNodeView>();
  if (const TiXmlElement* element = node.ToElement())
  {
    view->kind = XmlNodeView::kElement;
    view->value = element->Value();
    view->attrs = XmlViewConvertAttrs(*element);
  }
  else if (node.ToText())
  {
    view->kind = XmlNodeView::kText;
    view->value = node.Value();
  }
  return view;
}

} // namespace

std::vector<XmlAttrView> XmlViewConvertAttrs(const TiXmlElement& element)
{
  std::vector<XmlAttrView> attrs;
  for (const TiXmlAttribute* a = element.FirstAttribute(); a; a = a->Next())
    attrs.push_back({a->Name(), a->Value()});
  return attrs;
}

std::unique_ptr<XmlNodeView> XmlViewConvertNode(const TiXmlNode* node)
{
  // Siblings in a loop; children recurse once per level, which the nesting
  // bound keeps shallow.
  std::unique_ptr<XmlNodeView> first;
  std::unique_ptr<XmlNodeView>* slot = &first;
  for (; node; node = node->NextSibling())
  {
    *slot = ConvertOne(*node);
    (*slot)->firstChild = XmlViewConvertNode(node->FirstChild());
    slot = &(*slot)->nextSibling;
  }
  return first;
}

XmlNodeView::~XmlNodeView()
{
  // Unlink the sibling chain one by one, so a long run of siblings does not
  // recurse in the destructors.
  std::unique_ptr<XmlNodeView> next = std::move(nextSibling);
  while (next)
    next = std::move(next->nextSibling);
}

XmlDocView::~XmlDocView() = default;

XmlDocView* XmlDocViewParse(const char* text, size_t length, const char* name)
{
  // The terminator is looked for only where the caller says it stands.
  if (!text || strnlen(text, length) != length || text[length] != '\0')
    return nullptr;
  const std::string_view source(text, length);
  auto doc = std::make_unique<TiXmlDocument>(name ? name : "");
  if (!plugkit::ParseXmlText(*doc, source))
    return nullptr;
  auto* view = new XmlDocView;
  // The root element and what follows it in the document (comments,
  // processing instructions) as its siblings.
  view->root = XmlViewConvertNode(doc->FirstChildElement());
  view->doc = std::move(doc);
  return view;
}

const XmlNodeView* XmlDocViewRoot(const XmlDocView* view)
{
  return view ? view->root.get() : nullptr;
}

const XmlAttrView* XmlNodeViewFindAttr(const XmlNodeView* node, const char* name)
{
  if (!node || !name || !*name)
    return nullptr;
  for (const XmlAttrView& attr : node->attrs)
  {
    if (strcasecmp(attr.name, name) == 0)
      return &attr;
  }
  return nullptr;
}

char* XmlNodeViewGetAttr(const XmlNodeView* node, const char* name)
{
  const XmlAttrView* attr = XmlNodeViewFindAttr(node, name);
  return attr ? strdup(attr->value) : nullptr;
}

void XmlDocViewFree(XmlDocView* view)
{
  delete view;
}

} // namespace tolvane3
