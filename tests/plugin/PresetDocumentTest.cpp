// The "PresetXMLTree" document: its exact text, and what readers accept,
// refuse and apply.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "plugin/PresetDocument.h"
#include "plugin/XmlDocView.h"
#include "tests/plugin/support/StatePlugin.h"
#include "tests/support/GuardPage.h"
#include "tests/support/TempHome.h"
#include "tests/support/TruncatedUtf8Texts.h"

namespace {

using plugkit::IByteChunk;
using testsupport::StatePlugin;
using namespace tolvane3;

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The default document with one line replaced (or appended after the line
// holding after).
std::string Edited(const std::string& from, const std::string& to)
{
  StatePlugin plug;
  std::string text = PrintPresetDocument(plug, "Init");
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

TEST(PresetDocument, DefaultStateMatchesTheReviewedFileByteForByte)
{
  StatePlugin plug;
  IByteChunk chunk;
  ASSERT_TRUE(plug.SerializeState(chunk));
  const std::string text(reinterpret_cast<const char*>(chunk.GetData()) + 32, chunk.GetData()[28] | chunk.GetData()[29] << 8);
  EXPECT_EQ(text, ReadFile(TOLVANE3_PLUGIN_TEST_DATA "/expected/default_state.xml"));
}

TEST(PresetDocument, ValuesAreWrittenWithAPointWhateverTheLocale)
{
  testsupport::LocaleGuard german("de_DE.UTF-8");
  if (!german.IsAvailable())
    GTEST_SKIP() << "no comma locale";
  StatePlugin plug;
  plug.GetParam(kTargetLevel)->Set(-20.5);
  const std::string text = PrintPresetDocument(plug, "x");
  EXPECT_NE(text.find("<Param name=\"Target Level\" val=\"-20.500000\" />"), std::string::npos);
  PresetDocument doc;
  ASSERT_TRUE(ParsePresetDocument(plug, text.data(), text.size(), doc));
  StatePlugin other;
  ApplyPresetValues(other, doc);
  EXPECT_EQ(other.Values(), plug.Values());
}

TEST(PresetDocument, ReadersAcceptAndApplyAsTheDocumentSays)
{
  const std::string target = "<Param name=\"Target Level\" val=\"-18.000000\" />";
  struct Case
  {
    const char* name;
    std::string from, to;
    double want;  // "Target Level" afterwards
  };
  const Case cases[] = {
    {"older version", "v3.0.28", "v1.0.0", -18.0},
    {"data element", "<Preset", "<Data>x</Data><Preset", -18.0},
    {"no val", target, "<Param name=\"Target Level\" />", 0.0},
    {"not a number", target, "<Param name=\"Target Level\" val=\"abc\" />", 0.0},
    {"nan", target, "<Param name=\"Target Level\" val=\"nan\" />", 0.0},
    {"inf", target, "<Param name=\"Target Level\" val=\"-inf\" />", 0.0},
    {"above the maximum", target, "<Param name=\"Target Level\" val=\"7\" />", 0.0},
    {"below the minimum", target, "<Param name=\"Target Level\" val=\"-1e300\" />", -90.0},
    {"unknown name", target, "<Param name=\"Target level\" val=\"-3\" />", -25.0},
    {"empty name", target, "<Param name=\"\" val=\"-3\" />", -25.0},
    {"no such Param", target, "", -25.0},
    {"comment between Params", target, "<!-- c -->" + target, -18.0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    StatePlugin plug;
    plug.GetParam(kTargetLevel)->Set(-25.0);
    const std::string text = Edited(c.from, c.to);
    PresetDocument doc;
    ASSERT_TRUE(ParsePresetDocument(plug, text.data(), text.size(), doc));
    ApplyPresetValues(plug, doc);
    EXPECT_DOUBLE_EQ(plug.GetParam(kTargetLevel)->Value(), c.want);
    for (const auto& [idx, value] : doc.values)
      EXPECT_TRUE(std::isfinite(value));
  }
  // A stepped switch: 0.43 rounds to 0.
  StatePlugin plug;
  plug.GetParam(kAB)->Set(1.0);
  const std::string text = Edited("<Param name=\"AB\" val=\"0.000000\" />", "<Param name=\"AB\" val=\"0.43\" />");
  PresetDocument doc;
  ASSERT_TRUE(ParsePresetDocument(plug, text.data(), text.size(), doc));
  ApplyPresetValues(plug, doc);
  EXPECT_EQ(plug.GetParam(kAB)->Value(), 0.0);
}

TEST(PresetDocument, RefusedDocumentsChangeNothingAtAll)
{
  const std::string target = "<Param name=\"Target Level\" val=\"-18.000000\" />";
  const std::string parameter = "<Parameter>";
  struct Case
  {
    const char* name;
    std::string from, to;
  };
  const Case cases[] = {
    {"plug-in name, last character", "<PluginName>Tolvane3<", "<PluginName>Tolvane4<"},
    {"plug-in name, other text", "<PluginName>Tolvane3<", "<PluginName>Other<"},
    {"maker in other case", "<PluginVendor>Kestrova<", "<PluginVendor>kestrova<"},
    {"maker without text", "<PluginVendor>Kestrova</PluginVendor>", "<PluginVendor />"},
    {"no version", "<PluginVersion>v3.0.28</PluginVersion>", ""},
    {"preset without name", "<Preset name=\"Init\">", "<Preset>"},
    {"preset name not first", "<Preset name=\"Init\">", "<Preset id=\"1\" name=\"Init\">"},
    {"comment first in Parameter", parameter, parameter + "<!-- c -->"},
    {"other root", "PresetXMLTree version", "PresetXMLTreeX version"},
    // Values before the stranger would have been applied piecemeal.
    {"element that is not a Param", target, target + "<Other />"},
    {"broken XML", "</Parameter>", "</Parametr>"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    StatePlugin source;
    const std::string text = Edited(c.from, c.to);
    PresetDocument doc;
    doc.presetName = "untouched";
    EXPECT_FALSE(ParsePresetDocument(source, text.data(), text.size(), doc));
    EXPECT_EQ(doc.presetName, "untouched");
    EXPECT_TRUE(doc.values.empty());
  }
  // An empty Parameter element.
  StatePlugin plug;
  std::string text = PrintPresetDocument(plug, "Init");
  const size_t open = text.find("<Parameter>"), close = text.find("</Parameter>");
  text.replace(open, close + 12 - open, "<Parameter />");
  PresetDocument doc;
  EXPECT_FALSE(ParsePresetDocument(plug, text.data(), text.size(), doc));
}

TEST(PresetDocument, DeepNestingIsRefusedBeforeParsing)
{
  StatePlugin plug;
  std::string text;
  for (int i = 0; i < 100000; ++i)
    text += "<a>";
  PresetDocument doc;
  EXPECT_FALSE(ParsePresetDocument(plug, text.data(), text.size(), doc));
}

TEST(XmlDocView, ShowsTheDocumentAsAPlainTree)
{
  StatePlugin plug;
  const std::string text = PrintPresetDocument(plug, "Init");
  XmlDocView* view = XmlDocViewParse(text.c_str(), text.size(), "state");
  ASSERT_NE(view, nullptr);
  const XmlNodeView* root = XmlDocViewRoot(view);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->kind, XmlNodeView::kElement);
  EXPECT_STREQ(root->value, "PresetXMLTree");
  EXPECT_STREQ(XmlNodeViewFindAttr(root, "VERSION")->value, "1");
  EXPECT_EQ(XmlNodeViewFindAttr(root, ""), nullptr);
  char* copy = XmlNodeViewGetAttr(root, "version");
  EXPECT_STREQ(copy, "1");
  std::free(copy);
  EXPECT_EQ(XmlNodeViewGetAttr(root, "none"), nullptr);

  // The root's children in order, with the texts below them.
  std::vector<std::string> children;
  for (const XmlNodeView* n = root->firstChild.get(); n; n = n->nextSibling.get())
    children.push_back(std::string(n->value) + "=" + (n->firstChild ? n->firstChild->value : ""));
  EXPECT_EQ(children, (std::vector<std::string>{"PluginVendor=Kestrova", "PluginName=Tolvane3",
                                                "PluginVersion=v3.0.28", "Preset=Parameter"}));
  EXPECT_EQ(root->firstChild->firstChild->kind, XmlNodeView::kText);
  XmlDocViewFree(view);

  // What follows the root element hangs on as its siblings, in order.
  const std::string tail = text + "<!-- saved by hand -->\n<Extra note=\"x\">t</Extra>\n";
  view = XmlDocViewParse(tail.c_str(), tail.size(), nullptr);
  ASSERT_NE(view, nullptr);
  std::vector<std::pair<int, std::string>> siblings;
  for (const XmlNodeView* n = XmlDocViewRoot(view)->nextSibling.get(); n; n = n->nextSibling.get())
    siblings.emplace_back(n->kind, n->value);
  ASSERT_EQ(siblings, (std::vector<std::pair<int, std::string>>{{XmlNodeView::kOther, ""}, {XmlNodeView::kElement, "Extra"}}));
  const XmlNodeView* extra = XmlDocViewRoot(view)->nextSibling->nextSibling.get();
  EXPECT_STREQ(XmlNodeViewFindAttr(extra, "Note")->value, "x");
  EXPECT_STREQ(extra->firstChild->value, "t");
  XmlDocViewFree(view);

  EXPECT_EQ(XmlDocViewParse(text.c_str(), text.size() - 1, nullptr), nullptr);
  EXPECT_EQ(XmlDocViewParse("<a><b></a>", 10, nullptr), nullptr);
  EXPECT_EQ(XmlDocViewParse(nullptr, 0, nullptr), nullptr);
}

// A host's state may end anywhere. Each text ends where memory does (the
// view's text at its terminator): cut inside a UTF-8 sequence it is refused
// without a read past its end, and a whole document still reads.
TEST(PresetDocument, ReadersStayWithinTextThatEndsAtUnreadableMemory)
{
  StatePlugin plug;
  auto texts = testsupport::TruncatedUtf8Texts();
  texts.push_back({"whole document", PrintPresetDocument(plug, "Init")});
  testsupport::GuardPage guard;
  for (const auto& [name, text] : texts)
  {
    SCOPED_TRACE(name);
    const bool whole = text == texts.back().text;
    const std::string_view placed = guard.Place(text);
    PresetDocument doc;
    EXPECT_EQ(ParsePresetDocument(plug, placed.data(), placed.size(), doc), whole);
    EXPECT_EQ(doc.values.size(), whole ? static_cast<size_t>(plug.NParams()) : 0u);

    const std::string_view terminated = guard.Place(text + std::string(1, '\0'));
    XmlDocView* view = XmlDocViewParse(terminated.data(), text.size(), nullptr);
    EXPECT_EQ(view != nullptr, whole);
    XmlDocViewFree(view);
  }
}

} // namespace
