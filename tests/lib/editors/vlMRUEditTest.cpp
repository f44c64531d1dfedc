// The most-recently-used editor: the list kept latest first, the trimming
// with OnDeleteLookupItem, the new-text events, Enter and the list driven
// with real keys and clicks, and the ellipsis button.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lib/editors/vlMRUEdit.h"
#include "lib/editors/vlEditViewInfo.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/support/ReferencePictures.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

class TMRURecorder : public TObject {
  CL_CLASS(TMRURecorder, TObject)
 public:
  std::vector<std::string> Log;
  TvlCustomMRUEditProperties* DeletedFrom{};
  void Deleted(TvlCustomMRUEditProperties* AProperties, Integer AIndex) {
    DeletedFrom = AProperties;
    Log.push_back("delete " + std::to_string(AIndex) + " " +
                  UTF16ToUTF8(AProperties->LookupItems()->Strings(AIndex)));
  }
  void NewText(TObject* Sender, const String& AText) {
    Log.push_back(std::string(dynamic_cast<TvlCustomMRUEdit*>(Sender) ? "new by edit " : "new ") +
                  UTF16ToUTF8(AText));
  }
  void Ellipsis(TObject*) { Log.push_back("ellipsis"); }
  void ButtonClick(TObject*, Integer AIndex) { Log.push_back("button " + std::to_string(AIndex)); }
};
CL_IMPLEMENT_CLASS(TMRURecorder)

// Frees the editor it is given from the first OnDeleteLookupItem.
class TMRUFreer : public TObject {
  CL_CLASS(TMRUFreer, TObject)
 public:
  TvlMRUEdit* Edit{};
  int Calls = 0;
  void Deleted(TvlCustomMRUEditProperties*, Integer) {
    ++Calls;
    if (TvlMRUEdit* e = std::exchange(Edit, nullptr)) Free(e);
  }
  void NewText(TObject*, const String&) { Deleted(nullptr, 0); }
};
CL_IMPLEMENT_CLASS(TMRUFreer)

std::string Joined(TStrings* AItems) {
  std::string s;
  for (Integer i = 0; i < AItems->Count(); ++i) s += (i ? "," : "") + UTF16ToUTF8(AItems->Strings(i));
  return s;
}

class MRUEditTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Recorder = New<TMRURecorder>();
  }
  void TearDown() override {
    ControlFixture::TearDown();
    Free(Recorder);
  }
  TvlMRUEdit* AddEdit(std::initializer_list<const char16_t*> AItems, Integer AMax = 0) {
    TvlMRUEdit* e = Add<TvlMRUEdit>(10, 10, 200, 21);
    TvlMRUEditProperties* p = e->Properties();
    for (const char16_t* s : AItems) p->LookupItems()->Add(s);
    p->SetMaxItemCount(AMax);
    p->SetOnDeleteLookupItem(TvlMRUEditDeleteLookupItemEvent(Recorder, &TMRURecorder::Deleted));
    p->SetOnNewLookupDisplayText(TvlNewLookupDisplayTextEvent(Recorder, &TMRURecorder::NewText));
    p->SetOnButtonClick(TNotifyEvent(Recorder, &TMRURecorder::Ellipsis));
    Pump();
    return e;
  }
  void Key(UINT AKey) {
    Display.KeyPress(AKey);
    Pump();
  }
  void ClickButton(TvlCustomEdit* E, Integer AIndex) {
    const TRect b = E->ViewInfo()->ButtonsInfo[size_t(AIndex)]->Bounds;
    ClickAt(E, (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
  }
  TMRURecorder* Recorder{};
};

// AddItem of the properties: the order, the trimming and its events.
TEST_F(MRUEditTest, AddedTextsGoToTheTopAndTheListIsTrimmed) {
  struct TCase {
    std::initializer_list<const char16_t*> Items;
    Integer Max;
    const char16_t* Text;
    const char* List;
    std::vector<std::string> Log;
  } const cases[] = {
      {{u"a", u"b", u"c"}, 3, u"d", "d,a,b", {"new d", "delete 3 c"}},
      {{u"a", u"b", u"c"}, 3, u"b", "b,a,c", {}},
      {{u"a", u"b", u"c"}, 3, u"C", "c,a,b", {}},  // found without regard to case
      {{u"a", u"b", u"c"}, 3, u"a", "a,b,c", {}},
      {{u"a", u"b", u"c"}, 0, u"d", "d,a,b,c", {"new d"}},
      {{u"a", u"b", u"c"}, 3, u"", "a,b,c", {}},
      {{}, 1, u"x", "x", {"new x"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF16ToUTF8(c.Text));
    TvlMRUEdit* e = AddEdit(c.Items, c.Max);
    Recorder->Log.clear();
    e->Properties()->AddItem(c.Text);
    EXPECT_EQ(Joined(e->Properties()->LookupItems()), c.List);
    EXPECT_EQ(Recorder->Log, c.Log);
    Free(e);
  }
}

TEST_F(MRUEditTest, MaxItemCountTrimsAtOnceAndNegativeMeansNoLimit) {
  TvlMRUEdit* e = AddEdit({u"a", u"b", u"c", u"d"});
  TvlMRUEditProperties* p = e->Properties();
  p->SetMaxItemCount(-5);
  EXPECT_EQ(p->MaxItemCount(), 0);
  EXPECT_EQ(Joined(p->LookupItems()), "a,b,c,d");
  Recorder->Log.clear();
  p->SetMaxItemCount(2);
  EXPECT_EQ(Recorder->Log, (std::vector<std::string>{"delete 3 d", "delete 2 c"}));
  EXPECT_EQ(Recorder->DeletedFrom, p);
  EXPECT_EQ(Joined(p->LookupItems()), "a,b");
}

// Enter confirms the typed text: it goes to the top, once, with the
// editor's new-text event.
TEST_F(MRUEditTest, EnterPutsTheTypedTextOnTop) {
  TvlMRUEdit* e = AddEdit({u"COM1", u"COM2", u"COM3"}, 3);
  e->Properties()->SetImmediateDropDown(false);
  e->SetFocus();
  Pump();
  Display.TypeText(u"COM9");
  Pump();
  Recorder->Log.clear();
  Key(VK_RETURN);
  EXPECT_EQ(Joined(e->Properties()->LookupItems()), "COM9,COM1,COM2");
  EXPECT_EQ(Recorder->Log, (std::vector<std::string>{"new by edit COM9", "delete 3 COM3"}));
  // Typing an entry that is in the list moves it up.
  Key(VK_END);
  for (int i = 0; i < 4; ++i) Key(VK_BACK);
  Display.TypeText(u"COM2");
  Pump();
  Recorder->Log.clear();
  Key(VK_RETURN);
  EXPECT_EQ(Joined(e->Properties()->LookupItems()), "COM2,COM9,COM1");
  EXPECT_TRUE(Recorder->Log.empty());
}

// Enter on a highlighted entry of the open list adds nothing by itself: the
// entry is added when it becomes the value (and the text shown before it too).
TEST_F(MRUEditTest, AnEntryChosenFromTheListIsAddedWhenItBecomesTheValue) {
  TvlMRUEdit* e = AddEdit({u"a", u"b", u"c"});
  e->SetFocus();
  Pump();
  ClickButton(e, 0);
  ASSERT_TRUE(e->DroppedDown());
  Key(VK_DOWN);
  Key(VK_DOWN);
  ASSERT_EQ(e->SelectedItem(), 1);
  Recorder->Log.clear();
  Key(VK_RETURN);
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(UTF16ToUTF8(e->Text()), "b");
  EXPECT_EQ(Joined(e->Properties()->LookupItems()), "b,a,c");
  EXPECT_TRUE(Recorder->Log.empty());
}

TEST_F(MRUEditTest, OnlyTheEllipsisButtonFiresOnButtonClick) {
  TvlMRUEdit* e = AddEdit({u"a"});
  TvlMRUEditProperties* p = e->Properties();
  // The base's index event stays silent for both buttons.
  p->TvlCustomEditProperties::SetOnButtonClick(TvlEditButtonClickEvent(Recorder, &TMRURecorder::ButtonClick));
  ASSERT_EQ(e->ViewInfo()->ButtonsInfo.size(), 2u);
  ClickButton(e, 1);
  EXPECT_EQ(Recorder->Log, std::vector<std::string>{"ellipsis"});
  Recorder->Log.clear();
  ClickButton(e, 0);
  EXPECT_TRUE(e->DroppedDown());
  EXPECT_TRUE(Recorder->Log.empty());
  e->SetDroppedDown(false);
  Pump();
}

// The glyph sits on the ellipsis button, or on the drop-down button while
// the ellipsis is hidden.
TEST_F(MRUEditTest, TheGlyphMovesWithShowEllipsis) {
  TvlMRUEdit* e = AddEdit({});
  TvlMRUEditProperties* p = e->Properties();
  EXPECT_EQ(p->Buttons()->Items(0)->Kind(), bkDown);
  EXPECT_EQ(p->Buttons()->Items(1)->Kind(), bkEllipsis);
  EXPECT_TRUE(p->Buttons()->Items(1)->Default());
  TBitmap* glyph = New<TBitmap>();
  Finally freeGlyph([&] { Free(glyph); });
  glyph->SetSize(8, 8);
  glyph->Canvas()->Brush()->SetColor(clRed);
  glyph->Canvas()->FillRect(TRect{0, 0, 8, 8});
  p->SetButtonGlyph(glyph);
  Pump();
  EXPECT_EQ(p->Buttons()->Items(1)->Kind(), bkGlyph);
  p->SetShowEllipsis(false);
  Pump();
  EXPECT_FALSE(p->Buttons()->Items(1)->Visible());
  EXPECT_EQ(p->Buttons()->Items(0)->Kind(), bkGlyph);
  EXPECT_FALSE(p->ButtonGlyph()->Empty());
  p->SetShowEllipsis(true);
  Pump();
  EXPECT_EQ(p->Buttons()->Items(0)->Kind(), bkDown);
  EXPECT_EQ(p->Buttons()->Items(1)->Kind(), bkGlyph);
  p->SetButtonGlyph(nullptr);
  Pump();
  EXPECT_EQ(p->Buttons()->Items(1)->Kind(), bkEllipsis);
}

TEST_F(MRUEditTest, PictureClosedAndOpen) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  TvlMRUEdit* e = AddEdit({u"COM3", u"COM1", u"COM2"});
  e->Style()->LookAndFeel()->SetNativeStyle(false);
  e->SetTextProp(u"COM3");
  Display.MouseMove(1270, 1010);
  Pump();
  const int w = 208, h = 70;
  std::vector<uint32_t> sheet(size_t(w) * 2 * size_t(h), 0xFFFFFFFF);
  auto copy = [&](int AX) {
    Display.Compose();
    const TPoint o = e->ClientToScreen(TPoint{-4, -4});
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        sheet[size_t(y) * size_t(2 * w) + size_t(AX + x)] =
            Display.Pixels()[size_t(o.Y + y) * size_t(Display.Width()) + size_t(o.X + x)];
  };
  copy(0);
  e->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(e->DroppedDown());
  copy(w);
  e->SetDroppedDown(false);
  Pump();
  std::vector<uint32_t> big(size_t(4 * w) * size_t(2 * h));
  for (int y = 0; y < 2 * h; ++y)
    for (int x = 0; x < 4 * w; ++x) big[size_t(y) * size_t(4 * w) + size_t(x)] = sheet[size_t(y / 2) * size_t(2 * w) + size_t(x / 2)];
  testing_support::ExpectMatchesReference(big.data(), 4 * w, 2 * h,
                                          std::string(CL_SOURCE_DIR) + "/tests/lib/editors/reference/mru-edit.png",
                                          "mru-edit");
}

}  // namespace

