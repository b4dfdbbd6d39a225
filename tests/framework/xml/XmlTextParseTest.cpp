#include "framework/xml/XmlTextParse.h"

#include <functional>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/GuardPage.h"
#include "tests/support/TruncatedUtf8Texts.h"

namespace plugkit {
namespace {

using testsupport::GuardPage;

constexpr TiXmlEncoding kEncodings[] = {TIXML_ENCODING_UNKNOWN, TIXML_ENCODING_UTF8, TIXML_ENCODING_LEGACY};

// What a parse came to, comparable as a whole: the error and where, or the
// document printed back.
std::string Outcome(const TiXmlDocument& doc)
{
  if (doc.Error())
    return "error " + std::to_string(doc.ErrorId()) + " at " + std::to_string(doc.ErrorRow()) + ":" +
           std::to_string(doc.ErrorCol());
  TiXmlPrinter printer;
  doc.Accept(&printer);
  return printer.Str();
}

// The model: the library parsing the text with a page of zeros behind it,
// far more room than any step it takes.
std::string ModelOutcome(const std::string& text, TiXmlEncoding encoding)
{
  const std::string roomy = text + std::string(4096, '\0');
  TiXmlDocument doc;
  doc.Parse(roomy.c_str(), nullptr, encoding);
  return Outcome(doc);
}

// Whatever text the helper is given, with its last byte the last readable
// one: what it hands the library is safe to parse where the next byte faults,
// and it reads the same document as a parse with room to spare.
void ExpectSafeAndAsWithRoomToSpare(GuardPage& guard, const std::string& text)
{
  for (TiXmlEncoding encoding : kEncodings)
  {
    SCOPED_TRACE("encoding " + std::to_string(encoding));
    TiXmlDocument direct;
    direct.Parse(guard.Place(PaddedXmlText(text)).data(), nullptr, encoding);
    TiXmlDocument doc;
    const bool parsed = ParseXmlText(doc, guard.Place(text), encoding);
    EXPECT_EQ(parsed, !doc.Error());
    EXPECT_EQ(Outcome(doc), ModelOutcome(text, encoding));
  }
}

TEST(XmlTextParse, TextEndingInsideAUtf8SequenceNeverTakesTheParserPastItsEnd)
{
  GuardPage guard;
  for (const auto& [name, text] : testsupport::TruncatedUtf8Texts())
  {
    SCOPED_TRACE(name);
    ExpectSafeAndAsWithRoomToSpare(guard, text);
  }
  // Texts pieced together from markup and from whole, cut and stray UTF-8
  // sequences, whatever their last bytes.
  const char* const pieces[] = {"<", ">", "/", "a", "b", "='", "\"", " ", "&", "&#", "&amp;", "<!--", "-->",
    "<![CDATA[", "?>", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "\xEF\xBB\xBF", "\xC3\xA9", "\xC3", "\xE2\x82",
    "\xE2\x82\xAC", "\xF0", "\xF0\x9F\x8E", "\xF4\x8F\xBF\xBF", "\xFF", "\x80"};
  std::mt19937 random(40);
  for (int i = 0; i < 2000 && !HasFailure(); ++i)
  {
    std::string text;
    for (size_t n = 1 + random() % 12; n > 0; --n)
      text += pieces[random() % std::size(pieces)];
    SCOPED_TRACE(testing::PrintToString(text));
    ExpectSafeAndAsWithRoomToSpare(guard, text);
  }
}

// The parser recurses once per level, deeper than a thread's stack holds
// for text nested deep enough: text that may open more elements than the
// bound is refused before it is parsed, however they nest, and text at the
// bound parses as the library parses it. The same for nodes of any kind,
// each of which costs the parser more memory than its text.
TEST(XmlTextParse, TextPastTheNestingBoundIsRefusedBeforeItIsParsed)
{
  auto repeated = [](const char* piece, size_t times) {
    std::string text;
    for (size_t i = 0; i < times; ++i)
      text += piece;
    return text;
  };
  auto nested = [&](size_t levels) { return repeated("<a>", levels) + repeated("</a>", levels); };
  auto siblings = [&](size_t count) { return "<r>" + repeated("<b/>", count - 1) + "</r>"; };
  // An element holding other markup: `nodes` places of nodes in all.
  auto holding = [&](const char* markup, size_t nodes) { return "<r>" + repeated(markup, nodes - 2) + "</r>"; };
  // `count` attributes of distinct names, as the parser refuses a name twice.
  auto numbered = [](const char* name, const char* value, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i)
      text += name + std::to_string(i) + value;
    return text;
  };
  struct Case
  {
    const char* name;
    std::string text;
    bool parsed;
  };
  const std::string prolog = "<?xml version=\"1.0\"?><!DOCTYPE a><!-- a -->";
  const Case cases[] = {
    {"nested to the bound", prolog + nested(kMaxXmlElementStarts), true},
    {"nested one past it", nested(kMaxXmlElementStarts + 1), false},
    {"nested 100,000 deep", nested(100000), false},
    {"comments and instructions past it", "<r>" + repeated("<!--c--><?p?>", 2 * kMaxXmlElementStarts) + "</r>", true},
    {"side by side to the bound", siblings(kMaxXmlElementStarts), true},
    {"side by side one past it", siblings(kMaxXmlElementStarts + 1), false},
    // Comments, CDATA sections and declarations nest nothing, whatever
    // they hold.
    {"a commented-out block past it", "<r><!--" + siblings(kMaxXmlElementStarts + 1) + "--></r>", true},
    {"100,000 in a comment", "<r><!--" + nested(100000) + "--><!-->" + nested(600) + "--></r>", true},
    {"tags kept as CDATA", prolog + "<r><![CDATA[" + nested(kMaxXmlElementStarts + 1) + "]]></r>", true},
    {"starts in a declaration", "<!DOCTYPE r [" + repeated("<b ", 2 * kMaxXmlElementStarts) + "]><r/>", true},
    // What only looks like a comment to a reader that does not follow the
    // markup: the parser opens the elements after it.
    {"a comment opened in a value", "<r a=\"<!--\">" + nested(600) + "--></r>", false},
    {"a comment after a character reference", "<r>&#x<!--x41;" + nested(600) + "--></r>", false},
    {"a comment after a cut UTF-8 sequence", prolog + "<r>\xE0<!--" + nested(600) + "--></r>", false},
    {"a comment in the declaration's value", "<?xml version=\"><!--\"?>" + nested(600) + "-->", false},
    {"a declaration's quote past its end", "<?xml foo=\"x version=\">\" <!-- ?>" + nested(600) + "-->", false},
    {"a comment in a value after its \">\"", "<r a=\"x><!--\">" + nested(600) + "--></r>", false},
    // A whole UTF-8 sequence hides nothing: the comment after it is read as
    // one.
    {"a comment after a whole 4-byte sequence", prolog + "<r>\xF0\x9F\x8E\xB5<!--" + nested(600) + "--></r>", true},
    // A stray "<" counts unless nothing follows it.
    {"a stray \"<\" and a blank at the bound", nested(kMaxXmlElementStarts) + "< ", false},
    {"a lone \"<\" last at the bound", nested(kMaxXmlElementStarts) + "<", true},
    // Nodes that are not elements, past the node bound, wherever the
    // bound is sure of the markup and where it is not.
    {"declarations to the node bound", holding("<!x>", kMaxXmlNodeStarts), true},
    {"declarations one past it", holding("<!x>", kMaxXmlNodeStarts + 1), false},
    {"instructions past it", holding("<?x?>", kMaxXmlNodeStarts + 1), false},
    {"comments past it", holding("<!---->", kMaxXmlNodeStarts + 1), false},
    {"CDATA sections past it", holding("<![CDATA[]]>", kMaxXmlNodeStarts + 1), false},
    {"stray \"<\" in text past it", holding("1 < 2 > 0", kMaxXmlNodeStarts + 1), false},
    {"end tags outside the root past it", "<r/>" + repeated("</r>", kMaxXmlNodeStarts), false},
    {"plain text after a character reference", "<r>&#65;" + std::string(600, 'x') + "</r>", true},
    {"comments after a character reference past it", "<r>&#65;" + repeated("<!---->", kMaxXmlNodeStarts) + "</r>",
     false},
    {"attributes to their bound", "<r" + numbered(" a", "=''", kMaxXmlAttributes) + "/>", true},
    {"attributes one past it", "<r" + numbered(" a", "=''", kMaxXmlAttributes + 1) + "/>", false},
    {"attributes after a character reference past it",
     "<r b='&#65;'" + numbered(" a", "=''", kMaxXmlAttributes) + "/>", false},
    // Each element here makes two nodes: one past the bound with them.
    {"attributes of elements past the node bound",
     "<r>" + numbered("<b a", "=''/>", kMaxXmlElementStarts - 1) +
       repeated("<!---->", kMaxXmlNodeStarts - 2 * kMaxXmlElementStarts + 1) + "</r>",
     false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ExceededXmlBound(c.text) != XmlBound::kNone, !c.parsed);
    TiXmlDocument doc;
    const bool parsed = ParseXmlText(doc, c.text);
    if (c.parsed)
      EXPECT_EQ(Outcome(doc), ModelOutcome(c.text, TIXML_DEFAULT_ENCODING));
    else
      EXPECT_TRUE(!parsed && !doc.Error() && !doc.FirstChild()) << "the text was parsed";
  }
}

// Whatever the text, the bound counts at least every element the library
// opens in it, in any encoding, and enough places of nodes to bound the
// nodes it makes (one run of text at most after each): texts pieced
// together from markup, and from the references and UTF-8 sequences that
// make the library step over it.
TEST(XmlTextParse, TheBoundCountsEveryElementTheLibraryOpens)
{
  std::function<size_t(const TiXmlNode&, bool)> nodes = [&](const TiXmlNode& node, bool onlyElements) {
    size_t n = !onlyElements || node.ToElement() ? 1 : 0;
    if (!onlyElements && node.ToElement())
      for (const TiXmlAttribute* a = node.ToElement()->FirstAttribute(); a; a = a->Next())
        ++n;
    for (const TiXmlNode* child = node.FirstChild(); child; child = child->NextSibling())
      n += nodes(*child, onlyElements);
    return n;
  };
  const char* const pieces[] = {"<a>", "</a>", "<b/>", "<a x=", "\"", "'", " ", "=", ">", "<!--", "-->", "<![CDATA[",
    "]]>", "<!D ", "<?xml ", "version=", "?>", "<?p ", "&#x", "x41;", "&#", "65;", "&amp;", "\xE0", "\xC3\xA9", "<"};
  std::mt19937 random(57);
  for (int i = 0; i < 20000 && !HasFailure(); ++i)
  {
    std::string text;
    for (size_t n = 1 + random() % 16; n > 0; --n)
      text += pieces[random() % std::size(pieces)];
    SCOPED_TRACE(testing::PrintToString(text));
    for (TiXmlEncoding encoding : kEncodings)
    {
      TiXmlDocument doc;
      doc.Parse(PaddedXmlText(text).c_str(), nullptr, encoding);
      EXPECT_GE(XmlElementStarts(text), nodes(doc, true));
      EXPECT_GE(2 * XmlNodeStarts(text) + 1, nodes(doc, false) - 1); // the document itself aside
    }
  }
}

} // namespace
} // namespace plugkit
