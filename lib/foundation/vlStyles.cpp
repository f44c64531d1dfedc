#include "lib/foundation/vlStyles.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Controls.h"
#include "platform/win/Gdi.h"

CL_IMPLEMENT_CLASS(TvlCustomStyle)
CL_IMPLEMENT_CLASS_PUBLISHED(TvlStyle, P) {
  P.Property(u"AssignedValues", &TvlStyle::AssignedValues, &TvlStyle::SetAssignedValues).Default(0);
  P.Property(u"Bitmap", &TvlStyle::Bitmap, &TvlStyle::SetBitmap).Stored(&TvlStyle::IsBitmapStored);
  P.Property(u"Color", &TvlStyle::Color, &TvlStyle::SetColor)
      .Type(TypeInfoTColor())
      .Stored(&TvlStyle::IsColorStored);
  P.Property(u"Font", &TvlStyle::Font, &TvlStyle::SetFont).Stored(&TvlStyle::IsFontStored);
  P.Property(u"TextColor", &TvlStyle::TextColor, &TvlStyle::SetTextColor)
      .Type(TypeInfoTColor())
      .Stored(&TvlStyle::IsTextColorStored);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TvlStyleRepository, P) {
  P.Property(u"Scalable", &TvlStyleRepository::Scalable, &TvlStyleRepository::SetScalable).Default(false);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TvlCustomStyleSheet, P) {
  P.Property(u"Caption", &TvlCustomStyleSheet::Caption, &TvlCustomStyleSheet::SetCaption)
      .Stored(&TvlCustomStyleSheet::IsCaptionStored);
}
CL_IMPLEMENT_CLASS(TvlCustomStylesItem)
CL_IMPLEMENT_CLASS(TvlCustomStyles)
CL_IMPLEMENT_CLASS(TvlStyles)

namespace {

void Startup() {
  GroupDescendentsWith(TvlCustomStyle::StaticClass(), TControl::StaticClass());
  GroupDescendentsWith(TvlCustomStyleSheet::StaticClass(), TControl::StaticClass());
  GroupDescendentsWith(TvlStyleRepository::StaticClass(), TControl::StaticClass());
  RegisterClass(TvlStyle::StaticClass());
}

Integer ScreenPixelsPerInch() {
  win::HDC dc = win::GetDC(nullptr);
  Integer result = win::GetDeviceCaps(dc, win::LOGPIXELSY);
  win::ReleaseDC(nullptr, dc);
  return result;
}

template <class T>
Integer PositionIn(const std::vector<T*>& AList, const T* AItem) {
  auto it = std::find(AList.begin(), AList.end(), AItem);
  return it == AList.end() ? -1 : static_cast<Integer>(it - AList.begin());
}

template <class T>
void RemoveFrom(std::vector<T*>& AList, const T* AItem) {
  auto it = std::find(AList.begin(), AList.end(), AItem);
  if (it != AList.end()) AList.erase(it);
}

// Leaves the old repository's list (AList) and joins the new one's at its end.
template <class T>
void MoveToRepository(TvlStyleRepository*& AField, TvlStyleRepository* AValue,
                      std::vector<T*> TvlStyleRepository::*AList, T* AItem) {
  if (AField == AValue) return;
  if (AField) RemoveFrom(AField->*AList, AItem);
  AField = AValue;
  if (AValue) (AValue->*AList).push_back(AItem);
}

// A style or sheet joins the repository that is its parent component, except
// while it is loaded: then the reader's parent, once it has been read.
template <class T>
void FollowParent(T* AItem, TComponent* AParent) {
  if (!AItem->ComponentState().Contains(csLoading)) AItem->SetStyleRepository(As<TvlStyleRepository>(AParent));
}

template <class T>
void FollowReader(T* AItem, TReader* AReader) {
  if (TvlStyleRepository* repository = dynamic_cast<TvlStyleRepository*>(AReader->Parent()))
    AItem->SetStyleRepository(repository);
}

}  // namespace

CL_UNIT_STEPS(vlStyles, &Startup, nullptr);

// --- TvlCustomStyle ----------------------------------------------------------------------------

