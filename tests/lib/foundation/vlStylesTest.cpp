#include "lib/foundation/vlStyles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/win/GdiInternal.h"

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

// A styles class with two published styles (Content 0, Header 1) and
// defaults of its own; it records the indexes reported changed.
class TTestStyles : public TvlStyles {
  CL_CLASS(TTestStyles, TvlStyles)
 public:
  void Assign(TPersistent* Source) override {
    if (TTestStyles* source = dynamic_cast<TTestStyles*>(Source)) {
      SetContent(source->Content());
      SetHeader(source->Header());
    }
    inherited::Assign(Source);
  }
  void FireChanged(Integer AIndex) override {
    Fired.push_back(AIndex);
    // a copy: the handler may free this object, and its members with it
    if (const auto handler = OnFired) handler(AIndex);
  }
  void GetDefaultViewParams(Integer AIndex, Pointer AData, TvlViewParams& AParams) override {
    inherited::GetDefaultViewParams(AIndex, AData, AParams);
    AParams.Color = clWindow;
    AParams.TextColor = clWindowText;
    AParams.Font = DefaultFont;
  }
  TvlStyle* Content() { return GetIndexedStyle(0); }
  void SetContent(TvlStyle* Value) { SetIndexedStyle(0, Value); }
  TvlStyle* Header() { return GetIndexedStyle(1); }
  void SetHeader(TvlStyle* Value) { SetIndexedStyle(1, Value); }

  std::vector<Integer> Fired;
  std::function<void(Integer)> OnFired;
  TFont* DefaultFont{};
};

class TOtherStyles : public TvlStyles {
  CL_CLASS(TOtherStyles, TvlStyles)
};

class TTestStyleSheet : public TvlCustomStyleSheet {
  CL_CLASS(TTestStyleSheet, TvlCustomStyleSheet)
 public:
  TvlCustomStylesClass GetStylesClass() const override { return ClassOf<TTestStyles>(); }
  TTestStyles* Styles() const { return static_cast<TTestStyles*>(inherited::Styles()); }
  void SetStyles(TTestStyles* Value) { inherited::SetStyles(Value); }
};

class TOtherStyleSheet : public TvlCustomStyleSheet {
  CL_CLASS(TOtherStyleSheet, TvlCustomStyleSheet)
 public:
  TvlCustomStylesClass GetStylesClass() const override { return ClassOf<TOtherStyles>(); }
};

// A form-like root: writes its owned components that have no parent.
class TTestRoot : public TComponent {
  CL_CLASS(TTestRoot, TComponent)
 public:
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {
    for (Integer i = 0; i < ComponentCount(); ++i)
      if (!Components(i)->HasParent()) Proc(Components(i));
  }
};

CL_IMPLEMENT_CLASS_PUBLISHED(TTestStyles, P) {
  P.Property(u"Content", &TTestStyles::Content, &TTestStyles::SetContent);
  P.Property(u"Header", &TTestStyles::Header, &TTestStyles::SetHeader);
}
CL_IMPLEMENT_CLASS(TOtherStyles)
CL_IMPLEMENT_CLASS_PUBLISHED(TTestStyleSheet, P) {
  P.Property(u"Styles", &TTestStyleSheet::Styles, &TTestStyleSheet::SetStyles);
}
CL_IMPLEMENT_CLASS(TOtherStyleSheet)
CL_IMPLEMENT_CLASS(TTestRoot)

class StylesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static const bool registered = [] {
      RegisterClass(TTestStyleSheet::StaticClass());
      RegisterClass(TTestRoot::StaticClass());
      // a form lists the repository among its published fields
      RegisterClass(TvlStyleRepository::StaticClass());
      return true;
    }();
    (void)registered;
    FRoot.reset(New<TTestRoot>(nullptr));
    FRepository = New<TvlStyleRepository>(FRoot.get());
    FRepository->SetName(u"Repository");
  }
  TvlStyle* AddStyle(const String& AName) {
    TvlStyle* style = static_cast<TvlStyle*>(FRepository->CreateItemEx(ClassOf<TvlStyle>(), FRoot.get()));
    style->SetName(AName);
    return style;
  }
  TTestStyleSheet* AddSheet(const String& AName) {
    auto* sheet = static_cast<TTestStyleSheet*>(
        FRepository->CreateStyleSheetEx(ClassOf<TTestStyleSheet>(), FRoot.get()));
    sheet->SetName(AName);
    return sheet;
  }
  TTestStyles* NewStyles() { return static_cast<TTestStyles*>(New<TTestStyles>(FRoot.get())); }

  Owned<TTestRoot> FRoot;
  TvlStyleRepository* FRepository{};
};

// --- Styles -------------------------------------------------------------------------------

TEST_F(StylesTest, SettingAValueAssignsItAndNotifiesOnce) {
  TvlStyle* style = AddStyle(u"Red");
  Owned<TTestStyles> styles(NewStyles());
  styles->SetContent(style);
  styles->Fired.clear();
  style->SetColor(clRed);
  EXPECT_TRUE(style->AssignedValues().Contains(svColor));
  style->SetColor(clDefault);
  EXPECT_FALSE(style->AssignedValues().Contains(svColor));
  style->SetColor(clDefault);  // no change: no notice
  EXPECT_EQ(styles->Fired, (std::vector<Integer>{0, 0}));
  style->Font()->SetName(u"Arial");
  EXPECT_TRUE(style->AssignedValues().Contains(svFont));
  style->Bitmap()->SetSize(2, 2);
  EXPECT_TRUE(style->AssignedValues().Contains(svBitmap));
  style->Bitmap()->SetSize(0, 0);
  EXPECT_FALSE(style->AssignedValues().Contains(svBitmap));
  style->SetTextColor(clBlue);
  style->RestoreDefaults();
  EXPECT_TRUE(style->AssignedValues().Empty());
  EXPECT_EQ(style->TextColor(), clDefault);
  EXPECT_EQ(style->Font()->Name(), u"Arial");  // the font keeps its settings
}

TEST_F(StylesTest, AssignCopiesTheValuesThenTheSourceSet) {
  TvlStyle* source = AddStyle(u"Source");
  source->SetColor(clRed);
  source->Font()->SetHeight(-20);
  source->SetAssignedValues(TvlStyleValues{svColor});  // the font is set but not assigned
  TvlStyle* dest = AddStyle(u"Dest");
  dest->Assign(source);
  EXPECT_EQ(dest->Color(), clRed);
  EXPECT_EQ(dest->Font()->Height(), -20);
  EXPECT_EQ(dest->AssignedValues(), TvlStyleValues{svColor});
}

TEST_F(StylesTest, RepositoryKeepsStylesAndSheetsInOrderAndFreesThemLastFirst) {
  TvlStyle* a = AddStyle(u"A");
  TvlStyle* b = AddStyle(u"B");
  TTestStyleSheet* sheet = AddSheet(u"Sheet");
  EXPECT_EQ(FRepository->Count(), 2);
  EXPECT_EQ(b->Index(), 1);
  EXPECT_EQ(sheet->Index(), 0);
  EXPECT_EQ(FRepository->StyleIndexOf(a), 0);
  Free(a);
  EXPECT_EQ(b->Index(), 0);
  Owned<TvlStyle> loose(static_cast<TvlStyle*>(New<TvlStyle>(nullptr)));
  EXPECT_EQ(loose->Index(), -1);
  loose->SetParentComponent(FRepository);
  EXPECT_EQ(loose->Index(), 1);
  FRepository->Clear();
  FRepository->ClearStyleSheets();
  EXPECT_EQ(FRepository->Count(), 0);
  EXPECT_EQ(FRepository->StyleSheetCount(), 0);
  EXPECT_EQ(FRoot->FindComponent(u"B"), nullptr);
  loose.release();  // freed by Clear
}

