#include "lib/lookandfeel/vlLookAndFeels.h"

#include "lib/lookandfeel/vlWindowUtils.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Windows.h"

CL_IMPLEMENT_CLASS_PUBLISHED(TvlLookAndFeel, P) {
  P.Property(u"AssignedValues", &TvlLookAndFeel::AssignedValues, &TvlLookAndFeel::SetAssignedValues).Stored(false);
  P.Property(u"Kind", &TvlLookAndFeel::Kind, &TvlLookAndFeel::SetKind)
      .NoDefault()
      .Stored(&TvlLookAndFeel::IsKindStored);
  P.Property(u"NativeStyle", &TvlLookAndFeel::NativeStyle, &TvlLookAndFeel::SetNativeStyle)
      .NoDefault()
      .Stored(&TvlLookAndFeel::IsNativeStyleStored);
  P.Property(u"SkinName", &TvlLookAndFeel::SkinName, &TvlLookAndFeel::SetSkinName)
      .Stored(&TvlLookAndFeel::IsSkinNameStored);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlLookAndFeelController, P) {
  P.Property(u"Kind", &TvlLookAndFeelController::Kind, &TvlLookAndFeelController::SetKind).Default(lfUltraFlat);
  P.Property(u"NativeStyle", &TvlLookAndFeelController::NativeStyle, &TvlLookAndFeelController::SetNativeStyle)
      .Default(false);
  P.Property(u"SkinName", &TvlLookAndFeelController::SkinName, &TvlLookAndFeelController::SetSkinName)
      .Stored(&TvlLookAndFeelController::IsSkinNameStored);
}

namespace {

TvlLookAndFeel* RootLookAndFeel = nullptr;
Integer ControllerCount = 0;

constexpr TvlLookAndFeelKind DefaultKind = lfUltraFlat;
constexpr Boolean DefaultNativeStyle = false;

constexpr TvlLookAndFeelStyle KindToStyle[] = {lfsFlat, lfsStandard, lfsUltraFlat, lfsOffice11};
constexpr TvlLookAndFeelKind StyleToKind[] = {lfFlat, lfStandard, lfUltraFlat, lfStandard, lfOffice11};

// The painter chosen by NativeStyle where themes can be used: the themed
// painter, which joins here when it exists; until then NativeStyle falls
// through to the skin and the Kind's painter.
TvlCustomLookAndFeelPainterClass NativeStylePainter() { return nullptr; }

}  // namespace

// --- Unit functions -----------------------------------------------------------------------------

TvlLookAndFeel* vlRootLookAndFeel() { return RootLookAndFeel; }
Integer vlLookAndFeelControllerCount() { return ControllerCount; }

Boolean& vlUseSkins() {
  static Boolean Value = true;
  return Value;
}

Boolean ClassSupportsSkin(TClass AClass) { return Supports<IvlSkinnableControl>(AClass); }

TvlClassSupportsSkinProc& vlClassSupportsSkinProc() {
  static TvlClassSupportsSkinProc Proc = nullptr;
  return Proc;
}

TvlCustomLookAndFeelPainterClass vlLookAndFeelPainterOfKind(TvlLookAndFeelKind AKind) {
  switch (AKind) {
    case lfFlat: return ClassOf<TvlFlatLookAndFeelPainter>();
    case lfStandard: return ClassOf<TvlStandardLookAndFeelPainter>();
    case lfUltraFlat: return ClassOf<TvlUltraFlatLookAndFeelPainter>();
    // lfOffice11: the Office 2003 painter joins here when it exists.
    default: return nullptr;
  }
}

TvlLookAndFeelStyle vlLookAndFeelStyleOfKind(TvlLookAndFeelKind AKind) { return KindToStyle[AKind]; }
TvlLookAndFeelKind vlLookAndFeelKindOfStyle(TvlLookAndFeelStyle AStyle) { return StyleToKind[AStyle]; }