void TvlCustomStyle::Create(TComponent* AOwner) { inherited::Create(AOwner); }

void TvlCustomStyle::BeforeDestruction() {
  // Each listener unregisters itself in answer; one that does not is dropped.
  // The listener is held by a plain pointer: one that frees itself in
  // answer must not be released afterwards.
  while (!FListeners.empty()) {
    IvlStyleChangeListener* listener = FListeners.back().get();
    const size_t count = FListeners.size();
    listener->StyleRemoved(this);
    if (FListeners.size() == count && FListeners.back().get() == listener) FListeners.pop_back();
  }
  inherited::BeforeDestruction();
}

void TvlCustomStyle::Destroy() {
  vlClearObjectLinks(this);
  SetStyleRepository(nullptr);
  FListeners.clear();
  inherited::Destroy();
}

void TvlCustomStyle::Changed() {
  // A listener may free other listeners, or this style, in answer: each one
  // is told only while the style lives and the listener is still registered.
  std::vector<IvlStyleChangeListener*> listeners;
  for (const auto& listener : FListeners) listeners.push_back(listener.get());
  TvlObjectLinkScope self(this);
  for (auto it = listeners.rbegin(); it != listeners.rend() && self.Alive(); ++it)
    if (IsListener(*it)) (*it)->StyleChanged(this);
}

Boolean TvlCustomStyle::IsListener(IvlStyleChangeListener* AListener) const {
  return std::any_of(FListeners.begin(), FListeners.end(),
                     [&](const TInterfacePtr<IvlStyleChangeListener>& l) { return l.get() == AListener; });
}

void TvlCustomStyle::AddListener(IvlStyleChangeListener* AListener) {
  TInterfacePtr<IvlStyleChangeListener> listener(AListener);
  if (std::find(FListeners.begin(), FListeners.end(), listener) == FListeners.end()) FListeners.push_back(listener);
}

void TvlCustomStyle::RemoveListener(IvlStyleChangeListener* AListener) {
  TInterfacePtr<IvlStyleChangeListener> listener(AListener);
  auto it = std::find(FListeners.begin(), FListeners.end(), listener);
  if (it != FListeners.end()) FListeners.erase(it);
}

Integer TvlCustomStyle::Index() const {
  return FStyleRepository ? FStyleRepository->StyleIndexOf(this) : -1;
}

void TvlCustomStyle::SetStyleRepository(TvlStyleRepository* Value) {
  MoveToRepository(FStyleRepository, Value, &TvlStyleRepository::FItems, this);
}

TComponent* TvlCustomStyle::GetParentComponent() { return FStyleRepository; }

void TvlCustomStyle::SetParentComponent(TComponent* Value) { FollowParent(this, Value); }

void TvlCustomStyle::ReadState(TReader* Reader) {
  inherited::ReadState(Reader);
  FollowReader(this, Reader);
}

// --- TvlStyle --------------------------------------------------------------------------------

void TvlStyle::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FColor = clDefault;
  FTextColor = clDefault;
  FBitmap = New<TBitmap>();
  FBitmap->SetOnChange(TNotifyEvent(this, &TvlStyle::BitmapChanged));
  FFont = New<TFont>();
  FFont->SetOnChange(TNotifyEvent(this, &TvlStyle::FontChanged));
}

void TvlStyle::Destroy() {
  FreeAndNil(FFont);
  FreeAndNil(FBitmap);
  inherited::Destroy();
}

void TvlStyle::Assign(TPersistent* Source) {
  if (TvlStyle* source = dynamic_cast<TvlStyle*>(Source)) {
    SetBitmap(source->Bitmap());
    SetColor(source->Color());
    SetFont(source->Font());
    SetTextColor(source->TextColor());
    SetAssignedValues(source->AssignedValues());
  } else {
    inherited::Assign(Source);
  }
}

void TvlStyle::RestoreDefaults() {
  FAssignedValues = TvlStyleValues();
  FBitmap->SetOnChange(TNotifyEvent());
  FBitmap->Assign(nullptr);
  FBitmap->SetOnChange(TNotifyEvent(this, &TvlStyle::BitmapChanged));
  FColor = clDefault;
  FTextColor = clDefault;
  Changed();
}