TEST_F(StylesTest, FreeingAStyleOrAStylesObjectFirstLeavesNoListenerBehind) {
  // the style first: the styles objects lose their pairs and report them
  TvlStyle* style = AddStyle(u"S");
  Owned<TTestStyles> one(NewStyles()), two(NewStyles());
  one->SetContent(style);
  one->SetHeader(style);
  two->SetHeader(style);
  EXPECT_EQ(style->ListenerCount(), 2);
  one->Fired.clear();
  two->Fired.clear();
  Free(style);
  EXPECT_EQ(one->Count(), 0);
  EXPECT_EQ(two->Count(), 0);
  EXPECT_EQ(one->Fired, (std::vector<Integer>{1, 0}));
  EXPECT_EQ(two->Fired, (std::vector<Integer>{1}));
  // the styles object first: the style no longer knows it
  TvlStyle* other = AddStyle(u"T");
  TTestStyles* three = NewStyles();
  three->SetContent(other);
  EXPECT_EQ(other->ListenerCount(), 1);
  Free(three);
  EXPECT_EQ(other->ListenerCount(), 0);
  other->SetColor(clRed);  // no listener to reach
  // the repository first: it frees its styles, which leave their styles objects
  TvlStyle* third = AddStyle(u"U");
  one->SetContent(third);
  Free(FRepository);
  FRepository = nullptr;
  EXPECT_EQ(one->Count(), 0);
}

// A handler of a change notification frees another listener, the sheet, the
// style or the notified styles object itself: the notification goes on with
// what remains and reads nothing freed (checked under the address sanitizer).
TEST_F(StylesTest, NotificationsSurviveListenersThatGoAway) {
  enum class Frees { OtherListener, Style, Itself, Sheet, OtherSheetUser };
  for (Frees what :
       {Frees::OtherListener, Frees::Style, Frees::Itself, Frees::Sheet, Frees::OtherSheetUser}) {
    SCOPED_TRACE(int(what));
    TvlStyle* style = AddStyle(u"S");
    TTestStyleSheet* sheet = AddSheet(u"Sheet");
    // told in this order: the last registered listener first, then the sheet's users
    TTestStyles* one = NewStyles();
    TTestStyles* two = NewStyles();
    one->SetContent(style);
    one->SetHeader(style);
    two->SetContent(style);
    sheet->Styles()->SetHeader(style);
    TTestStyles* userA = NewStyles();
    TTestStyles* userB = NewStyles();
    userA->SetStyleSheet(sheet);
    userB->SetStyleSheet(sheet);
    std::vector<TTestStyles*> alive{one, two, userA, userB};
    auto freeStyles = [&](TTestStyles* AStyles) {
      alive.erase(std::find(alive.begin(), alive.end(), AStyles));
      Free(AStyles);
    };
    Boolean styleFreed = false, sheetFreed = false;
    switch (what) {
      case Frees::OtherListener:
        two->OnFired = [&](Integer) {
          if (one) freeStyles(std::exchange(one, nullptr));
        };
        break;
      case Frees::Style:
        two->OnFired = [&](Integer) {
          if (!styleFreed) {
            styleFreed = true;
            Free(style);
          }
        };
        break;
      case Frees::Itself:
        one->OnFired = [&](Integer) {
          if (one) freeStyles(std::exchange(one, nullptr));
        };
        break;
      case Frees::Sheet:
        userA->OnFired = [&](Integer) {
          if (!sheetFreed) {
            sheetFreed = true;
            Free(sheet);
          }
        };
        break;
      case Frees::OtherSheetUser:
        userA->OnFired = [&](Integer) {
          if (userB) freeStyles(std::exchange(userB, nullptr));
        };
        break;
    }
    for (TTestStyles* s : alive) s->Fired.clear();
    style->SetColor(clRed);
    if (what == Frees::OtherListener) EXPECT_EQ(two->Fired, (std::vector<Integer>{0}));
    if (what == Frees::Itself) EXPECT_EQ(two->Fired, (std::vector<Integer>{0}));
    // told once: by the sheet's going away, not again by the sheet's loop
    if (what == Frees::Sheet) EXPECT_EQ(userB->Fired, (std::vector<Integer>{1}));
    if (what == Frees::OtherSheetUser) EXPECT_EQ(userA->Fired, (std::vector<Integer>{1}));
    for (TTestStyles* s : alive) s->OnFired = nullptr;
    for (TTestStyles* s : std::vector<TTestStyles*>(alive)) freeStyles(s);
    if (!sheetFreed) Free(sheet);
    if (!styleFreed) Free(style);
  }
}

