// Reference pictures of the list box, the check list box and the data
// navigator on the headless screen, in each look. Looked at before kept
// (docs/list-boxes.md and docs/navigator.md describe what each shows).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/editors/vlCheckListBox.h"
#include "lib/editors/vlListBox.h"
#include "lib/editors/vlNavigator.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "tests/lib/editors/NavigatorHost.h"
#include "tests/lib/lookandfeel/ControlFixture.h"
#include "tests/support/ReferencePictures.h"

namespace {

constexpr int kScale = 2;

}  // namespace


namespace {

const TvlLookAndFeelKind kKinds[] = {lfFlat, lfStandard, lfUltraFlat, lfOffice11};

class ListPicturesTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Form->SetColor(clBtnFace);
    Form->SetBounds(20, 20, 720, 420);
  }
  // A data source at its first record, nothing being edited.
  TTestNavData* MakeData() {
    TMemDataSet* ds = New<TMemDataSet>(static_cast<TComponent*>(Form));
    ds->FieldDefs()->Add(u"Index", ftInteger);
    ds->Open();
    for (Integer i = 1; i <= 3; ++i) ds->AppendRecord({Variant(i)});
    ds->First();
    TTestNavData* data = New<TTestNavData>(static_cast<TComponent*>(Form));
    data->DS = ds;
    return data;
  }
  TTestNavHost* AddHost(int Top, int Width, TTestNavData* AData, TvlLookAndFeelKind AKind) {
    TTestNavHost* host = Add<TTestNavHost>(6, Top, Width, 28);
    host->Hints = false;
    host->Background = clBtnFace;
    host->LookAndFeel->SetKind(AKind);
    host->ButtonSet->SetOnGetControl(TvlNavigatorControlButtonsGetControl(AData, &TTestNavData::Self_));
    return host;
  }
  // The screen's pixels of a rectangle of the form, enlarged, against a reference.
  void ExpectRegion(const TRect& AFormRect, const std::string& AName) {
    Pump();
    Display.Compose();
    const TPoint origin = Form->ClientToScreen(TPoint{AFormRect.Left, AFormRect.Top});
    const int w = AFormRect.Width(), h = AFormRect.Height();
    std::vector<uint32_t> big(size_t(w * kScale) * size_t(h * kScale));
    for (int y = 0; y < h * kScale; ++y)
      for (int x = 0; x < w * kScale; ++x)
        big[size_t(y) * size_t(w * kScale) + size_t(x)] =
            Display.Pixels()[size_t(origin.Y + y / kScale) * size_t(Display.Width()) + size_t(origin.X + x / kScale)];
    testing_support::ExpectMatchesReference(
        big.data(), w * kScale, h * kScale,
        std::string(CL_SOURCE_DIR) + "/tests/lib/editors/reference/" + AName + ".png", AName);
  }
};

// Columns: flat, standard, ultra-flat, Office 2003. Each box: item 1 checked,
// item 2 grayed, item 3 disabled and checked, item 4 selected; the first
// column's first check is hot.
TEST_F(ListPicturesTest, CheckListBoxesInEachLook) {
  std::vector<TvlCheckListBox*> boxes;
  for (int i = 0; i < 4; ++i) {
    TvlCheckListBox* box = Add<TvlCheckListBox>(6 + i * 124, 6, 118, 96);
    box->Style()->LookAndFeel()->SetNativeStyle(false);
    box->Style()->LookAndFeel()->SetKind(kKinds[i]);
    box->SetAllowGrayed(true);
    box->SetEditValueFormat(cvfStatesString);
    for (const char16_t* t : {u"Gündüz", u"Puant", u"Gece", u"Tek zaman", u"Sayaç"}) box->AddItem(t);
    box->Items()->Items(0)->SetState(cbsChecked);
    box->Items()->Items(1)->SetState(cbsGrayed);
    box->Items()->Items(2)->SetState(cbsChecked);
    box->Items()->Items(2)->SetEnabled(false);
    box->SetItemIndex(3);
    boxes.push_back(box);
  }
  Pump();
  TvlCustomInnerCheckListBox* inner = boxes[0]->InnerCheckListBox();
  const TRect check = inner->GetCheckRect(inner->ItemRect(0), false);
  MoveTo(inner, (check.Left + check.Right) / 2, (check.Top + check.Bottom) / 2);
  ExpectRegion(TRect{0, 0, 6 + 4 * 124, 108}, "check_list_box_looks");
}

// Flat, standard, ultra-flat and Office 2003 list boxes side by side; the
// second item selected, a vertical bar shown.
TEST_F(ListPicturesTest, ListBoxesInEachLook) {
  for (int i = 0; i < 4; ++i) {
    TvlListBox* list = Add<TvlListBox>(6 + i * 124, 6, 118, 70);
    list->Style()->LookAndFeel()->SetNativeStyle(false);
    list->Style()->LookAndFeel()->SetKind(kKinds[i]);
    for (const char16_t* t : {u"COM1", u"COM2", u"COM3", u"COM4", u"COM5", u"COM6"}) list->Items()->Add(t);
    list->SetItemIndex(1);
  }
  ExpectRegion(TRect{0, 0, 6 + 4 * 124, 82}, "list_box_looks");
}

// Rows: flat, standard, ultra-flat, Office 2003. The program's nine buttons
// at the first record (the first three disabled), Next hot and pressed.
TEST_F(ListPicturesTest, NavigatorsInEachLook) {
  TTestNavData* data = MakeData();
  std::vector<TTestNavHost*> hosts;
  for (int i = 0; i < 4; ++i) {
    TTestNavHost* host = AddHost(6 + i * 30, 260, data, kKinds[i]);
    for (Integer b : {NBDI_INSERT, NBDI_DELETE, NBDI_EDIT, NBDI_POST, NBDI_CANCEL, NBDI_REFRESH})
      host->ButtonSet->Buttons(b)->SetVisible(false);
    host->LayOut(22);
    hosts.push_back(host);
  }
  Pump();
  for (TTestNavHost* host : hosts) {
    const TRect next = host->ViewInfo->GetButtonViewInfoByButton(host->ButtonSet->Next())->Bounds;
    host->ViewInfo->MouseMove((next.Left + next.Right) / 2, (next.Top + next.Bottom) / 2);
    if (host == hosts[1]) host->ViewInfo->MouseDown((next.Left + next.Right) / 2, (next.Top + next.Bottom) / 2);
    host->ViewInfo->ButtonPressTimer()->SetEnabled(false);
    host->Invalidate();
  }
  ExpectRegion(TRect{0, 0, 270, 6 + 4 * 30}, "navigator_looks");
}

// All sixteen buttons in the standard look at the first record: First,
// Prior page, Prior, Post, Cancel and Goto Bookmark disabled.
TEST_F(ListPicturesTest, TheDefaultNavigatorGlyphs) {
  TTestNavHost* host = AddHost(6, 400, MakeData(), lfStandard);
  host->ButtonSet->Append()->SetVisible(true);
  host->LayOut(22);
  ExpectRegion(TRect{0, 0, 6 + 400, 36}, "navigator_all_buttons");
}

}  // namespace