void TvlStyle::ReadState(TReader* Reader) {
  inherited::ReadState(Reader);
  // Only an assigned font takes part in painting: rescaling one that is not
  // would mark it assigned.
  if (StyleRepository() && FAssignedValues.Contains(svFont))
    FFont->SetHeight(StyleRepository()->ScaleToScreen(FFont->Height()));
}

void TvlStyle::SetAssignedValues(TvlStyleValues Value) {
  if (FAssignedValues == Value) return;
  FAssignedValues = Value;
  Changed();
}

void TvlStyle::SetBitmap(TBitmap* Value) { FBitmap->Assign(Value); }

void TvlStyle::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  if (Value == clDefault)
    FAssignedValues.Exclude(svColor);
  else
    FAssignedValues.Include(svColor);
  Changed();
}

void TvlStyle::SetFont(TFont* Value) { FFont->Assign(Value); }

void TvlStyle::SetTextColor(TColor Value) {
  if (FTextColor == Value) return;
  FTextColor = Value;
  if (Value == clDefault)
    FAssignedValues.Exclude(svTextColor);
  else
    FAssignedValues.Include(svTextColor);
  Changed();
}

void TvlStyle::BitmapChanged(TObject*) {
  if (FBitmap->Empty())
    FAssignedValues.Exclude(svBitmap);
  else
    FAssignedValues.Include(svBitmap);
  Changed();
}

void TvlStyle::FontChanged(TObject*) {
  FAssignedValues.Include(svFont);
  Changed();
}

// --- TvlStyleRepository ------------------------------------------------------------------------

void TvlStyleRepository::Destroy() {
  Clear();
  ClearStyleSheets();
  inherited::Destroy();
}

TvlCustomStyle* TvlStyleRepository::CreateItem(TvlCustomStyleClass AStyleClass) {
  return CreateItemEx(AStyleClass, this);
}

TvlCustomStyle* TvlStyleRepository::CreateItemEx(TvlCustomStyleClass AStyleClass, TComponent* AOwner) {
  TvlCustomStyle* style = static_cast<TvlCustomStyle*>(CreateFrom(AStyleClass, &TComponent::Create, AOwner));
  style->SetStyleRepository(this);
  return style;
}

TvlCustomStyleSheet* TvlStyleRepository::CreateStyleSheet(TvlCustomStyleSheetClass AStyleSheetClass) {
  return CreateStyleSheetEx(AStyleSheetClass, this);
}

TvlCustomStyleSheet* TvlStyleRepository::CreateStyleSheetEx(TvlCustomStyleSheetClass AStyleSheetClass,
                                                            TComponent* AOwner) {
  TvlCustomStyleSheet* sheet =
      static_cast<TvlCustomStyleSheet*>(CreateFrom(AStyleSheetClass, &TComponent::Create, AOwner));
  sheet->SetStyleRepository(this);
  return sheet;
}

void TvlStyleRepository::Clear() {
  while (!FItems.empty()) Free(FItems.back());
}

void TvlStyleRepository::ClearStyleSheets() {
  while (!FStyleSheets.empty()) Free(FStyleSheets.back());
}

Integer TvlStyleRepository::StyleIndexOf(const TvlCustomStyle* AStyle) const { return PositionIn(FItems, AStyle); }

Integer TvlStyleRepository::StyleSheetIndexOf(const TvlCustomStyleSheet* AStyleSheet) const {
  return PositionIn(FStyleSheets, AStyleSheet);
}

TvlCustomStyle* TvlStyleRepository::Items(Integer AIndex) const { return FItems.at(size_t(AIndex)); }

TvlCustomStyleSheet* TvlStyleRepository::StyleSheets(Integer AIndex) const {
  return FStyleSheets.at(size_t(AIndex));
}

Integer TvlStyleRepository::ScaleToScreen(Integer N) const {
  if (!FScalable || FPixelsPerInch == 0) return N;
  const Integer screen = ScreenPixelsPerInch();
  return screen == FPixelsPerInch ? N : MulDiv(N, screen, FPixelsPerInch);
}