// --- Styles objects ---------------------------------------------------------------------------

TEST_F(StylesTest, PairsStaySortedAndTheSheetFillsTheGaps) {
  TTestStyleSheet* sheet = AddSheet(u"Sheet");
  TvlStyle* s2 = AddStyle(u"S2");
  TvlStyle* s5 = AddStyle(u"S5");
  TvlStyle* s7 = AddStyle(u"S7");
  TvlStyle* sheet5 = AddStyle(u"Sheet5");
  sheet->Styles()->SetStyleAt(5, sheet5);
  sheet->Styles()->SetStyleAt(3, s2);
  Owned<TTestStyles> styles(NewStyles());
  styles->SetStyleAt(7, s7);
  styles->SetStyleAt(2, s2);
  styles->SetStyleSheet(sheet);
  EXPECT_EQ(styles->GetStyleAt(5), sheet5);
  EXPECT_EQ(styles->GetStyleAt(4), nullptr);
  styles->Fired.clear();
  styles->SetStyleAt(3, s2);  // what the sheet gives already: no pair, no notice
  EXPECT_EQ(styles->Count(), 2);
  EXPECT_TRUE(styles->Fired.empty());
  styles->SetStyleAt(5, s5);
  ASSERT_EQ(styles->Count(), 3);
  EXPECT_EQ(styles->Items(1)->Index, 5);  // between 2 and 7
  EXPECT_EQ(styles->GetStyleAt(5), s5);
  EXPECT_EQ(styles->Fired, (std::vector<Integer>{5}));
  // a change of a sheet's style reaches the styles objects that use the sheet
  styles->Fired.clear();
  sheet5->SetColor(clRed);
  EXPECT_EQ(styles->Fired, (std::vector<Integer>{5}));
  styles->ResetStyles();
  EXPECT_EQ(styles->Count(), 0);
  EXPECT_EQ(styles->GetStyleAt(5), sheet5);
}

TEST_F(StylesTest, ChangingTheSheetReportsTheIndexesOfBothSheetsOnce) {
  TTestStyleSheet* first = AddSheet(u"First");
  TTestStyleSheet* second = AddSheet(u"Second");
  TvlStyle* style = AddStyle(u"S");
  first->Styles()->SetStyleAt(1, style);
  first->Styles()->SetStyleAt(4, style);
  second->Styles()->SetStyleAt(4, style);
  second->Styles()->SetStyleAt(6, style);
  Owned<TTestStyles> styles(NewStyles());
  styles->SetStyleSheet(first);
  styles->Fired.clear();
  styles->SetStyleSheet(second);
  EXPECT_EQ(styles->Fired, (std::vector<Integer>{1, 4, 6}));
  EXPECT_EQ(first->StylesListCount(), 0);
  EXPECT_EQ(second->StylesListCount(), 1);
  // freeing the sheet detaches the styles object
  Free(second);
  EXPECT_EQ(styles->StyleSheet(), nullptr);
}

TEST_F(StylesTest, InvalidSheetsAreRefused) {
  TTestStyleSheet* a = AddSheet(u"A");
  TTestStyleSheet* b = AddSheet(u"B");
  auto* other = static_cast<TOtherStyleSheet*>(
      FRepository->CreateStyleSheetEx(ClassOf<TOtherStyleSheet>(), FRoot.get()));
  Owned<TTestStyles> styles(NewStyles());
  EXPECT_FALSE(styles->IsValidStyleSheet(other));  // another styles class
  EXPECT_FALSE(a->Styles()->IsValidStyleSheet(a));  // its own sheet
  b->Styles()->SetStyleSheet(a);
  EXPECT_EQ(b->Styles()->StyleSheet(), a);
  a->Styles()->SetStyleSheet(b);  // would close the circle
  EXPECT_EQ(a->Styles()->StyleSheet(), nullptr);
  EXPECT_TRUE(styles->IsValidStyleSheet(nullptr));
}