// --- TvlLookAndFeel -------------------------------------------------------------------------------

void TvlLookAndFeel::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FChangeListenerList = New<TvlObjectList>(false);
  FData.Kind = DefaultKind;
  FData.NativeStyle = DefaultNativeStyle;
  FData.SkinName.clear();
  FAssignedValues = {};
  FCurrentState = FData;
  FSystemPaletteChangedNotifier = New<TvlSystemPaletteChangedNotifier>(false);
  FSystemPaletteChangedNotifier->SetOnSystemPaletteChanged(
      TvlSystemPaletteChangedEvent(this, &TvlLookAndFeel::SystemPaletteChanged));
  if (RootLookAndFeel) {
    RootLookAndFeel->AddChangeListener(this);
    UpdateCurrentState();
  }
  FCurrentState.Painter = GetAvailablePainter();
}

void TvlLookAndFeel::Destroy() {
  if (vlGetStylePainterRegistry() && FListensToRegistry) vlGetStylePainterRegistry()->RemoveListener(this);
  FListensToRegistry = false;
  FreeAndNil(FSystemPaletteChangedNotifier);
  if (FChangeListenerList) {
    FIsDestruction = true;
    for (Integer i = 0; i < FChangeListenerList->Count(); ++i) {
      auto* listener = dynamic_cast<IvlLookAndFeelChangeListener*>(static_cast<TObject*>(FChangeListenerList->Items(i)));
      if (listener) listener->MasterLookAndFeelDestroying(this);
    }
    FIsDestruction = false;
  }
  FreeAndNil(FChangeListenerList);
  if (TvlLookAndFeel* master = GetMasterLookAndFeel()) master->RemoveChangeListener(this);
  if (FIsRootLookAndFeel) {
    RootLookAndFeel = nullptr;
    FIsRootLookAndFeel = false;
  }
  inherited::Destroy();
}

void TvlLookAndFeel::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TvlLookAndFeel*>(Source)) {
    SaveState();
    // Setting the master saves and broadcasts its own changes; what changed
    // for the whole assignment is measured from the state before it.
    const TvlLookAndFeelData prev = FPrevState;
    FData = source->FData;
    FAssignedValues = source->FAssignedValues;
    SetMasterLookAndFeel(source->MasterLookAndFeel());
    FPrevState = prev;
    Changed(ChangedFromPrevState());
  } else
    inherited::Assign(Source);
}

void TvlLookAndFeel::AssignTo(TPersistent* Dest) { inherited::AssignTo(Dest); }

void TvlLookAndFeel::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(u"SkinName", TReaderProc(this, &TvlLookAndFeel::ReadSkinName),
                        TWriterProc(this, &TvlLookAndFeel::WriteSkinName),
                        FAssignedValues.Contains(lfvSkinName) && SkinName().empty());
}

void TvlLookAndFeel::ReadSkinName(TReader* Reader) { SetSkinName(Reader->ReadString()); }
void TvlLookAndFeel::WriteSkinName(TWriter* Writer) { Writer->WriteString(SkinName()); }

void TvlLookAndFeel::AddChangeListener(TObject* AListener) {
  auto* listener = dynamic_cast<IvlLookAndFeelChangeListener*>(AListener);
  if (!listener) return;
  const Boolean isController = Is<TvlLookAndFeelController>(listener->ListenerObject());
  if (isController && !FIsRootLookAndFeel) return;
  if (FChangeListenerList->IndexOf(AListener) >= 0) return;
  FChangeListenerList->Add(AListener);
  if (isController) ++ControllerCount;
}

void TvlLookAndFeel::RemoveChangeListener(TObject* AListener) {
  if (!FChangeListenerList || FChangeListenerList->IndexOf(AListener) < 0) return;
  if (!FIsDestruction) FChangeListenerList->Remove(AListener);
  auto* listener = dynamic_cast<IvlLookAndFeelChangeListener*>(AListener);
  if (listener && FIsRootLookAndFeel && Is<TvlLookAndFeelController>(listener->ListenerObject())) {
    if (--ControllerCount == 0) Reset();
  }
}