void TvlStyleRepository::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TvlCustomStyle* style : FItems)
    if (style->Owner() == Root) Proc(style);
  for (TvlCustomStyleSheet* sheet : FStyleSheets)
    if (sheet->Owner() == Root) Proc(sheet);
}

void TvlStyleRepository::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(u"PixelsPerInch", TReaderProc(this, &TvlStyleRepository::ReadPixelsPerInch),
                        TWriterProc(this, &TvlStyleRepository::WritePixelsPerInch), Filer->Ancestor() == nullptr);
}

void TvlStyleRepository::ReadPixelsPerInch(TReader* Reader) { FPixelsPerInch = Reader->ReadInteger(); }

void TvlStyleRepository::WritePixelsPerInch(TWriter* Writer) { Writer->WriteInteger(ScreenPixelsPerInch()); }

// --- TvlCustomStyleSheet ---------------------------------------------------------------------

void TvlCustomStyleSheet::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FBuiltIn = IsDesigning();
  FStyles = static_cast<TvlCustomStyles*>(CreateFrom(GetStylesClass(), &TvlCustomStyles::Create, this));
  FStyles->FOwnerStyleSheet = this;
}

void TvlCustomStyleSheet::Destroy() {
  while (!FStylesList.empty()) FStylesList.back()->SetStyleSheet(nullptr);
  SetStyleRepository(nullptr);
  FreeAndNil(FStyles);
  inherited::Destroy();
}

void TvlCustomStyleSheet::Assign(TPersistent* Source) {
  if (TvlCustomStyleSheet* source = dynamic_cast<TvlCustomStyleSheet*>(Source)) {
    SetCaption(source->Caption());
    SetStyles(source->Styles());
  } else {
    inherited::Assign(Source);
  }
}

void TvlCustomStyleSheet::CopyFrom(TvlCustomStyleSheet* AStyleSheet) {
  if (!AStyleSheet || AStyleSheet->GetStylesClass() != GetStylesClass()) return;
  TvlCustomStyles* source = AStyleSheet->Styles();
  for (Integer i = 0; i < source->Count(); ++i) {
    TvlCustomStylesItem* item = source->Items(i);
    TvlCustomStyleClass cls = ClassAs<TvlCustomStyle>(item->Item->ClassType());
    TvlCustomStyle* style;
    if (FStyleRepository)
      style = FStyleRepository->CreateItemEx(cls, FStyleRepository->Owner());
    else
      style = static_cast<TvlCustomStyle*>(CreateFrom(cls, &TComponent::Create, Owner()));
    style->Assign(item->Item);
    FStyles->SetStyleAt(item->Index, style);
  }
}

TvlCustomStylesClass TvlCustomStyleSheet::GetStylesClass() const { return ClassOf<TvlCustomStyles>(); }

String TvlCustomStyleSheet::Caption() const { return FCaption.empty() ? Name() : FCaption; }

void TvlCustomStyleSheet::SetCaption(const String& Value) {
  String value = SameText(Value, Name()) ? String() : Value;
  if (FCaption != value) FCaption = value;
}

void TvlCustomStyleSheet::SetStyles(TvlCustomStyles* Value) { FStyles->Assign(Value); }

Integer TvlCustomStyleSheet::Index() const {
  return FStyleRepository ? FStyleRepository->StyleSheetIndexOf(this) : -1;
}

void TvlCustomStyleSheet::SetStyleRepository(TvlStyleRepository* Value) {
  MoveToRepository(FStyleRepository, Value, &TvlStyleRepository::FStyleSheets, this);
}

void TvlCustomStyleSheet::AddStyles(TvlCustomStyles* AStyles) {
  if (PositionIn(FStylesList, AStyles) < 0) FStylesList.push_back(AStyles);
}

void TvlCustomStyleSheet::RemoveStyles(TvlCustomStyles* AStyles) { RemoveFrom(FStylesList, AStyles); }

