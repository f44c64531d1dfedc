// The hyperlink editor on the headless screen: the prefix rules, opening the
// link by key, double click and single click, and what the desktop's opener
// receives (a recording opener stands in for it: no browser is started).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/editors/vlHyperLinkEdit.h"
#include "lib/editors/vlEditViewInfo.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/LinkOpener.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/Graphics.h"
#include "tests/lib/editors/EditorPicture.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/lookandfeel/ControlFixture.h"
#include "tests/support/ReferencePictures.h"

using namespace win;

namespace {

class TStartRecorder : public TObject {
  CL_CLASS(TStartRecorder, TObject)
 public:
  Integer Starts = 0;
  void Started(TObject*) { ++Starts; }
};
CL_IMPLEMENT_CLASS(TStartRecorder)

class HyperLinkEditTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Previous = SetLinkOpener([this](const String& AUrl) {
      Opened.push_back(UTF16ToUTF8(AUrl));
      return true;
    });
  }
  void TearDown() override {
    SetLinkOpener(Previous);
    ControlFixture::TearDown();
  }
  TvlHyperLinkEdit* AddEdit(Integer ATop = 10) {
    TvlHyperLinkEdit* e = Add<TvlHyperLinkEdit>(10, ATop, 200, 21);
    Pump();
    return e;
  }
  // Focuses the editor and types AText into it.
  void TypeInto(TvlHyperLinkEdit* E, const String& AText) {
    E->SetFocus();
    Pump();
    Display.TypeText(AText);
    Pump();
  }
  void CtrlEnter() {
    Display.KeyDown(VK_CONTROL);
    Display.KeyPress(VK_RETURN);
    Display.KeyUp(VK_CONTROL);
    Pump();
  }
  std::vector<std::string> Opened;
  TLinkOpener Previous;
};

// The stored value and what the opener receives, per UsePrefix.
TEST_F(HyperLinkEditTest, PrefixRules) {
  struct TCase {
    TvlHyperLinkEditUsePrefix UsePrefix;
    const char16_t* Typed;
    const char* Stored;
    const char* Opened;  // "" nothing
  } const cases[] = {
      {upAlways, u"example.org", "http://example.org", "http://example.org"},
      {upAlways, u"  http://example.org  ", "http://example.org", "http://example.org"},
      // The prefix in capitals, or another allowed scheme, is not doubled.
      {upAlways, u"HTTP://x", "HTTP://x", "HTTP://x"},
      {upAlways, u"https://example.org", "https://example.org", "https://example.org"},
      {upAlways, u"mailto:a@example.org", "mailto:a@example.org", "mailto:a@example.org"},
      {upOnlyOnExecute, u"example.org", "example.org", "http://example.org"},
      {upNever, u"ftp://files.example.org", "ftp://files.example.org", "ftp://files.example.org"},
      // Text that is no web or mail address is never handed to the opener.
      {upNever, u"/usr/bin/xterm", "/usr/bin/xterm", ""},
      {upNever, u"file:///etc/passwd", "file:///etc/passwd", ""},
      {upNever, u"   ", "   ", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF16ToUTF8(c.Typed));
    TvlHyperLinkEdit* e = AddEdit();
    TvlHyperLinkEdit* other = AddEdit(60);
    e->Properties()->SetUsePrefix(c.UsePrefix);
    TypeInto(e, c.Typed);
    other->SetFocus();  // leaving validates
    Pump();
    EXPECT_EQ(UTF16ToUTF8(VarToStr(e->EditValue())), c.Stored);
    Opened.clear();
    e->StartLink();
    EXPECT_EQ(Opened, c.Opened[0] ? std::vector<std::string>{c.Opened} : std::vector<std::string>{});
    Free(e);
    Free(other);
    Pump();
  }
}

TEST_F(HyperLinkEditTest, AddPrefixComparesThePrefixWithoutRegardToCase) {
  TvlHyperLinkEdit* e = AddEdit();
  TvlCustomHyperLinkEditProperties* p = e->Properties();
  struct TCase {
    const char16_t* Prefix;
    const char16_t* Text;
    const char* Result;
  } const cases[] = {
      {u"http://", u"x", "http://x"},
      {u"http://", u"Http://x", "Http://x"},
      {u"http://", u"", ""},
      {u"ftp://", u"FTP://host", "FTP://host"},
      {u"ftp://", u"host", "ftp://host"},
      {u"", u" host ", "host"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF16ToUTF8(c.Text));
    p->SetPrefix(c.Prefix);
    String result;
    p->AddPrefix(c.Text, result);
    EXPECT_EQ(UTF16ToUTF8(result), c.Result);
  }
}

// Ctrl+Enter opens the link and types nothing (the line feed it makes is
// dropped); an OnStartClick handler replaces the opener, even doing nothing.
TEST_F(HyperLinkEditTest, CtrlEnterOpensAndOnStartClickReplacesTheOpener) {
  TvlHyperLinkEdit* e = AddEdit();
  TypeInto(e, u"example.org");
  CtrlEnter();
  EXPECT_EQ(Opened, std::vector<std::string>{"http://example.org"});
  EXPECT_EQ(UTF16ToUTF8(e->Text()), "example.org");
  TStartRecorder* recorder = New<TStartRecorder>();
  Finally freeRecorder([&] { Free(recorder); });
  e->Properties()->SetOnStartClick(TNotifyEvent(recorder, &TStartRecorder::Started));
  Opened.clear();
  CtrlEnter();
  EXPECT_EQ(recorder->Starts, 1);
  EXPECT_TRUE(Opened.empty());
  e->Properties()->SetOnStartClick(TNotifyEvent());
  // Another StartKey: Ctrl+Enter is then no longer special.
  e->Properties()->SetStartKey(VK_F2);
  Display.KeyPress(VK_F2);
  Pump();
  EXPECT_EQ(Opened, std::vector<std::string>{"http://example.org"});
}

