#include "lib/editors/vlMRUEdit.h"

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlFilterEdit.h"
#include "lib/foundation/vlClasses.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Variants.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

constexpr Integer kDropDownButton = 0;
constexpr Integer kEllipsisButton = 1;

}  // namespace

// --- Properties -----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomMRUEditProperties)

void TvlCustomMRUEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FMaxItemCount = 0;
  FShowEllipsis = true;
  TvlEditButton* ellipsis = Buttons()->Add();
  // The glyph goes with the ellipsis button, which is the default one.
  SetGlyphButtonIndex(kEllipsisButton);
  ellipsis->SetKind(bkEllipsis);
  ellipsis->SetDefault(true);
  SetDropDownListStyle(lsEditList);
  SetValidateOnEnter(true);
  SetMRUMode(true);
}

// The trimming and the new-text event watch for handlers that free the editor.
void TvlCustomMRUEditProperties::Destroy() {
  vlClearObjectLinks(this);
  inherited::Destroy();
}

TvlCustomEditClass TvlCustomMRUEditProperties::GetContainerClass() const { return ClassOf<TvlMRUEdit>(); }

void TvlCustomMRUEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TvlCustomMRUEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  inherited::Assign(Source);
  SetMaxItemCount(s->FMaxItemCount);
  SetShowEllipsis(s->FShowEllipsis);
  FOnButtonClick = s->FOnButtonClick;
  FOnDeleteLookupItem = s->FOnDeleteLookupItem;
}

void TvlCustomMRUEditProperties::Update(TvlCustomEditProperties* AProperties) {
  if (auto* other = dynamic_cast<TvlCustomMRUEditProperties*>(AProperties)) other->SetLookupItems(LookupItems());
}

void TvlCustomMRUEditProperties::RaiseNewItem(const String& AText) {
  if (Assigned(OnNewLookupDisplayText())) OnNewLookupDisplayText()(this, AText);
}

// While the list is longer than MaxItemCount (0: no limit), its last entry
// is announced and dropped. A handler may change the limit or the list, or
// free the editor (and these properties with it): the trimming stops there.
void TvlCustomMRUEditProperties::TrimItems() {
  TvlObjectLinkScope alive(this);
  while (FMaxItemCount > 0 && LookupItems()->Count() > FMaxItemCount) {
    const Integer last = LookupItems()->Count() - 1;
    if (Assigned(FOnDeleteLookupItem)) FOnDeleteLookupItem(this, last);
    if (!alive.Alive()) return;
    if (last < LookupItems()->Count()) LookupItems()->Delete(last);
  }
}

void TvlCustomMRUEditProperties::InsertItem(const String& AText, Boolean ARaiseNewItem) {
  if (AText.empty()) return;
  TStringList* items = LookupItems();
  const Integer index = items->IndexOf(AText);
  if (index == 0) return;
  if (index > 0) {
    items->Move(index, 0);
    return;
  }
  if (ARaiseNewItem) {
    TvlObjectLinkScope alive(this);
    RaiseNewItem(AText);
    if (!alive.Alive()) return;
  }
  LookupItems()->Insert(0, AText);
  TrimItems();
}

void TvlCustomMRUEditProperties::SetMaxItemCount(Integer Value) {
  if (Value < 0) Value = 0;
  if (FMaxItemCount == Value) return;
  FMaxItemCount = Value;
  TrimItems();
}