void TvlCustomStyleSheet::GetStyleOwners(std::vector<TComponent*>& AOwners) {
  AOwners.clear();
  for (Integer i = 0; i < FStyles->Count(); ++i) {
    TComponent* owner = FStyles->Items(i)->Item->Owner();
    if (owner && owner != Owner() && PositionIn(AOwners, owner) < 0) AOwners.push_back(owner);
  }
}

TComponent* TvlCustomStyleSheet::GetParentComponent() { return FStyleRepository; }

void TvlCustomStyleSheet::SetParentComponent(TComponent* Value) { FollowParent(this, Value); }

void TvlCustomStyleSheet::ReadState(TReader* Reader) {
  inherited::ReadState(Reader);
  FollowReader(this, Reader);
}

void TvlCustomStyleSheet::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(u"BuiltIn", TReaderProc(this, &TvlCustomStyleSheet::ReadBuiltIn),
                        TWriterProc(this, &TvlCustomStyleSheet::WriteBuiltIn), FBuiltIn);
}

void TvlCustomStyleSheet::ReadBuiltIn(TReader* Reader) { FBuiltIn = Reader->ReadBoolean(); }

void TvlCustomStyleSheet::WriteBuiltIn(TWriter* Writer) { Writer->WriteBoolean(FBuiltIn); }

void TvlCustomStyleSheet::StylesChanged(Integer AIndex) {
  // A styles object told may free others, or this sheet.
  const auto list = FStylesList;
  TvlObjectLinkScope self(this);
  for (TvlCustomStyles* styles : list) {
    if (!self.Alive()) return;
    if (PositionIn(FStylesList, styles) >= 0) styles->NotifyChanged(AIndex);
  }
}

// --- TvlCustomStyles -------------------------------------------------------------------------

void TvlCustomStyles::Create(TPersistent* AOwner) { inherited::Create(AOwner); }

void TvlCustomStyles::Destroy() {
  vlClearObjectLinks(this);
  FDestroying = true;
  DeleteAll();
  SetStyleSheet(nullptr);
  inherited::Destroy();
}

void TvlCustomStyles::Assign(TPersistent* Source) {
  if (TvlCustomStyles* source = dynamic_cast<TvlCustomStyles*>(Source)) SetStyleSheet(source->StyleSheet());
}

Boolean TvlCustomStyles::OwnerIsWriting() {
  TPersistent* owner = GetOwner();
  while (owner && !Is<TComponent>(owner)) owner = owner->GetOwner();
  return owner && static_cast<TComponent*>(owner)->ComponentState().Contains(csWriting);
}

Boolean TvlCustomStyles::Find(Integer AIndex, Integer& APosition) const {
  Integer lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    const Integer mid = lo + (hi - lo) / 2;
    const Integer index = FItems[size_t(mid)]->Index;
    if (index == AIndex) {
      APosition = mid;
      return true;
    }
    if (index < AIndex)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  APosition = lo;
  return false;
}

TvlCustomStyle* TvlCustomStyles::GetStyleAt(Integer AIndex) {
  Integer position;
  if (Find(AIndex, position)) return FItems[size_t(position)]->Item;
  if (FStyleSheet && !OwnerIsWriting()) return FStyleSheet->Styles()->GetStyleAt(AIndex);
  return nullptr;
}

void TvlCustomStyles::SetStyleAt(Integer AIndex, TvlCustomStyle* AValue) {
  TvlCustomStyle* value = AValue;
  if (value && !value->Name().empty()) {
    TPersistent* root = this;
    while (root->GetOwner()) root = root->GetOwner();
    if (TComponent* rootComponent = dynamic_cast<TComponent*>(root)) {
      TComponent* styleOwner = value->Owner();
      if (styleOwner && rootComponent != styleOwner && rootComponent->InheritsFrom(styleOwner->ClassType()))
        value = dynamic_cast<TvlCustomStyle*>(rootComponent->FindComponent(value->Name()));
    }
  }
  if (value == GetStyleAt(AIndex)) return;
  Integer position;
  if (Find(AIndex, position)) {
    TvlCustomStylesItem* item = FItems[size_t(position)];
    item->Item->RemoveListener(this);
    if (value) {
      item->Item = value;
      value->AddListener(this);
    } else {
      FItems.erase(FItems.begin() + position);
      Free(item);
    }
  } else if (value) {
    TvlCustomStylesItem* item = New<TvlCustomStylesItem>();
    item->Index = AIndex;
    item->Item = value;
    FItems.insert(FItems.begin() + position, item);
    value->AddListener(this);
  } else {
    return;
  }
  NotifyChanged(AIndex);
}