TvlCustomLookAndFeelPainterClass TvlLookAndFeel::GetAvailablePainter(TnbThemedObjectType ANeededThemedObjectType) {
  return GetAvailablePainter(TnbThemedObjectTypes{ANeededThemedObjectType});
}

TvlCustomLookAndFeelPainterClass TvlLookAndFeel::GetAvailablePainter(
    const TnbThemedObjectTypes& ANeededThemedObjectTypes) {
  if (FCurrentState.NativeStyle && NativeStylePainter() && nbAreThemesAvailable(ANeededThemedObjectTypes))
    return NativeStylePainter();
  if (FSkinPainter) return FSkinPainter;
  return vlLookAndFeelPainterOfKind(FCurrentState.Kind);
}

void TvlLookAndFeel::Refresh() { Changed(vlLookAndFeelValuesAll); }

void TvlLookAndFeel::Reset() { SetAssignedValues({}); }

void TvlLookAndFeel::SetStyle(TvlLookAndFeelStyle Value) {
  SetNativeStyle(Value == lfsNative);
  if (!NativeStyle()) SetKind(vlLookAndFeelKindOfStyle(Value));
}

void TvlLookAndFeel::SetAssignedValues(TvlLookAndFeelValues Value) {
  if (Value == FAssignedValues) return;
  SaveState();
  FAssignedValues = Value;
  UpdateCurrentState();
  Changed(ChangedFromPrevState());
}

void TvlLookAndFeel::SetKind(TvlLookAndFeelKind Value) {
  const TvlLookAndFeelKind prev = Kind();
  FAssignedValues.Include(lfvKind);
  FData.Kind = Value;
  if (InternalGetKind() != prev) Changed({lfvKind});
}

void TvlLookAndFeel::SetNativeStyle(Boolean Value) {
  const Boolean prev = NativeStyle();
  FAssignedValues.Include(lfvNativeStyle);
  FData.NativeStyle = Value;
  if (InternalGetNativeStyle() != prev) Changed({lfvNativeStyle});
}

void TvlLookAndFeel::SetSkinName(const TnbSkinName& Value) {
  const String prev = SkinName();
  FAssignedValues.Include(lfvSkinName);
  FData.SkinName = Value;
  if (InternalGetSkinName() != prev) Changed({lfvSkinName});
}

void TvlLookAndFeel::SetMasterLookAndFeel(TvlLookAndFeel* Value) {
  if (FIsRootLookAndFeel || Value == this || Value == GetMasterLookAndFeel()) return;
  SaveState();
  if (TvlLookAndFeel* old = GetMasterLookAndFeel()) old->RemoveChangeListener(this);
  FMasterLookAndFeel = Value;
  if (TvlLookAndFeel* master = GetMasterLookAndFeel()) master->AddChangeListener(this);
  UpdateCurrentState();
  Changed(ChangedFromPrevState());
}

void TvlLookAndFeel::SetPainter(TvlCustomLookAndFeelPainterClass Value) {
  if (Value == Painter()) return;
  FPainter = Value;
  Changed({lfvKind, lfvNativeStyle});
}

TvlCustomLookAndFeelPainterClass TvlLookAndFeel::CurrentPainter() const {
  return FPainter ? FPainter : FCurrentState.Painter;
}

TvlLookAndFeel* TvlLookAndFeel::GetMasterLookAndFeel() const {
  if (FIsRootLookAndFeel) return nullptr;
  return FMasterLookAndFeel ? FMasterLookAndFeel : RootLookAndFeel;
}

TvlLookAndFeelStyle TvlLookAndFeel::GetActiveStyle() {
  if (NativeStyle() && nbAreThemesAvailable({})) return lfsNative;
  return vlLookAndFeelStyleOfKind(Kind());
}

