#include "lib/editors/vlExtEditConsts.h"

#include <iterator>

#include "lib/foundation/nbCore.h"
#include "platform/classes/ModuleInit.h"

const TResStringRec svlSEditRepositoryColorComboBoxItem = ResStringOfText(u"ColorComboBox |Represents a editor with color functionality");
const TResStringRec svlSEditRepositoryFontNameComboBoxItem = ResStringOfText(u"FontNameComboBox |Represents a editor with font functionality");
const TResStringRec svlSEditRepositoryLabelItem = ResStringOfText(u"Label|Represents a Label");
const TResStringRec svlSEditRepositoryProgressBarItem = ResStringOfText(u"ProgressBar|Represents a ProgressBar");
const TResStringRec svlSEditRepositoryTrackBarItem = ResStringOfText(u"TrackBar|Represents a TrackBar");
const TResStringRec svlSEditRepositorySpinButtonItem = ResStringOfText(u"SpinButton|Represents a SpinButton");
const TResStringRec svlSEditRepositoryCheckComboBox = ResStringOfText(u"CheckComboBox|Represents a CheckComboBox");
const TResStringRec svlSEditRepositoryShellComboBoxItem = ResStringOfText(u"ShellComboBox|Represents a combo box with a dropdown shell tree view");
const TResStringRec svlSEditRepositoryCheckGroupItem = ResStringOfText(u"CheckGroup|Represents a group of check boxes");
const TResStringRec svlUDAssociated = ResStringOfText(u" is already associated with ");
const TResStringRec svlHotZoneStyleMediaPlayer9 = ResStringOfText(u"MediaPlayer9");
const TResStringRec svlHotZoneStyleMediaPlayer8 = ResStringOfText(u"MediaPlayer8");
const TResStringRec svlHotZoneStyleXPTaskBar = ResStringOfText(u"XPTaskBar");
const TResStringRec svlHotZoneStyleSimple = ResStringOfText(u"Simple");
const TResStringRec svlLoadingFonts = ResStringOfText(u"Loading ...");
const TResStringRec vlSEditCheckGroupCaptionStateDelimiter = ResStringOfText(u": ");
const TResStringRec vlSEditCheckGroupFilterColumnSeparator = ResStringOfText(u"; ");
const TResStringRec vlSEditCheckGroupChecked = ResStringOfText(u"Checked");
const TResStringRec vlSEditCheckGroupGrayed = ResStringOfText(u"Grayed");
const TResStringRec vlSEditCheckGroupUnchecked = ResStringOfText(u"Unchecked");
const TResStringRec vlSCheckComboBoxStatesItemsPropertyDlgCaption = ResStringOfText(u"vlCheckComboBox - CheckStates editor");
const TResStringRec vlSCheckControlIncorrectItemCount = ResStringOfText(u"The number of items cannot be greater than 64, if the EditValueFormat is cvfInteger");
const TResStringRec vlSCheckGroupStatesItemsPropertyDlgCaption = ResStringOfText(u"vlCheckGroup - CheckStates editor");
const TResStringRec vlSCheckComboBoxEmptySelectionText = ResStringOfText(u"None selected");
const TResStringRec vlSColorComboBoxDefaultDescription = ResStringOfText(u"Color not selected");
const TResStringRec vlSEditRichEditLibraryError = ResStringOfText(u"Cannot load a RichEdit library");
const TResStringRec vlSEditRichEditLineInsertionError = ResStringOfText(u"RichEdit line insertion error");
const TResStringRec vlSEditRichEditLoadFail = ResStringOfText(u"Failed to Load Stream");
const TResStringRec vlSEditRichEditSaveFail = ResStringOfText(u"Failed to Save Stream");
const TResStringRec vlSEditRichEditSelectionSaveFail = ResStringOfText(u"Failed to selection Save Stream");
const TResStringRec vlSEditRichEditOleInterfaceFail = ResStringOfText(u"RichEdit: failed to get IRichEditOle interface");
const TResStringRec vlSEditRichEditCallBackFail = ResStringOfText(u"RichEdit: failed to set callback");
const TResStringRec vlSEditRichEditLinkFail = ResStringOfText(u"RichEdit: cannot link to an invalid source");
const TResStringRec svlSEditRepositoryRichEditItem = ResStringOfText(u"RichEdit|RichEdit control");
const TResStringRec vlSEditRichEditUndoCaption = ResStringOfText(u"&Undo");
const TResStringRec vlSEditRichEditRedoCaption = ResStringOfText(u"&Redo");
const TResStringRec vlSEditRichEditCutCaption = ResStringOfText(u"Cu&t");
const TResStringRec vlSEditRichEditCopyCaption = ResStringOfText(u"&Copy");
const TResStringRec vlSEditRichEditPasteCaption = ResStringOfText(u"&Paste");
const TResStringRec vlSEditRichEditDeleteCaption = ResStringOfText(u"&Delete");
const TResStringRec vlSEditRichEditSelectAllCaption = ResStringOfText(u"Select &All");