TEST_F(StylesTest, ViewParamsFallBackFromExtraStyleToStyleToDefaults) {
  TFont* defaultFont = New<TFont>();
  Owned<TFont> fontGuard(defaultFont);
  TvlStyle* extra = AddStyle(u"Extra");
  extra->SetColor(clRed);
  TvlStyle* indexed = AddStyle(u"Indexed");
  indexed->SetColor(clBlue);
  indexed->Font()->SetHeight(-20);
  Owned<TTestStyles> styles(NewStyles());
  styles->DefaultFont = defaultFont;
  styles->SetContent(indexed);
  TvlViewParams p;
  styles->GetViewParams(0, nullptr, extra, p);
  EXPECT_EQ(p.Color, clRed);
  EXPECT_EQ(p.Font, indexed->Font());
  EXPECT_EQ(p.TextColor, clWindowText);
  EXPECT_EQ(p.Bitmap, nullptr);
  styles->GetViewParams(1, nullptr, nullptr, p);
  EXPECT_EQ(p.Color, clWindow);
  EXPECT_EQ(p.Font, defaultFont);
  EXPECT_EQ(styles->MaxDefaultViewParamsIndex(), 1);
  // bitmaps take part only when asked
  indexed->Bitmap()->SetSize(4, 4);
  styles->GetViewParams(0, nullptr, nullptr, p);
  EXPECT_EQ(p.Bitmap, nullptr);
  styles->SetBitmapInViewParams(true);
  styles->GetViewParams(0, nullptr, nullptr, p);
  EXPECT_EQ(p.Bitmap, indexed->Bitmap());
  EXPECT_EQ(styles->GetBitmap(0), indexed->Bitmap());
  // a default font change reaches the indexes that use it
  styles->Fired.clear();
  styles->DefaultFontChanged(nullptr, defaultFont);
  EXPECT_EQ(styles->Fired, (std::vector<Integer>{1}));
}

TEST_F(StylesTest, SheetCaptionCopyAndAssign) {
  TTestStyleSheet* sheet = AddSheet(u"SheetA");
  sheet->SetCaption(u"sheeta");
  EXPECT_FALSE(sheet->IsCaptionStored());
  EXPECT_EQ(sheet->Caption(), u"SheetA");
  sheet->SetCaption(u"Tablo");
  EXPECT_EQ(sheet->Caption(), u"Tablo");

  TvlStyle* style = AddStyle(u"S");
  style->SetColor(clRed);
  sheet->Styles()->SetStyleAt(0, style);
  TTestStyleSheet* copy = AddSheet(u"Copy");
  copy->CopyFrom(sheet);
  ASSERT_NE(copy->Styles()->Content(), nullptr);
  EXPECT_NE(copy->Styles()->Content(), style);  // a new style
  EXPECT_EQ(copy->Styles()->Content()->Color(), clRed);
  EXPECT_EQ(FRepository->Count(), 2);
  auto* other = static_cast<TOtherStyleSheet*>(
      FRepository->CreateStyleSheetEx(ClassOf<TOtherStyleSheet>(), FRoot.get()));
  other->CopyFrom(sheet);  // another styles class: nothing
  EXPECT_EQ(other->Styles()->Count(), 0);

  TTestStyleSheet* assigned = AddSheet(u"Assigned");
  assigned->Assign(sheet);
  EXPECT_EQ(assigned->Caption(), u"Tablo");
  EXPECT_EQ(assigned->Styles()->Content(), style);
}

// --- Streaming ------------------------------------------------------------------------------------