void TvlCustomStyles::ResetStyles() {
  // Every pair, whatever its index (counting indexes up to a count that
  // shrinks as pairs go would leave the later ones).
  std::vector<Integer> indexes;
  for (TvlCustomStylesItem* item : FItems) indexes.push_back(item->Index);
  TvlObjectLinkScope self(this);
  for (size_t i = 0; i < indexes.size() && self.Alive(); ++i) SetStyleAt(indexes[i], nullptr);
}

void TvlCustomStyles::CollectSheetIndexes(TvlCustomStyleSheet* ASheet, std::vector<Integer>& AIndexes) {
  // A chain of sheets is finite (IsValidStyleSheet refuses cycles); the
  // visited list guards against a cycle made some other way.
  std::vector<TvlCustomStyleSheet*> visited;
  for (TvlCustomStyleSheet* sheet = ASheet; sheet && PositionIn(visited, sheet) < 0;
       sheet = sheet->Styles()->StyleSheet()) {
    visited.push_back(sheet);
    for (TvlCustomStylesItem* item : sheet->Styles()->FItems)
      if (std::find(AIndexes.begin(), AIndexes.end(), item->Index) == AIndexes.end())
        AIndexes.push_back(item->Index);
  }
}

void TvlCustomStyles::SetStyleSheet(TvlCustomStyleSheet* Value) {
  if (FStyleSheet == Value || !IsValidStyleSheet(Value)) return;
  std::vector<Integer> indexes;
  if (!FDestroying) CollectSheetIndexes(FStyleSheet, indexes);
  if (FStyleSheet) FStyleSheet->RemoveStyles(this);
  FStyleSheet = Value;
  if (Value) Value->AddStyles(this);
  if (!FDestroying) CollectSheetIndexes(FStyleSheet, indexes);
  NotifyEach(indexes);
}

Boolean TvlCustomStyles::IsValidStyleSheet(TvlCustomStyleSheet* AStyleSheet) {
  if (!AStyleSheet) return true;
  if (AStyleSheet == FOwnerStyleSheet || AStyleSheet->GetStylesClass().Class() != ClassType()) return false;
  std::vector<TvlCustomStyleSheet*> visited;
  for (TvlCustomStyleSheet* sheet = AStyleSheet; sheet; sheet = sheet->Styles()->StyleSheet()) {
    if ((FOwnerStyleSheet && sheet == FOwnerStyleSheet) || PositionIn(visited, sheet) >= 0) return false;
    visited.push_back(sheet);
  }
  return true;
}

void TvlCustomStyles::StyleChanged(TvlCustomStyle* Sender) {
  std::vector<Integer> indexes;
  for (TvlCustomStylesItem* item : FItems)
    if (item->Item == Sender) indexes.push_back(item->Index);
  NotifyEach(indexes);
}

void TvlCustomStyles::StyleRemoved(TvlCustomStyle* Sender) {
  TvlObjectLinkScope self(this);
  for (Integer i = Count() - 1; i >= 0 && self.Alive(); --i)
    if (i < Count() && FItems[size_t(i)]->Item == Sender) Delete(i);
}

void TvlCustomStyles::NotifyChanged(Integer AIndex) {
  if (FDestroying) return;
  TvlObjectLinkScope self(this);
  FireChanged(AIndex);
  // the handler may have freed this styles object (or its sheet with it)
  if (self.Alive() && FOwnerStyleSheet) FOwnerStyleSheet->StylesChanged(AIndex);
}