void TvlLookAndFeel::SaveState() {
  FPrevState.Kind = InternalGetKind();
  FPrevState.NativeStyle = InternalGetNativeStyle();
  FPrevState.SkinName = InternalGetSkinName();
}

TvlLookAndFeelValues TvlLookAndFeel::ChangedFromPrevState() const {
  TvlLookAndFeelValues result;
  if (InternalGetKind() != FPrevState.Kind) result.Include(lfvKind);
  if (InternalGetNativeStyle() != FPrevState.NativeStyle) result.Include(lfvNativeStyle);
  if (InternalGetSkinName() != FPrevState.SkinName) result.Include(lfvSkinName);
  return result;
}

void TvlLookAndFeel::Changed(TvlLookAndFeelValues AChangedValues) {
  if (FIsDestruction) return;
  if (AChangedValues.Empty() && FCurrentState.UseSkins == vlUseSkins()) return;
  UpdateCurrentState();
  FCurrentState.Painter = GetAvailablePainter();
  if (TvlExtendedStylePainters* registry = vlGetStylePainterRegistry()) {
    if (FSkinPainter && !FListensToRegistry) {
      registry->AddListener(this);
      FListensToRegistry = true;
    } else if (!FSkinPainter && FListensToRegistry) {
      registry->RemoveListener(this);
      FListensToRegistry = false;
    }
  }
  Integer i = 0;
  while (i < FChangeListenerList->Count()) {
    const Integer count = FChangeListenerList->Count();
    auto* listener = dynamic_cast<IvlLookAndFeelChangeListener*>(static_cast<TObject*>(FChangeListenerList->Items(i)));
    if (listener) listener->MasterStateChanged(this, AChangedValues);
    if (FChangeListenerList->Count() == count) ++i;
  }
  if (FOnChanged) FOnChanged(this, AChangedValues);
}

void TvlLookAndFeel::UpdateCurrentState() {
  FCurrentState.Kind = InternalGetKind();
  FCurrentState.NativeStyle = InternalGetNativeStyle();
  FCurrentState.SkinName = InternalGetSkinName();
  FCurrentState.UseSkins = vlUseSkins();
  FSkinPainter = FCurrentState.NativeStyle ? nullptr : InternalGetSkinPainter();
}

TvlLookAndFeelKind TvlLookAndFeel::InternalGetKind() const {
  if (FAssignedValues.Contains(lfvKind)) return FData.Kind;
  if (TvlLookAndFeel* master = GetMasterLookAndFeel()) return master->FCurrentState.Kind;
  return DefaultKind;
}

Boolean TvlLookAndFeel::InternalGetNativeStyle() const {
  if (FAssignedValues.Contains(lfvNativeStyle)) return FData.NativeStyle;
  if (TvlLookAndFeel* master = GetMasterLookAndFeel()) return master->FCurrentState.NativeStyle;
  return DefaultNativeStyle;
}

String TvlLookAndFeel::InternalGetSkinName() const {
  if (FAssignedValues.Contains(lfvSkinName)) return FData.SkinName;
  if (TvlLookAndFeel* master = GetMasterLookAndFeel()) return master->FCurrentState.SkinName;
  return String();
}

TvlCustomLookAndFeelPainterClass TvlLookAndFeel::InternalGetSkinPainter() {
  TvlCustomLookAndFeelPainterClass result;
  if (FAssignedValues.Contains(lfvSkinName))
    LookUpSkinPainter(FData.SkinName, result);
  else if (TvlLookAndFeel* master = GetMasterLookAndFeel())
    master->LookUpSkinPainter(master->FCurrentState.SkinName, result);
  return result;
}

