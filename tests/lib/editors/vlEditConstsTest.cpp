#include <gtest/gtest.h>

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlExtEditConsts.h"
#include "lib/editors/vlFilterControlConsts.h"
#include <algorithm>

#include "lib/foundation/nbCore.h"
#include "platform/rtl/Strings.h"

namespace {

TnbProductResourceStrings* Product(const char16_t* AName) {
  TnbResourceStringsRepository* r = nbResourceStringsRepository();
  const Integer index = r->GetProductIndexByName(AName);
  return index >= 0 ? r->Products(index) : nullptr;
}

TEST(vlEditConsts, TheThreeProductsAreRegisteredWithAllTheirIdentifiers) {
  const struct {
    const char16_t* Product;
    Integer Count;
  } products[] = {{u"NimboEditors Library", 103}, {u"NimboFilterControl", 36}, {u"NimboEditorsEx Library", 41}};
  for (const auto& p : products) {
    TnbProductResourceStrings* product = Product(p.Product);
    ASSERT_NE(product, nullptr) << std::string(p.Product, p.Product + 5);
    EXPECT_EQ(product->ResStringsCount(), p.Count);
  }
}

// The texts other code quotes, and the ones that look wrong but stand as they are.
TEST(vlEditConsts, TextsStandAsGivenOdditiesIncluded) {
  const struct {
    const char16_t* Name;
    const TResStringRec* Rec;
    const char16_t* Text;
  } strings[] = {
      {u"vlSEditInvalidRepositoryItem", &vlSEditInvalidRepositoryItem, u"The repository item is not acceptable"},
      {u"vlSEditValidateErrorText", &vlSEditValidateErrorText,
       u"Invalid input value. Use escape key to abandon changes"},
      {u"vlSEditPostError", &vlSEditPostError, u"An error occured during posting edit value"},
      {u"vlSEditCheckBoxGrayed", &vlSEditCheckBoxGrayed, u""},
      {u"vlSRadioGroupDefaultCaption", &vlSRadioGroupDefaultCaption, u""},
      {u"svlSEditRepositoryTextItem", &svlSEditRepositoryTextItem, u"TextEdit|Represents a single line text editor"},
      {u"svlSEditRepositoryMaskItem", &svlSEditRepositoryMaskItem,
       u"MaskEdit|Represents a generic masked edit control."},
      {u"svlRegExprIncorrectSpace", &svlRegExprIncorrectSpace, u"The space character is not allowed after '\\'"},
      {u"vlSFilterControlDialogFileFilter", &vlSFilterControlDialogFileFilter, u"Filters (*.flt)|*.flt"},
      {u"vlSFilterRootGroupCaption", &vlSFilterRootGroupCaption, u"<root>"},
      {u"svlSEditRepositoryColorComboBoxItem", &svlSEditRepositoryColorComboBoxItem,
       u"ColorComboBox |Represents a editor with color functionality"},
      {u"svlSEditRepositoryFontNameComboBoxItem", &svlSEditRepositoryFontNameComboBoxItem,
       u"FontNameComboBox |Represents a editor with font functionality"},
      {u"svlUDAssociated", &svlUDAssociated, u" is already associated with "},
      {u"vlSEditRichEditSelectionSaveFail", &vlSEditRichEditSelectionSaveFail, u"Failed to selection Save Stream"},
  };
  for (const auto& s : strings) {
    EXPECT_EQ(nbResourceStringsRepository()->GetOriginalValue(s.Name), s.Text);
    EXPECT_EQ(vlGetResourceStringText(*s.Rec), s.Text);
  }
}

TEST(vlEditConsts, ColourNameTablesHaveTheirSizesAndOrders) {
  ASSERT_EQ(vlColorConstantNames().size(), 52u);
  EXPECT_EQ(vlColorConstantNames().front(), u"clBlack");
  EXPECT_EQ(vlColorConstantNames().back(), u"clWindowText");
  ASSERT_EQ(vlHTML4ColorNames().size(), 16u);
  EXPECT_EQ(vlHTML4ColorNames()[1], u"Silver");
  EXPECT_EQ(vlHTML4ColorNames().back(), u"Aqua");
  const std::vector<String>& byName = vlWebColorNamesByName();
  const std::vector<String>& byHue = vlWebColorNamesByHue();
  ASSERT_EQ(byName.size(), 140u);
  ASSERT_EQ(byHue.size(), 140u);
  EXPECT_EQ(byName.front(), u"AliceBlue");
  EXPECT_EQ(byName.back(), u"YellowGreen");
  EXPECT_EQ(byHue.front(), u"LightPink");
  EXPECT_EQ(byHue.back(), u"Black");
  // The same names in both orders; LightGrey is the one Grey.
  std::vector<String> sorted = byHue;
  std::sort(sorted.begin(), sorted.end(), [](const String& a, const String& b) {
    return CompareText(a, b) < 0;
  });
  EXPECT_EQ(sorted, byName);
  Integer greys = 0;
  for (const String& n : byName) greys += n.find(u"Grey") != String::npos;
  EXPECT_EQ(greys, 1);
}

}  // namespace