// A handler of OnDeleteLookupItem or of the new-text event that frees the
// editor ends the adding there, whether Enter, a lowered MaxItemCount or the
// properties' AddItem started it.
TEST_F(MRUEditTest, AHandlerFreeingTheEditorStopsTheAdding) {
  enum TWay { kEnter, kMaxItemCount, kNewText };
  for (TWay way : {kEnter, kMaxItemCount, kNewText}) {
    SCOPED_TRACE(int(way));
    TMRUFreer* freer = New<TMRUFreer>();
    Finally freeFreer([&] { Free(freer); });
    TvlMRUEdit* e = AddEdit({u"a", u"b", u"c", u"d"}, way == kEnter ? 2 : 0);
    freer->Edit = e;
    TvlMRUEditProperties* p = e->Properties();
    p->SetOnDeleteLookupItem(TvlMRUEditDeleteLookupItemEvent(freer, &TMRUFreer::Deleted));
    switch (way) {
      case kEnter:
        p->SetImmediateDropDown(false);
        e->SetFocus();
        Pump();
        Display.TypeText(u"x");
        Pump();
        Key(VK_RETURN);
        break;
      case kMaxItemCount: p->SetMaxItemCount(1); break;
      case kNewText:
        p->SetOnNewLookupDisplayText(TvlNewLookupDisplayTextEvent(freer, &TMRUFreer::NewText));
        p->AddItem(u"x");
        break;
    }
    EXPECT_EQ(freer->Calls, 1);
    EXPECT_EQ(freer->Edit, nullptr);
  }
}

// The list cut short while it is open with its last entry highlighted:
// Enter then picks nothing past the end.
TEST_F(MRUEditTest, MaxItemCountLoweredWhileTheListIsOpen) {
  TvlMRUEdit* e = AddEdit({u"a", u"b", u"c", u"d"});
  e->SetFocus();
  Pump();
  ClickButton(e, 0);
  ASSERT_TRUE(e->DroppedDown());
  for (int i = 0; i < 4; ++i) Key(VK_DOWN);
  ASSERT_EQ(e->SelectedItem(), 3);
  e->Properties()->SetMaxItemCount(2);
  Pump();
  Key(VK_RETURN);
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(e->Properties()->LookupItems()->Count(), 2);
  const std::string text = UTF16ToUTF8(e->Text());
  EXPECT_TRUE(text.empty() || text == "a" || text == "b") << text;
}