void TvlCustomMRUEditProperties::SetShowEllipsis(Boolean Value) {
  if (FShowEllipsis == Value) return;
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  FShowEllipsis = Value;
  TBitmap* glyph = ButtonGlyph();
  // The glyph moves along: to the ellipsis button when it shows, else to the drop-down button.
  TBitmap* kept = nullptr;
  if (glyph && !glyph->Empty()) {
    kept = New<TBitmap>();
    kept->Assign(glyph);
  }
  Finally freeKept([&] { Free(kept); });
  SetButtonGlyph(nullptr);
  Buttons()->Items(kEllipsisButton)->SetVisible(Value);
  SetGlyphButtonIndex(Value ? kEllipsisButton : kDropDownButton);
  SetButtonGlyph(kept);
  Changed();
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlMRUEditProperties, P) {
  using T = TvlMRUEditProperties;
  P.Property(u"Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
  P.Property(u"AssignedValues", &T::AssignedValues, &T::SetAssignedValues);
  P.Property(u"AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(true);
  P.Property(u"BeepOnError", &T::BeepOnError, &T::SetBeepOnError).Default(false);
  P.Property(u"CharCase", &T::CharCase, &T::SetCharCase).Default(ecNormal);
  P.Property(u"ClearKey", &T::ClearKey, &T::SetClearKey).Default(Word(0));
  P.Property(u"ClickKey", &T::ClickKey, &T::SetClickKey).Default(vlEditDefaultClickKey);
  P.Property(u"DropDownAutoWidth", &T::DropDownAutoWidth, &T::SetDropDownAutoWidth).Default(true);
  P.Property(u"DropDownListStyle", &T::DropDownListStyle, &T::SetDropDownListStyle).Default(lsEditList);
  P.Property(u"DropDownRows", &T::DropDownRows, &T::SetDropDownRows).Default(8);
  P.Property(u"DropDownSizeable", &T::DropDownSizeable, &T::SetDropDownSizeable).Default(false);
  P.Property(u"DropDownWidth", &T::DropDownWidth, &T::SetDropDownWidth).Default(0);
  P.Property(u"MaskKind", &T::MaskKind, &T::SetMaskKind).Default(emkStandard);
  P.Property(u"EditMask", &T::OwnEditMask, &T::SetEditMask).Stored(&T::IsEditMaskStored);
  P.Property(u"HideSelection", &T::HideSelection, &T::SetHideSelection).Default(true);
  P.Property(u"ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
  P.Property(u"ImeName", &T::ImeName, &T::SetImeName);
  P.Property(u"ImmediateDropDown", &T::ImmediateDropDown, &T::SetImmediateDropDown).Default(true);
  P.Property(u"ImmediatePost", &T::ImmediatePost, &T::SetImmediatePost).Default(false);
  P.Property(u"ImmediateUpdateText", &T::ImmediateUpdateText, &T::SetImmediateUpdateText).Default(false);
  P.Property(u"ItemHeight", &T::ItemHeight, &T::SetItemHeight).Default(0);
  P.Property(u"LookupItems", &T::LookupItems, &T::SetLookupItems);
  P.Property(u"MaxItemCount", &T::MaxItemCount, &T::SetMaxItemCount).Default(0);
  P.Property(u"MaxLength", &T::MaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  P.Property(u"OEMConvert", &T::OEMConvert, &T::SetOEMConvert).Default(false);
  P.Property(u"PopupAlignment", &T::PopupAlignment, &T::SetPopupAlignment).Default(taLeftJustify);
  P.Property(u"PostPopupValueOnTab", &T::PostPopupValueOnTab, &T::SetPostPopupValueOnTab).Default(false);
  P.Property(u"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  P.Property(u"Revertable", &T::Revertable, &T::SetRevertable).Default(false);
  P.Property(u"ShowEllipsis", &T::ShowEllipsis, &T::SetShowEllipsis).Default(true);
  P.Property(u"UseLeftAlignmentOnEditing", &T::UseLeftAlignmentOnEditing, &T::SetUseLeftAlignmentOnEditing)
      .Stored(&T::IsUseLeftAlignmentOnEditingStored);
  P.Property(u"ValidateOnEnter", &T::ValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  P.Property(u"OnButtonClick", &T::OnButtonClick, &T::SetOnButtonClick);
  P.Property(u"OnChange", &T::OnChange, &T::SetOnChange);
  P.Property(u"OnCloseUp", &T::OnCloseUp, &T::SetOnCloseUp);
  P.Property(u"OnDeleteLookupItem", &T::OnDeleteLookupItem, &T::SetOnDeleteLookupItem);
  P.Property(u"OnEditValueChanged", &T::OnEditValueChanged, &T::SetOnEditValueChanged);
  P.Property(u"OnInitPopup", &T::OnInitPopup, &T::SetOnInitPopup);
  P.Property(u"OnNewLookupDisplayText", &T::OnNewLookupDisplayText, &T::SetOnNewLookupDisplayText);
  P.Property(u"OnPopup", &T::OnPopup, &T::SetOnPopup);
  P.Property(u"OnValidate", &T::OnValidate, &T::SetOnValidate);
}

// --- The editor ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomMRUEdit)

void TvlCustomMRUEdit::AddItem(const String& Value) {
  if (Value.empty()) return;
  TvlObjectLinkScope alive(this);
  if (ActiveProperties()->LookupItems()->IndexOf(Value) < 0) RaiseNewLookupDisplayText(Value);
  if (alive.Alive()) ActiveProperties()->InsertItem(Value, false);
}

void TvlCustomMRUEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  // Enter confirms the text, unless it picks the highlighted entry of the
  // open list (which is added when it becomes the value).
  if (Key == VK_RETURN && !Shift.Contains(ssAlt) && !(HasPopupWindow() && SelectedItem() >= 0)) {
    TvlObjectLinkScope alive(this);
    AddItem(Text());
    if (!alive.Alive()) return;
  }
  inherited::DoEditKeyDown(Key, Shift);
}

void TvlCustomMRUEdit::ShowDisplayValue(const Variant& ADisplayValue) {
  TvlObjectLinkScope alive(this);
  if (InnerEdit()) AddItem(CurrentDisplayText());
  if (alive.Alive()) inherited::ShowDisplayValue(ADisplayValue);
}

void TvlCustomMRUEdit::LookupItemSelected(TObject* Sender) {
  TvlObjectLinkScope alive(this);
  inherited::LookupItemSelected(Sender);
  if (!alive.Alive() || LookupItemsScrolling() || !DoEditing()) return;
  AddItem(Text());
}

void TvlCustomMRUEdit::PropertiesChanged(TObject* Sender) {
  TvlCustomMRUEditProperties* p = ActiveProperties();
  const Integer index = p->ShowEllipsis() ? kEllipsisButton : kDropDownButton;
  if (index < p->Buttons()->Count()) {
    TvlEditButton* b = p->Buttons()->Items(index);
    TBitmap* glyph = b->GlyphOrNil();
    const TvlEditButtonKind kind =
        glyph && !glyph->Empty() ? bkGlyph : (index == kEllipsisButton ? bkEllipsis : bkDown);
    // Set quietly: the change is the one being handled now.
    p->LockUpdate(true);
    Finally unlock([&] { p->LockUpdate(false); });
    b->SetKind(kind);
  }
  inherited::PropertiesChanged(Sender);
}

void TvlCustomMRUEdit::ButtonClick(Integer AButtonIndex) {
  if (AButtonIndex != kEllipsisButton) return;
  TvlObjectLinkScope alive(this);
  if (Assigned(Properties()->OnButtonClick())) Properties()->OnButtonClick()(this);
  if (alive.Alive() && RepositoryItem() && Assigned(ActiveProperties()->OnButtonClick()))
    ActiveProperties()->OnButtonClick()(this);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlMRUEdit, P) {
  using T = TvlMRUEdit;
  P.Property(u"AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
  P.Property(u"BeepOnEnter", &T::BeepOnEnter, &T::SetBeepOnEnter).Default(true);
  P.Property(u"Properties", &T::Properties, &T::SetProperties);
  P.Property(u"Style", &T::Style, &T::SetStyle);
  P.Property(u"StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  P.Property(u"StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  P.Property(u"StyleHot", &T::StyleHot, &T::SetStyleHot);
  P.Property(u"Text", &T::Text, &T::SetTextProp);
}

// --- The unit --------------------------------------------------------------------------------------------

namespace {

Integer gStartupCount = 0;

void Startup() {
  if (gStartupCount++ > 0) return;
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlMRUEditProperties>(),
                                          vlGetResourceStringText(svlSEditRepositoryMRUItem));
  // In filters an MRU value is edited as plain text.
  vlFilterEditsController()->Register(ClassOf<TvlMRUEditProperties>(), ClassOf<TvlFilterTextEditHelper>());
  RegisterClasses({ClassOf<TvlMRUEdit>(), ClassOf<TvlMRUEditProperties>()});
}

void Shutdown() {
  if (gStartupCount == 0 || --gStartupCount > 0) return;
  vlFilterEditsController()->Unregister(ClassOf<TvlMRUEditProperties>(), ClassOf<TvlFilterTextEditHelper>());
  if (TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry())
    registry->Unregister(ClassOf<TvlMRUEditProperties>());
}

}  // namespace

CL_UNIT_STEPS(vlMRUEdit, &Startup, &Shutdown);
