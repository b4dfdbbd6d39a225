#include "xml/XmlTextParse.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/GuardPage.h"
#include "tests/support/TruncatedUtf8Texts.h"

namespace tolvane3 {
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

std::string HelperOutcome(GuardPage& guard, const std::string& text, TiXmlEncoding encoding)
{
  TiXmlDocument doc;
  const bool parsed = ParseXmlText(doc, guard.Place(text), encoding);
  EXPECT_EQ(parsed, !doc.Error());
  return Outcome(doc);
}

TEST(XmlTextParse, TextEndingInsideAUtf8SequenceNeverTakesTheParserPastItsEnd)
{
  GuardPage guard;
  for (const auto& [name, text] : testsupport::TruncatedUtf8Texts())
  {
    for (TiXmlEncoding encoding : kEncodings)
    {
      SCOPED_TRACE(std::string(name) + ", encoding " + std::to_string(encoding));
      // What the library is given is safe where the next byte faults...
      TiXmlDocument direct;
      direct.Parse(guard.Place(PaddedXmlText(text)).data(), nullptr, encoding);
      // ...and the helper reads none of the caller's text beyond its end.
      EXPECT_EQ(HelperOutcome(guard, text, encoding), ModelOutcome(text, encoding));
    }
  }
}

// Texts pieced together from markup and from whole, cut and stray UTF-8
// sequences parse through the helper as with room to spare, whatever their
// last bytes.
TEST(XmlTextParse, AnyTextParsesAsWithRoomToSpare)
{
  const char* const pieces[] = {"<", ">", "/", "a", "b", "='", "\"", " ", "&", "&#", "&amp;", "<!--", "-->",
    "<![CDATA[", "?>", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "\xEF\xBB\xBF", "\xC3\xA9", "\xC3", "\xE2\x82",
    "\xE2\x82\xAC", "\xF0", "\xF0\x9F\x8E", "\xF4\x8F\xBF\xBF", "\xFF", "\x80"};
  std::mt19937 random(40);
  GuardPage guard;
  for (int i = 0; i < 2000; ++i)
  {
    std::string text;
    for (size_t n = 1 + random() % 12; n > 0; --n)
      text += pieces[random() % std::size(pieces)];
    for (TiXmlEncoding encoding : kEncodings)
    {
      SCOPED_TRACE(testing::PrintToString(text) + ", encoding " + std::to_string(encoding));
      ASSERT_EQ(HelperOutcome(guard, text, encoding), ModelOutcome(text, encoding));
    }
  }
}

} // namespace
} // namespace tolvane3