TEST_F(HyperLinkEditTest, ADoubleClickOpensAndInSingleClickModeAClick) {
  TvlHyperLinkEdit* e = AddEdit();
  e->SetTextProp(u"example.org");
  Pump();
  const TPoint p = At(e, 20, 10);
  Display.Click(p.X, p.Y);
  Pump();
  EXPECT_TRUE(Opened.empty()) << "one click opens only in single-click mode";
  Display.DoubleClick(p.X, p.Y);
  Pump();
  EXPECT_EQ(Opened, std::vector<std::string>{"http://example.org"});

  Opened.clear();
  e->Properties()->SetSingleClick(true);
  Wait(1000);  // no double click with the clicks before
  Display.Click(p.X, p.Y);
  Pump();
  EXPECT_EQ(Opened, std::vector<std::string>{"http://example.org"});
  // A click that ends a text selection (a drag over the text) opens nothing.
  Opened.clear();
  Wait(1000);
  const TPoint q = At(e, 80, 10);
  Display.MouseDown(p.X, p.Y);
  Display.MouseMove(q.X, q.Y);
  Display.MouseUp(q.X, q.Y);
  Pump();
  ASSERT_GT(e->SelLength(), 0);
  EXPECT_TRUE(Opened.empty());
}

TEST_F(HyperLinkEditTest, SingleClickShowsTheHandOverTheEditor) {
  TvlHyperLinkEdit* e = AddEdit();
  e->Properties()->SetSingleClick(true);
  MoveTo(e, 20, 10);
  EXPECT_EQ(e->Cursor(), crvlHandPoint);
  MoveTo(Form, 300, 250);
  EXPECT_EQ(e->Cursor(), crDefault);
}

TEST_F(HyperLinkEditTest, TheTextIsUnderlinedInTheLinkColour) {
  TvlHyperLinkEdit* e = AddEdit();
  e->Properties()->SetLinkColor(clRed);
  Pump();
  EXPECT_EQ(e->Style()->TextColor(), clRed);
  EXPECT_TRUE(e->Style()->TextStyle().Contains(fsUnderline));
}

// The editor: its text underlined in the link colour.
TEST_F(HyperLinkEditTest, PictureOfTheEditor) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  TvlHyperLinkEdit* e = AddEdit();
  e->Style()->LookAndFeel()->SetNativeStyle(false);
  e->SetTextProp(u"http://example.org");
  Display.MouseMove(1270, 1010);
  Pump();
  Display.Compose();
  const TPoint o = e->ClientToScreen(TPoint{-2, -2});
  const int w = e->Width() + 4, h = e->Height() + 4;
  std::vector<uint32_t> big(size_t(w) * 2 * size_t(h) * 2);
  for (int y = 0; y < 2 * h; ++y)
    for (int x = 0; x < 2 * w; ++x)
      big[size_t(y) * size_t(2 * w) + size_t(x)] =
          Display.Pixels()[size_t(o.Y + y / 2) * size_t(Display.Width()) + size_t(o.X + x / 2)];
  testing_support::ExpectMatchesReference(big.data(), 2 * w, 2 * h,
                                          std::string(CL_SOURCE_DIR) + "/tests/lib/editors/reference/hyperlink-edit.png",
                                          "hyperlink-edit");
}

// Grid cells (no editor): underlined in the link colour; in the selection's
// text colour while selected.
TEST_F(HyperLinkEditTest, PictureOfCells) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  TvlHyperLinkEditProperties* props = New<TvlHyperLinkEditProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeProps([&] { Free(props); });
  TBitmap* bitmap = New<TBitmap>();
  Finally freeBitmap([&] { Free(bitmap); });
  const int w = 150, h = 21, gap = 4;
  bitmap->SetSize(gap + 2 * (w + gap), h + 2 * gap);
  bitmap->Canvas()->Brush()->SetColor(clWhite);
  bitmap->Canvas()->FillRect(TRect{0, 0, bitmap->Width(), bitmap->Height()});
  TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
  Finally freeCanvas([&] { Free(canvas); });
  for (int c = 0; c < 2; ++c) {
    TvlEditStyle* style = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), false);
    Finally freeStyle([&] { Free(style); });
    style->LookAndFeel()->SetNativeStyle(false);
    style->SetColor(c == 1 ? clHighlight : clWindow);
    style->SetTextColor(c == 1 ? clHighlightText : clWindowText);
    style->SetEditBorderStyle(ebsNone);
    auto* info = static_cast<TvlCustomTextEditViewInfo*>(CreateFrom(props->GetViewInfoClass()));
    Finally freeInfo([&] { Free(info); });
    auto* data = static_cast<TvlCustomTextEditViewData*>(props->CreateViewData(style, true));
    Finally freeData([&] { Free(data); });
    data->IsSelected = c == 1;
    data->EditValueToDrawValue(canvas, Variant(u"http://example.org"), info);
    const int x = gap + c * (w + gap);
    data->CalculateEx(canvas, TRect{x, gap, x + w, gap + h}, TPoint{-1, -1}, vlmbNone, TShiftState{}, info, false);
    info->PaintEx(canvas);
  }
  editors_test::ExpectPicture(bitmap, "hyperlink-cells", 3);
}

}  // namespace
