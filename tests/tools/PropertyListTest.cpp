#include <algorithm>

#include <gtest/gtest.h>

#include "framework/xml/XmlTextParse.h"
#include "tests/support/GuardPage.h"
#include "tests/support/TruncatedUtf8Texts.h"
#include "tests/tools/PropertyListTexts.h"
#include "tools/AutomationLaneFile.h"
#include "tools/PropertyList.h"

namespace {

using auhost::PlistValue;

std::string Wrap(const std::string& body)
{
  return "<?xml version=\"1.0\"?><plist version=\"1.0\">" + body + "</plist>";
}

TEST(PropertyList, WritesWhatItReadsBack)
{
  PlistValue root = PlistValue::Dict();
  root.dict.emplace_back("name", PlistValue::String("a <b> & \"c\" \xC3\xA9"));
  root.dict.emplace_back("version", PlistValue::Integer(-196636));
  root.dict.emplace_back("gain", PlistValue::Real(-0.1));
  for (size_t n : {0u, 1u, 2u, 3u, 4u, 200u})
  {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i)
      bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    root.dict.emplace_back("data" + std::to_string(n), PlistValue::Data(bytes));
  }
  PlistValue inner = PlistValue::Dict();
  inner.dict.emplace_back("deep", PlistValue::Integer(1));
  root.dict.emplace_back("nested", inner);
  std::string error;
  const auto back = auhost::ParsePlist(auhost::WritePlist(root), error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(*back, root);
  // As many elements as the XML road's nesting bound lets through.
  PlistValue wide = PlistValue::Dict();
  for (size_t i = 1; 2 * i + 2 <= plugkit::kMaxXmlElementStarts; ++i)
    wide.dict.emplace_back("k" + std::to_string(i), PlistValue::Integer(static_cast<int64_t>(i)));
  const auto wideBack = auhost::ParsePlist(auhost::WritePlist(wide), error);
  ASSERT_TRUE(wideBack) << error;
  EXPECT_EQ(*wideBack, wide);
  // A list edited by hand: a block of keys commented out, however long, and
  // tags kept as a string's CDATA cost the nesting bound nothing.
  std::string edited = "<dict><!--";
  for (int i = 0; i < 300; ++i)
    edited += "<key>k" + std::to_string(i) + "</key><integer>1</integer>";
  edited += toolstest::DictsNested(100000) + "--><key>name</key><string><![CDATA[<b><i>loud</i></b>]]></string></dict>";
  PlistValue named = PlistValue::Dict();
  named.dict.emplace_back("name", PlistValue::String("<b><i>loud</i></b>"));
  const auto editedBack = auhost::ParsePlist(Wrap(edited), error);
  ASSERT_TRUE(editedBack) << error;
  EXPECT_EQ(*editedBack, named);
}

TEST(PropertyList, RefusesWhatIsNotAPropertyList)
{
  std::string deep;
  for (int i = 0; i < auhost::kMaxPlistDepth + 2; ++i)
    deep += "<array>";
  for (int i = 0; i < auhost::kMaxPlistDepth + 2; ++i)
    deep += "</array>";
  std::string comments;
  for (size_t i = 0; i < plugkit::kMaxXmlNodeStarts; ++i)
    comments += "<!---->";
  std::string attributes = "<dict";
  for (size_t i = 0; i <= plugkit::kMaxXmlAttributes; ++i)
    attributes += " a" + std::to_string(i) + "=''";
  attributes += "/>";
  struct Case
  {
    const char* name;
    std::string text;
    const char* says = ""; // part of the reason, where it matters
  };
  const Case cases[] = {
    {"empty", ""},
    {"not XML", "RIFF...."},
    {"unclosed", Wrap("<dict><key>a</key><string>b</string>")},
    {"another root", "<xml><dict/></xml>"},
    {"two values", Wrap("<dict/><dict/>")},
    {"key without value", Wrap("<dict><key>a</key></dict>")},
    {"value without key", Wrap("<dict><string>a</string></dict>")},
    {"key twice", Wrap("<dict><key>a</key><integer>1</integer><key>a</key><integer>2</integer></dict>")},
    {"bad integer", Wrap("<integer>12x</integer>")},
    {"huge integer", Wrap("<integer>99999999999999999999999</integer>")},
    {"bad real", Wrap("<real>nan</real>")},
    {"bad base64 digit", Wrap("<data>AB*D</data>")},
    {"base64 one digit over", Wrap("<data>ABCDA</data>")},
    {"padding inside", Wrap("<data>AB=DAAAA</data>")},
    {"unknown element", Wrap("<date>2020</date>")},
    {"nested too deep", Wrap(deep)},
    // Deeper than the XML parser's recursion can go on a thread's stack.
    {"dictionaries nested 50,000 deep", toolstest::DictsNested(50000), "nested too deeply"},
    // Markup the parser makes a node of, each taking it more memory than
    // the text does.
    {"65,536 comments", Wrap("<dict>" + comments + "</dict>"), "holding too much markup: the reader takes at most 65536"},
    {"4,097 attributes", Wrap(attributes), "holding too many attributes: the reader takes at most 4096"},
    {"the binary form", toolstest::BinaryPropertyList(), "a binary property list; the host reads property lists in their XML form"},
    {"embedded NUL", std::string(Wrap("<string>a</string>")).insert(10, 1, '\0')},
    {"key not UTF-8", Wrap("<dict><key>a\xA1\xD0&gt;b</key><dict/></dict>")},
    {"string not UTF-8", Wrap("<string>\xC0\xAF</string>")},
    {"string with a surrogate", Wrap("<string>\xED\xA0\x80</string>")},
    // What a refusal quotes is a short excerpt, escapes written out.
    {"5,000 digits behind escapes", toolstest::EscapesAndDigitsInAnInteger(),
     "bad integer \"\\x1B[2J\\x1B]0;99999999999999999999999999999999...\""},
    {"a long name where a key belongs", Wrap("<dict><" + std::string(100, 'n') + "\xC3\xA9/></dict>"),
     "<nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn...> where a <key> belongs"},
  };
  for (const Case& c : cases)
  {
    std::string error;
    EXPECT_FALSE(auhost::ParsePlist(c.text, error)) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
    EXPECT_NE(error.find(c.says), std::string::npos) << c.name << ": " << error;
    EXPECT_LT(error.size(), 200u) << c.name;
    EXPECT_TRUE(std::all_of(error.begin(), error.end(), [](unsigned char b) { return b >= ' ' && b < 0x7f; }))
      << c.name;
  }
}

// A file's text may end anywhere: placed where memory ends, a list cut inside
// a UTF-8 sequence is refused without a read past its end, and a whole list
// still reads.
TEST(PropertyList, ReaderStaysWithinTextThatEndsAtUnreadableMemory)
{
  PlistValue root = PlistValue::Dict();
  root.dict.emplace_back("name", PlistValue::String("\xC3\xA9t\xC3\xA9"));
  testsupport::GuardPage guard;
  std::string error;
  for (const auto& [name, text] : testsupport::TruncatedUtf8Texts())
  {
    SCOPED_TRACE(name);
    EXPECT_FALSE(auhost::ParsePlist(guard.Place(text), error));
    EXPECT_NE(error.find("not well-formed XML"), std::string::npos) << error;
  }
  const auto back = auhost::ParsePlist(guard.Place(auhost::WritePlist(root)), error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(*back, root);
}

TEST(PropertyList, Base64MatchesKnownTexts)
{
  const std::pair<std::string, std::string> cases[] = {
    {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
  };
  for (const auto& [plain, encoded] : cases)
  {
    const std::vector<uint8_t> bytes(plain.begin(), plain.end());
    EXPECT_EQ(auhost::EncodeBase64(bytes), encoded);
    EXPECT_EQ(auhost::DecodeBase64(" " + encoded.substr(0, 2) + "\n\t" + encoded.substr(std::min<size_t>(2, encoded.size()))),
              bytes);
  }
}

TEST(AutomationLaneFile, ReadsWhatItWritesAndRefusesDisorder)
{
  const std::vector<auhost::AutomationPoint> lane = {{0.0, -3.5f}, {0.05, 2.25f}, {1.5, 24.0f}};
  std::vector<auhost::AutomationPoint> back;
  std::string error;
  ASSERT_TRUE(auhost::LaneFromCsv(auhost::LaneToCsv(lane), back, error)) << error;
  ASSERT_EQ(back.size(), lane.size());
  for (size_t i = 0; i < lane.size(); ++i)
    EXPECT_TRUE(back[i].time == lane[i].time && back[i].value == lane[i].value) << i;
  EXPECT_FLOAT_EQ(auhost::LaneValueAt(lane, 0.025, 0.0f), -0.625f);
  EXPECT_FLOAT_EQ(auhost::LaneValueAt(lane, 9.0, 0.0f), 24.0f);

  // A value the caller refuses is quoted as it stands, without the blanks
  // before it.
  const auhost::ValueCheck upTo24 = [](double value, const std::string& text, std::string& why) {
    why = "\"" + text + "\" is past 24";
    return value <= 24.0;
  };
  using namespace std::string_literals;
  struct Bad
  {
    std::string text;
    const char* says = "line";
  };
  for (const Bad& bad : {Bad{"time,value\n1,2\n0.5,3\n"s}, Bad{"1;2\n"s}, Bad{"1,2x\n"s}, Bad{"-1,2\n"s}, Bad{"1,\n"s},
                         Bad{"1,nan\n"s}, Bad{"0,1\0junk\n"s}, Bad{"0,1\n0,   500\n"s, "line 2: \"500\" is past 24"}})
  {
    EXPECT_FALSE(auhost::LaneFromCsv(bad.text, back, error, upTo24)) << bad.text;
    EXPECT_NE(error.find(bad.says), std::string::npos) << bad.text << ": " << error;
  }

  // However a spreadsheet or an editor saved it, the lane is the same: a
  // byte-order mark, blanks, a plus sign, CR or CR LF line ends, a quoted
  // header or none.
  const std::vector<std::pair<double, float>> want = {{0.0, 1.0f}, {0.5, -2.0f}};
  for (const char* good : {"\xEF\xBB\xBF" "0,1\n0.5,-2\n", "time,value\n 0,1\n\t0.5 , -2 \n", "+0,+1\n+0.5,-2",
                           "time,value\r0,1\r0.5,-2\r", "\xEF\xBB\xBF\"time\",\"value\"\r\n0,1\r\n\r\n0.5,-2\r\n"})
  {
    EXPECT_TRUE(auhost::LaneFromCsv(good, back, error)) << good << error;
    std::vector<std::pair<double, float>> got;
    for (const auhost::AutomationPoint& p : back)
      got.emplace_back(p.time, p.value);
    EXPECT_EQ(got, want) << good;
  }
}

} // namespace