TEST_F(StylesTest, RepositoryWithStylesAndASheetRoundTripsThroughAFormFile) {
  TvlStyle* content = AddStyle(u"stContent");
  content->SetColor(clInfoBk);
  content->Font()->SetHeight(-11);
  content->Font()->SetName(u"Arial");
  TvlStyle* header = AddStyle(u"stHeader");
  header->SetTextColor(clNavy);
  TTestStyleSheet* sheet = AddSheet(u"GridSheet");
  sheet->SetCaption(u"Izgara");
  sheet->SetBuiltIn(true);
  sheet->Styles()->SetContent(content);
  sheet->Styles()->SetHeader(header);
  FRepository->SetScalable(true);

  Owned<TMemoryStream> stream(New<TMemoryStream>());
  stream->WriteComponent(FRoot.get());
  const RawByteString text = ObjectBinaryToText(RawByteString(static_cast<const char*>(stream->Memory()),
                                                              size_t(stream->Size())));
  SCOPED_TRACE(text);
  EXPECT_NE(text.find("PixelsPerInch = 96"), std::string::npos);
  EXPECT_NE(text.find("BuiltIn = True"), std::string::npos);
  EXPECT_EQ(text.find("TextColor = clNavy"), text.rfind("TextColor"));  // only the assigned one

  // read back on a screen of 120 pixels per inch: the assigned font grows
  win::gdi::SetPixelsPerInch(120);
  Owned<TTestRoot> copy(New<TTestRoot>(nullptr));
  stream->SetPosition(0);
  stream->ReadComponent(copy.get());
  win::gdi::SetPixelsPerInch(0);
  auto* repository = dynamic_cast<TvlStyleRepository*>(copy->FindComponent(u"Repository"));
  ASSERT_NE(repository, nullptr);
  ASSERT_EQ(repository->Count(), 2);
  ASSERT_EQ(repository->StyleSheetCount(), 1);
  EXPECT_EQ(repository->PixelsPerInch(), 96);
  auto* readContent = static_cast<TvlStyle*>(repository->Items(0));
  EXPECT_EQ(readContent->Name(), u"stContent");
  EXPECT_EQ(readContent->Owner(), copy.get());
  EXPECT_EQ(readContent->Color(), clInfoBk);
  EXPECT_EQ(readContent->Font()->Height(), -14);  // -11 * 120 / 96 = -13.75
  auto* readHeader = static_cast<TvlStyle*>(repository->Items(1));
  EXPECT_EQ(readHeader->AssignedValues(), TvlStyleValues{svTextColor});
  EXPECT_EQ(readHeader->Font()->Height(), DefFontHeight);  // not assigned: not rescaled
  auto* readSheet = dynamic_cast<TTestStyleSheet*>(repository->StyleSheets(0));
  ASSERT_NE(readSheet, nullptr);
  EXPECT_TRUE(readSheet->BuiltIn());
  EXPECT_EQ(readSheet->Caption(), u"Izgara");
  EXPECT_EQ(readSheet->Styles()->Content(), readContent);
  EXPECT_EQ(readSheet->Styles()->Header(), readHeader);
}

TEST_F(StylesTest, AStylesObjectWritesOnlyItsOwnPairs) {
  TTestStyleSheet* base = AddSheet(u"Base");
  TTestStyleSheet* derived = AddSheet(u"Derived");
  TvlStyle* style = AddStyle(u"S");
  base->Styles()->SetContent(style);
  derived->Styles()->SetStyleSheet(base);
  EXPECT_EQ(derived->Styles()->Content(), style);
  Owned<TMemoryStream> stream(New<TMemoryStream>());
  stream->WriteComponent(FRoot.get());
  const RawByteString text = ObjectBinaryToText(RawByteString(static_cast<const char*>(stream->Memory()),
                                                              size_t(stream->Size())));
  EXPECT_EQ(text.find("Styles.Content = S"), text.rfind("Styles.Content = S")) << text;
}

}  // namespace