void TvlCustomStyles::NotifyEach(const std::vector<Integer>& AIndexes) {
  TvlObjectLinkScope self(this);
  for (size_t i = 0; i < AIndexes.size() && self.Alive(); ++i) NotifyChanged(AIndexes[i]);
}

void TvlCustomStyles::Delete(Integer APosition) {
  TvlCustomStylesItem* item = FItems[size_t(APosition)];
  FItems.erase(FItems.begin() + APosition);
  const Integer index = item->Index;
  item->Item->RemoveListener(this);
  Free(item);
  NotifyChanged(index);
}

void TvlCustomStyles::DeleteAll() {
  TvlObjectLinkScope self(this);
  while (self.Alive() && !FItems.empty()) Delete(Count() - 1);
}

// --- TvlStyles -----------------------------------------------------------------------------------

void TvlStyles::GetViewParams(Integer AIndex, Pointer AData, TvlStyle* AExtraStyle, TvlViewParams& AParams) {
  AParams = TvlViewParams{nullptr, clDefault, nullptr, clDefault};
  TvlStyle* style = dynamic_cast<TvlStyle*>(GetStyleAt(AIndex));
  auto source = [&](TvlStyleValue AValue) -> TvlStyle* {
    if (AExtraStyle && AExtraStyle->AssignedValues().Contains(AValue)) return AExtraStyle;
    if (style && style->AssignedValues().Contains(AValue)) return style;
    return nullptr;
  };
  if (FBitmapInViewParams)
    if (TvlStyle* s = source(svBitmap)) AParams.Bitmap = s->Bitmap();
  if (TvlStyle* s = source(svColor)) AParams.Color = s->Color();
  if (TvlStyle* s = source(svFont)) AParams.Font = s->Font();
  if (TvlStyle* s = source(svTextColor)) AParams.TextColor = s->TextColor();
  if ((FBitmapInViewParams && !AParams.Bitmap) || AParams.Color == clDefault || !AParams.Font ||
      AParams.TextColor == clDefault) {
    TvlViewParams defaults{nullptr, clDefault, nullptr, clDefault};
    GetDefaultViewParams(AIndex, AData, defaults);
    if (FBitmapInViewParams && !AParams.Bitmap) AParams.Bitmap = defaults.Bitmap;
    if (AParams.Color == clDefault) AParams.Color = defaults.Color;
    if (!AParams.Font) AParams.Font = defaults.Font;
    if (AParams.TextColor == clDefault) AParams.TextColor = defaults.TextColor;
  }
}

void TvlStyles::GetDefaultViewParams(Integer AIndex, Pointer, TvlViewParams& AParams) {
  AParams.Bitmap = nullptr;
  if (AIndex > FMaxDefaultViewParamsIndex) FMaxDefaultViewParamsIndex = AIndex;
}

Boolean TvlStyles::UsesDefaultFont(Integer AIndex) {
  TvlStyle* style = dynamic_cast<TvlStyle*>(GetStyleAt(AIndex));
  return !style || !style->AssignedValues().Contains(svFont);
}

void TvlStyles::DefaultFontChanged(TObject*, TFont* AFont) {
  TvlObjectLinkScope self(this);
  for (Integer i = 0; i <= FMaxDefaultViewParamsIndex && self.Alive(); ++i) {
    if (!UsesDefaultFont(i)) continue;
    TvlViewParams defaults{nullptr, clDefault, nullptr, clDefault};
    GetDefaultViewParams(i, nullptr, defaults);
    if (defaults.Font == AFont) NotifyChanged(i);
  }
}

TBitmap* TvlStyles::GetBitmap(Integer AIndex) {
  TvlStyle* style = dynamic_cast<TvlStyle*>(GetStyleAt(AIndex));
  if (style && style->AssignedValues().Contains(svBitmap) && !style->Bitmap()->Empty()) return style->Bitmap();
  return nullptr;
}

TvlStyle* TvlStyles::GetIndexedStyle(Integer AIndex) { return dynamic_cast<TvlStyle*>(GetStyleAt(AIndex)); }

void TvlStyles::SetIndexedStyle(Integer AIndex, TvlStyle* AValue) { SetStyleAt(AIndex, AValue); }
