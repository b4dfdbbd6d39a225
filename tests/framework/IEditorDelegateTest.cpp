#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "framework/IByteChunk.h"
#include "framework/IEditorDelegate.h"

using plugkit::EParamChangeSource;
using plugkit::IEditorDelegate;

namespace {

// The root delegate with no editor behind it, recording what reaches it.
class RootDelegate : public IEditorDelegate
{
public:
  explicit RootDelegate(int nParams) : IEditorDelegate(nParams) {}

  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
  void OnUIClose() override { log.push_back("close"); }
  void OnParamChangeIdx(int idx) override { log.push_back("change " + std::to_string(idx)); }
  void OnParamChangeUI(int idx, EParamChangeSource source) override
  {
    log.push_back("ui " + std::to_string(idx) + " " + std::to_string(source));
  }
  bool OnMessage(int msgTag, int ctrlTag, int dataSize, const void*) override
  {
    log.push_back("msg " + std::to_string(msgTag) + " " + std::to_string(ctrlTag) + " " + std::to_string(dataSize));
    return true;
  }
  void SendParameterValueFromDelegate(int idx, double value, bool normalized) override
  {
    sent.emplace_back(idx, value);
    IEditorDelegate::SendParameterValueFromDelegate(idx, value, normalized);
  }

  std::vector<std::string> log;
  std::vector<std::pair<int, double>> sent;
};

// The value and the flag of SendParameterValueFromUI convert silently into
// each other, so the swapped order must not compile.
template <class D>
concept TakesFlagThenValue = requires(D& d) { d.SendParameterValueFromUI(0, true, 0.5); };
template <class D>
concept TakesValueThenFlag = requires(D& d) { d.SendParameterValueFromUI(0, 0.5, true); };
static_assert(TakesFlagThenValue<IEditorDelegate>);
static_assert(!TakesValueThenFlag<IEditorDelegate>);

} // namespace

TEST(IEditorDelegate, ResetAnnouncesEveryParameterAndOpeningSendsNormalisedSteppedValues)
{
  RootDelegate d(2);
  EXPECT_TRUE(d.GetParam(1) != nullptr && d.GetParam(2) == nullptr && d.GetParam(-1) == nullptr);
  d.OnParamReset(plugkit::kSourceReset);
  EXPECT_EQ(d.log, (std::vector<std::string>{"change 0", "ui 0 0", "change 1", "ui 1 0"}));
  d.GetParam(0)->InitDouble("a", 0.0, 0.0, 10.0, 0.1);
  d.GetParam(0)->Set(2.5);
  d.GetParam(1)->InitInt("b", 2, 0, 4);
  EXPECT_EQ(d.OpenWindow(nullptr), nullptr);
  EXPECT_EQ(d.sent, (std::vector<std::pair<int, double>>{{0, 0.25}, {1, 0.5}}));
  EXPECT_EQ(d.log.back(), "ui 1 4");
  d.OnRestoreState();
  EXPECT_EQ(d.sent.size(), 4u);
  d.CloseWindow();
  EXPECT_EQ(d.log.back(), "close");
}

TEST(IEditorDelegate, ValuesFromTheEditorAreNormalisedAndCheckedAndMessagesGoToOnMessage)
{
  RootDelegate d(1);
  d.GetParam(0)->InitDouble("a", 0.0, -10.0, 10.0, 1.0, "", plugkit::IParam::kFlagStepped);
  d.SendParameterValueFromUI(0, true, 0.73);
  EXPECT_EQ(d.GetParam(0)->Value(), 5.0);
  d.SendParameterValueFromUI(1, true, 0.5);
  d.SendParameterValueFromUI(-1, true, 0.5);
  d.SendControlMsgFromDelegate(7, 42, 3, "abc");
  d.SendArbitraryMsgFromDelegate(43, 0, nullptr);
  EXPECT_EQ(d.log, (std::vector<std::string>{"ui 0 3", "msg 42 7 3", "msg 43 -1 0"}));
}
TEST(IEditorDelegate, EditorStateIsEmptyAndSizeLimitsAreStoredSmallerFirst)
{
  RootDelegate d(0);
  plugkit::IByteChunk chunk;
  EXPECT_TRUE(d.SerializeEditorState(chunk));
  EXPECT_EQ(chunk.Size(), 0);
  EXPECT_EQ(d.UnserializeEditorState(chunk, 5), 5);
  d.SetSizeConstraints(2016, 504, 1168, 292);
  EXPECT_EQ((std::vector<int>{d.GetMinWidth(), d.GetMaxWidth(), d.GetMinHeight(), d.GetMaxHeight()}),
    (std::vector<int>{504, 2016, 292, 1168}));
}