Boolean TvlLookAndFeel::LookUpSkinPainter(const String& AName, TvlCustomLookAndFeelPainterClass& APainter) {
  APainter = nullptr;
  TvlExtendedStylePainters* registry = vlGetStylePainterRegistry();
  const Boolean result = !AName.empty() && registry && registry->GetPainterByName(AName, APainter);
  if (!result || !vlUseSkins()) APainter = nullptr;
  return result;
}

void TvlLookAndFeel::SystemPaletteChanged() { Changed({lfvNativeStyle}); }

void TvlLookAndFeel::MasterStateChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) {
  Changed(AChangedValues - FAssignedValues);
}

void TvlLookAndFeel::MasterLookAndFeelDestroying(TvlLookAndFeel* Sender) { SetMasterLookAndFeel(nullptr); }

void TvlLookAndFeel::PainterChanged(TvlCustomLookAndFeelPainterClass APainter) { Changed(vlLookAndFeelValuesAll); }

// --- TvlLookAndFeelController ---------------------------------------------------------------------

void TvlLookAndFeelController::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  if (RootLookAndFeel) RootLookAndFeel->AddChangeListener(this);
}

void TvlLookAndFeelController::Destroy() {
  if (RootLookAndFeel) RootLookAndFeel->RemoveChangeListener(this);
  inherited::Destroy();
}

void TvlLookAndFeelController::Reset() {
  SetKind(lfUltraFlat);
  SetNativeStyle(false);
  SetSkinName(String());
}

TvlLookAndFeelKind TvlLookAndFeelController::Kind() const {
  return RootLookAndFeel ? RootLookAndFeel->Kind() : lfUltraFlat;
}

void TvlLookAndFeelController::SetKind(TvlLookAndFeelKind Value) {
  if (RootLookAndFeel) RootLookAndFeel->SetKind(Value);
}

Boolean TvlLookAndFeelController::NativeStyle() const {
  return RootLookAndFeel ? RootLookAndFeel->NativeStyle() : false;
}

void TvlLookAndFeelController::SetNativeStyle(Boolean Value) {
  if (RootLookAndFeel) RootLookAndFeel->SetNativeStyle(Value);
}

TnbSkinName TvlLookAndFeelController::SkinName() const {
  return RootLookAndFeel ? RootLookAndFeel->SkinName() : String();
}

void TvlLookAndFeelController::SetSkinName(const TnbSkinName& Value) {
  if (RootLookAndFeel) RootLookAndFeel->SetSkinName(Value);
}

// Form refreshing belongs to the designer; nothing happens at run time.
void TvlLookAndFeelController::MasterStateChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) {}

void TvlLookAndFeelController::MasterLookAndFeelDestroying(TvlLookAndFeel* Sender) {
  // Tells the designer of its form (the owner, or the owner's owner for a
  // form-embedded container) that the form changed.
  TComponent* form = Owner();
  if (form && !Is<TCustomForm>(form) && form->Owner() && Is<TCustomForm>(form->Owner())) form = form->Owner();
  if (form) vlDesignerModified(form);
}

// --- Start-up and shut-down -----------------------------------------------------------------------

void vlLookAndFeelsInitialize() {
  RegisterClass(TvlLookAndFeelController::StaticClass());
  GroupDescendentsWith(TvlLookAndFeelController::StaticClass(), TControl::StaticClass());
  TvlLookAndFeel* root = New<TvlLookAndFeel>(static_cast<TPersistent*>(nullptr));
  root->MarkAsRoot();
  RootLookAndFeel = root;
  vlClassSupportsSkinProc() = &ClassSupportsSkin;
}

void vlLookAndFeelsFinalize() {
  vlClassSupportsSkinProc() = nullptr;
  TvlLookAndFeel* root = RootLookAndFeel;
  Free(root);
  RootLookAndFeel = nullptr;
  ControllerCount = 0;
}

CL_UNIT_STEPS(vlLookAndFeels, &vlLookAndFeelsInitialize, &vlLookAndFeelsFinalize);
