// The user-visible texts of the extended editors, registered with the
// resource-string repository as the product "NimboEditorsEx Library", and the
// four tables of colour names kept by the extended editors' unit.
#pragma once

#include "platform/rtl/ResStrings.h"
#include <vector>

#include "platform/rtl/Types.h"

extern const TResStringRec svlSEditRepositoryColorComboBoxItem;             // "ColorComboBox |Represents a editor with color functionality"
extern const TResStringRec svlSEditRepositoryFontNameComboBoxItem;          // "FontNameComboBox |Represents a editor with font functionality"
extern const TResStringRec svlSEditRepositoryLabelItem;                     // "Label|Represents a Label"
extern const TResStringRec svlSEditRepositoryProgressBarItem;               // "ProgressBar|Represents a ProgressBar"
extern const TResStringRec svlSEditRepositoryTrackBarItem;                  // "TrackBar|Represents a TrackBar"
extern const TResStringRec svlSEditRepositorySpinButtonItem;                // "SpinButton|Represents a SpinButton"
extern const TResStringRec svlSEditRepositoryCheckComboBox;                 // "CheckComboBox|Represents a CheckComboBox"
extern const TResStringRec svlSEditRepositoryShellComboBoxItem;             // "ShellComboBox|Represents a combo box with a dropdown shell tree view"
extern const TResStringRec svlSEditRepositoryCheckGroupItem;                // "CheckGroup|Represents a group of check boxes"
extern const TResStringRec svlUDAssociated;                                 // " is already associated with "
extern const TResStringRec svlHotZoneStyleMediaPlayer9;                     // "MediaPlayer9"
extern const TResStringRec svlHotZoneStyleMediaPlayer8;                     // "MediaPlayer8"
extern const TResStringRec svlHotZoneStyleXPTaskBar;                        // "XPTaskBar"
extern const TResStringRec svlHotZoneStyleSimple;                           // "Simple"
extern const TResStringRec svlLoadingFonts;                                 // "Loading ..."
extern const TResStringRec vlSEditCheckGroupCaptionStateDelimiter;          // ": "
extern const TResStringRec vlSEditCheckGroupFilterColumnSeparator;          // "; "
extern const TResStringRec vlSEditCheckGroupChecked;                        // "Checked"
extern const TResStringRec vlSEditCheckGroupGrayed;                         // "Grayed"
extern const TResStringRec vlSEditCheckGroupUnchecked;                      // "Unchecked"
extern const TResStringRec vlSCheckComboBoxStatesItemsPropertyDlgCaption;   // "vlCheckComboBox - CheckStates editor"
extern const TResStringRec vlSCheckControlIncorrectItemCount;               // "The number of items cannot be greater than 64, if the EditValueFormat is cvfInteger"
extern const TResStringRec vlSCheckGroupStatesItemsPropertyDlgCaption;      // "vlCheckGroup - CheckStates editor"
extern const TResStringRec vlSCheckComboBoxEmptySelectionText;              // "None selected"
extern const TResStringRec vlSColorComboBoxDefaultDescription;              // "Color not selected"
extern const TResStringRec vlSEditRichEditLibraryError;                     // "Cannot load a RichEdit library"
extern const TResStringRec vlSEditRichEditLineInsertionError;               // "RichEdit line insertion error"
extern const TResStringRec vlSEditRichEditLoadFail;                         // "Failed to Load Stream"
extern const TResStringRec vlSEditRichEditSaveFail;                         // "Failed to Save Stream"
extern const TResStringRec vlSEditRichEditSelectionSaveFail;                // "Failed to selection Save Stream"
extern const TResStringRec vlSEditRichEditOleInterfaceFail;                 // "RichEdit: failed to get IRichEditOle interface"
extern const TResStringRec vlSEditRichEditCallBackFail;                     // "RichEdit: failed to set callback"
extern const TResStringRec vlSEditRichEditLinkFail;                         // "RichEdit: cannot link to an invalid source"
extern const TResStringRec svlSEditRepositoryRichEditItem;                  // "RichEdit|RichEdit control"
extern const TResStringRec vlSEditRichEditUndoCaption;                      // "&Undo"
extern const TResStringRec vlSEditRichEditRedoCaption;                      // "&Redo"
extern const TResStringRec vlSEditRichEditCutCaption;                       // "Cu&t"
extern const TResStringRec vlSEditRichEditCopyCaption;                      // "&Copy"
extern const TResStringRec vlSEditRichEditPasteCaption;                     // "&Paste"
extern const TResStringRec vlSEditRichEditDeleteCaption;                    // "&Delete"
extern const TResStringRec vlSEditRichEditSelectAllCaption;                 // "Select &All"

// The colour-name tables: texts only, no colour values. They live from the
// unit's start-up to its shut-down (empty outside it).
// The names of the platform's colour constants (52).
const std::vector<String>& vlColorConstantNames();
// The basic colour names of HTML 4, in their usual order (16).
const std::vector<String>& vlHTML4ColorNames();
// The named web colours, alphabetically (140).
const std::vector<String>& vlWebColorNamesByName();
// The same names in hue order (140).
const std::vector<String>& vlWebColorNamesByHue();