namespace {

const char16_t kProductName[] = u"NimboEditorsEx Library";
Integer gStartCount = 0;

const char16_t* const kColorConstantNames[] = {
    u"clBlack", u"clMaroon", u"clGreen", u"clOlive", u"clNavy", u"clPurple", u"clTeal", u"clGray", u"clSilver",
    u"clRed", u"clLime", u"clYellow", u"clBlue", u"clFuchsia", u"clAqua", u"clWhite", u"clMoneyGreen", u"clSkyBlue",
    u"clCream", u"clMedGray", u"clActiveBorder", u"clActiveCaption", u"clAppWorkSpace", u"clBackground",
    u"clBtnFace", u"clBtnHighlight", u"clBtnShadow", u"clBtnText", u"clCaptionText", u"clDefault",
    u"clGradientActiveCaption", u"clGradientInactiveCaption", u"clGrayText", u"clHighlight", u"clHighlightText",
    u"clHotLight", u"clInactiveBorder", u"clInactiveCaption", u"clInactiveCaptionText", u"clInfoBk", u"clInfoText",
    u"clMenu", u"clMenuBar", u"clMenuHighlight", u"clMenuText", u"clNone", u"clScrollBar", u"cl3DDkShadow",
    u"cl3DLight", u"clWindow", u"clWindowFrame", u"clWindowText",
};

const char16_t* const kHTML4ColorNames[] = {
    u"Black", u"Silver", u"Gray", u"White", u"Maroon", u"Red", u"Purple", u"Fuchsia", u"Green", u"Lime", u"Olive",
    u"Yellow", u"Navy", u"Blue", u"Teal", u"Aqua",
};

const char16_t* const kWebColorNamesByName[] = {
    u"AliceBlue", u"AntiqueWhite", u"Aqua", u"Aquamarine", u"Azure", u"Beige", u"Bisque", u"Black",
    u"BlanchedAlmond", u"Blue", u"BlueViolet", u"Brown", u"BurlyWood", u"CadetBlue", u"Chartreuse", u"Chocolate",
    u"Coral", u"CornflowerBlue", u"Cornsilk", u"Crimson", u"Cyan", u"DarkBlue", u"DarkCyan", u"DarkGoldenrod",
    u"DarkGray", u"DarkGreen", u"DarkKhaki", u"DarkMagenta", u"DarkOliveGreen", u"DarkOrange", u"DarkOrchid",
    u"DarkRed", u"DarkSalmon", u"DarkSeaGreen", u"DarkSlateBlue", u"DarkSlateGray", u"DarkTurquoise", u"DarkViolet",
    u"DeepPink", u"DeepSkyBlue", u"DimGray", u"DodgerBlue", u"FireBrick", u"FloralWhite", u"ForestGreen",
    u"Fuchsia", u"Gainsboro", u"GhostWhite", u"Gold", u"Goldenrod", u"Gray", u"Green", u"GreenYellow", u"Honeydew",
    u"HotPink", u"IndianRed", u"Indigo", u"Ivory", u"Khaki", u"Lavender", u"LavenderBlush", u"LawnGreen",
    u"LemonChiffon", u"LightBlue", u"LightCoral", u"LightCyan", u"LightGoldenrodYellow", u"LightGreen",
    u"LightGrey", u"LightPink", u"LightSalmon", u"LightSeaGreen", u"LightSkyBlue", u"LightSlateGray",
    u"LightSteelBlue", u"LightYellow", u"Lime", u"LimeGreen", u"Linen", u"Magenta", u"Maroon", u"MediumAquamarine",
    u"MediumBlue", u"MediumOrchid", u"MediumPurple", u"MediumSeaGreen", u"MediumSlateBlue", u"MediumSpringGreen",
    u"MediumTurquoise", u"MediumVioletRed", u"MidnightBlue", u"MintCream", u"MistyRose", u"Moccasin",
    u"NavajoWhite", u"Navy", u"OldLace", u"Olive", u"OliveDrab", u"Orange", u"OrangeRed", u"Orchid",
    u"PaleGoldenrod", u"PaleGreen", u"PaleTurquoise", u"PaleVioletRed", u"PapayaWhip", u"PeachPuff", u"Peru",
    u"Pink", u"Plum", u"PowderBlue", u"Purple", u"Red", u"RosyBrown", u"RoyalBlue", u"SaddleBrown", u"Salmon",
    u"SandyBrown", u"SeaGreen", u"Seashell", u"Sienna", u"Silver", u"SkyBlue", u"SlateBlue", u"SlateGray", u"Snow",
    u"SpringGreen", u"SteelBlue", u"Tan", u"Teal", u"Thistle", u"Tomato", u"Turquoise", u"Violet", u"Wheat",
    u"White", u"WhiteSmoke", u"Yellow", u"YellowGreen",
};

const char16_t* const kWebColorNamesByHue[] = {
    u"LightPink", u"Pink", u"Crimson", u"LavenderBlush", u"PaleVioletRed", u"HotPink", u"DeepPink",
    u"MediumVioletRed", u"Orchid", u"Thistle", u"Plum", u"Violet", u"Magenta", u"Fuchsia", u"DarkMagenta",
    u"Purple", u"MediumOrchid", u"DarkViolet", u"DarkOrchid", u"Indigo", u"BlueViolet", u"MediumPurple",
    u"MediumSlateBlue", u"SlateBlue", u"DarkSlateBlue", u"Lavender", u"GhostWhite", u"Blue", u"MediumBlue",
    u"MidnightBlue", u"DarkBlue", u"Navy", u"RoyalBlue", u"CornflowerBlue", u"LightSteelBlue", u"LightSlateGray",
    u"SlateGray", u"DodgerBlue", u"AliceBlue", u"SteelBlue", u"LightSkyBlue", u"SkyBlue", u"DeepSkyBlue",
    u"LightBlue", u"PowderBlue", u"CadetBlue", u"Azure", u"LightCyan", u"PaleTurquoise", u"Cyan", u"Aqua",
    u"DarkTurquoise", u"DarkSlateGray", u"DarkCyan", u"Teal", u"MediumTurquoise", u"LightSeaGreen", u"Turquoise",
    u"Aquamarine", u"MediumAquamarine", u"MediumSpringGreen", u"MintCream", u"SpringGreen", u"MediumSeaGreen",
    u"SeaGreen", u"Honeydew", u"LightGreen", u"PaleGreen", u"DarkSeaGreen", u"LimeGreen", u"Lime", u"ForestGreen",
    u"Green", u"DarkGreen", u"Chartreuse", u"LawnGreen", u"GreenYellow", u"DarkOliveGreen", u"YellowGreen",
    u"OliveDrab", u"Beige", u"LightGoldenrodYellow", u"Ivory", u"LightYellow", u"Yellow", u"Olive", u"DarkKhaki",
    u"LemonChiffon", u"PaleGoldenrod", u"Khaki", u"Gold", u"Cornsilk", u"Goldenrod", u"DarkGoldenrod",
    u"FloralWhite", u"OldLace", u"Wheat", u"Moccasin", u"Orange", u"PapayaWhip", u"BlanchedAlmond", u"NavajoWhite",
    u"AntiqueWhite", u"Tan", u"BurlyWood", u"Bisque", u"DarkOrange", u"Linen", u"Peru", u"PeachPuff", u"SandyBrown",
    u"Chocolate", u"SaddleBrown", u"Seashell", u"Sienna", u"LightSalmon", u"Coral", u"OrangeRed", u"DarkSalmon",
    u"Tomato", u"MistyRose", u"Salmon", u"Snow", u"LightCoral", u"RosyBrown", u"IndianRed", u"Red", u"Brown",
    u"FireBrick", u"DarkRed", u"Maroon", u"White", u"WhiteSmoke", u"Gainsboro", u"LightGrey", u"Silver",
    u"DarkGray", u"Gray", u"DimGray", u"Black",
};

struct TColorNameTables {
  std::vector<String> Constants, HTML4, ByName, ByHue;
};
TColorNameTables gTables;

template <size_t N>
void Fill(std::vector<String>& ATable, const char16_t* const (&ANames)[N]) {
  ATable.assign(std::begin(ANames), std::end(ANames));
}

void AddResourceStrings(TnbProductResourceStrings* AProduct) {
  AProduct->Add(u"svlSEditRepositoryColorComboBoxItem", &svlSEditRepositoryColorComboBoxItem);
  AProduct->Add(u"svlSEditRepositoryFontNameComboBoxItem", &svlSEditRepositoryFontNameComboBoxItem);
  AProduct->Add(u"svlSEditRepositoryLabelItem", &svlSEditRepositoryLabelItem);
  AProduct->Add(u"svlSEditRepositoryProgressBarItem", &svlSEditRepositoryProgressBarItem);
  AProduct->Add(u"svlSEditRepositoryTrackBarItem", &svlSEditRepositoryTrackBarItem);
  AProduct->Add(u"svlSEditRepositorySpinButtonItem", &svlSEditRepositorySpinButtonItem);
  AProduct->Add(u"svlSEditRepositoryCheckComboBox", &svlSEditRepositoryCheckComboBox);
  AProduct->Add(u"svlSEditRepositoryShellComboBoxItem", &svlSEditRepositoryShellComboBoxItem);
  AProduct->Add(u"svlSEditRepositoryCheckGroupItem", &svlSEditRepositoryCheckGroupItem);
  AProduct->Add(u"svlUDAssociated", &svlUDAssociated);
  AProduct->Add(u"svlHotZoneStyleMediaPlayer9", &svlHotZoneStyleMediaPlayer9);
  AProduct->Add(u"svlHotZoneStyleMediaPlayer8", &svlHotZoneStyleMediaPlayer8);
  AProduct->Add(u"svlHotZoneStyleXPTaskBar", &svlHotZoneStyleXPTaskBar);
  AProduct->Add(u"svlHotZoneStyleSimple", &svlHotZoneStyleSimple);
  AProduct->Add(u"svlLoadingFonts", &svlLoadingFonts);
  AProduct->Add(u"vlSEditCheckGroupCaptionStateDelimiter", &vlSEditCheckGroupCaptionStateDelimiter);
  AProduct->Add(u"vlSEditCheckGroupFilterColumnSeparator", &vlSEditCheckGroupFilterColumnSeparator);
  AProduct->Add(u"vlSEditCheckGroupChecked", &vlSEditCheckGroupChecked);
  AProduct->Add(u"vlSEditCheckGroupGrayed", &vlSEditCheckGroupGrayed);
  AProduct->Add(u"vlSEditCheckGroupUnchecked", &vlSEditCheckGroupUnchecked);
  AProduct->Add(u"vlSCheckComboBoxStatesItemsPropertyDlgCaption", &vlSCheckComboBoxStatesItemsPropertyDlgCaption);
  AProduct->Add(u"vlSCheckControlIncorrectItemCount", &vlSCheckControlIncorrectItemCount);
  AProduct->Add(u"vlSCheckGroupStatesItemsPropertyDlgCaption", &vlSCheckGroupStatesItemsPropertyDlgCaption);
  AProduct->Add(u"vlSCheckComboBoxEmptySelectionText", &vlSCheckComboBoxEmptySelectionText);
  AProduct->Add(u"vlSColorComboBoxDefaultDescription", &vlSColorComboBoxDefaultDescription);
  AProduct->Add(u"vlSEditRichEditLibraryError", &vlSEditRichEditLibraryError);
  AProduct->Add(u"vlSEditRichEditLineInsertionError", &vlSEditRichEditLineInsertionError);
  AProduct->Add(u"vlSEditRichEditLoadFail", &vlSEditRichEditLoadFail);
  AProduct->Add(u"vlSEditRichEditSaveFail", &vlSEditRichEditSaveFail);
  AProduct->Add(u"vlSEditRichEditSelectionSaveFail", &vlSEditRichEditSelectionSaveFail);
  AProduct->Add(u"vlSEditRichEditOleInterfaceFail", &vlSEditRichEditOleInterfaceFail);
  AProduct->Add(u"vlSEditRichEditCallBackFail", &vlSEditRichEditCallBackFail);
  AProduct->Add(u"vlSEditRichEditLinkFail", &vlSEditRichEditLinkFail);
  AProduct->Add(u"svlSEditRepositoryRichEditItem", &svlSEditRepositoryRichEditItem);
  AProduct->Add(u"vlSEditRichEditUndoCaption", &vlSEditRichEditUndoCaption);
  AProduct->Add(u"vlSEditRichEditRedoCaption", &vlSEditRichEditRedoCaption);
  AProduct->Add(u"vlSEditRichEditCutCaption", &vlSEditRichEditCutCaption);
  AProduct->Add(u"vlSEditRichEditCopyCaption", &vlSEditRichEditCopyCaption);
  AProduct->Add(u"vlSEditRichEditPasteCaption", &vlSEditRichEditPasteCaption);
  AProduct->Add(u"vlSEditRichEditDeleteCaption", &vlSEditRichEditDeleteCaption);
  AProduct->Add(u"vlSEditRichEditSelectAllCaption", &vlSEditRichEditSelectAllCaption);
}

void Startup() {
  if (++gStartCount != 1) return;
  nbResourceStringsRepository()->RegisterProduct(kProductName, &AddResourceStrings);
  Fill(gTables.Constants, kColorConstantNames);
  Fill(gTables.HTML4, kHTML4ColorNames);
  Fill(gTables.ByName, kWebColorNamesByName);
  Fill(gTables.ByHue, kWebColorNamesByHue);
}

void Shutdown() {
  if (gStartCount == 0 || --gStartCount != 0) return;
  nbResourceStringsRepository()->UnRegisterProduct(kProductName);
  gTables = TColorNameTables();
}

}  // namespace

CL_UNIT_STEPS(vlExtEditConsts, &Startup, &Shutdown);

const std::vector<String>& vlColorConstantNames() { return gTables.Constants; }
const std::vector<String>& vlHTML4ColorNames() { return gTables.HTML4; }
const std::vector<String>& vlWebColorNamesByName() { return gTables.ByName; }
const std::vector<String>& vlWebColorNamesByHue() { return gTables.ByHue; }
