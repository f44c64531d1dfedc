// Look-and-feel settings: the painter family (Kind), whether the system's
// visual theme is followed (NativeStyle) and a skin's name (SkinName), each
// either set on the object or inherited from its master and in the end from
// the application-wide root look and feel. A change is broadcast down the
// chain of listeners; the painter class to draw with is resolved from the
// effective values. Every look and feel refreshes itself when the system
// colours change (vlSystemPalette).
#pragma once

#include "lib/foundation/vlClasses.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "lib/lookandfeel/vlSystemPalette.h"

class TReader;
class TWriter;

CL_ENUM(TvlLookAndFeelValue, Byte, lfvKind, lfvNativeStyle, lfvSkinName)
using TvlLookAndFeelValues = TSet<TvlLookAndFeelValue, 1>;
CL_SET_TYPEINFO(TvlLookAndFeelValues)
inline constexpr TvlLookAndFeelValues vlLookAndFeelValuesAll{lfvKind, lfvNativeStyle, lfvSkinName};

using TnbSkinName = String;

struct TvlLookAndFeelData {
  TvlLookAndFeelKind Kind{};
  Boolean NativeStyle{};
  String SkinName;
  TvlCustomLookAndFeelPainterClass Painter;
  Boolean UseSkins{};
};

class TvlLookAndFeel;

// A slave of a look and feel: told what changed and when it goes away.
class IvlLookAndFeelChangeListener : public virtual IInterface {
  CL_INTERFACE(IvlLookAndFeelChangeListener, "{205538BF-F19E-4285-B11F-B182D9635881}")
 public:
  virtual TObject* ListenerObject() = 0;
  virtual void MasterStateChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) = 0;
  virtual void MasterLookAndFeelDestroying(TvlLookAndFeel* Sender) = 0;
};

// A control class that can be drawn with a skin.
class IvlSkinnableControl : public virtual IInterface {
  CL_INTERFACE(IvlSkinnableControl, "{EF3FF483-9B69-46DF-95A4-D3A3810F63A5}")
};

// --- TvlLookAndFeel ------------------------------------------------------------------------

using TvlLookAndFeelChangedEvent = TDelegate<void(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues)>;

class TvlLookAndFeel : public TvlInterfacedPersistent,
                       public IvlLookAndFeelChangeListener,
                       public IvlLookAndFeelPainterListener {
  CL_CLASS(TvlLookAndFeel, TvlInterfacedPersistent)
 public:
  void Create(TPersistent* AOwner) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  void AddChangeListener(TObject* AListener);
  void RemoveChangeListener(TObject* AListener);
  TvlCustomLookAndFeelPainterClass GetAvailablePainter(TnbThemedObjectType ANeededThemedObjectType);
  TvlCustomLookAndFeelPainterClass GetAvailablePainter(const TnbThemedObjectTypes& ANeededThemedObjectTypes = {});
  // Broadcasts all three values as changed.
  void Refresh();
  // Everything inherited again.
  void Reset();
  void SetStyle(TvlLookAndFeelStyle Value);

  TvlLookAndFeelStyle ActiveStyle() { return GetActiveStyle(); }
  TvlLookAndFeelValues AssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TvlLookAndFeelValues Value);
  TvlLookAndFeelKind Kind() const { return ReadKind(); }
  void SetKind(TvlLookAndFeelKind Value);
  Boolean NativeStyle() const { return GetNativeStyle(); }
  void SetNativeStyle(Boolean Value);
  TnbSkinName SkinName() const { return GetSkinName(); }
  void SetSkinName(const TnbSkinName& Value);
  TvlLookAndFeel* MasterLookAndFeel() const { return GetMasterLookAndFeel(); }
  void SetMasterLookAndFeel(TvlLookAndFeel* Value);
  TvlCustomLookAndFeelPainterClass Painter() const { return CurrentPainter(); }
  void SetPainter(TvlCustomLookAndFeelPainterClass Value);
  TvlCustomLookAndFeelPainterClass SkinPainter() const { return FSkinPainter; }
  const TvlLookAndFeelChangedEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TvlLookAndFeelChangedEvent& Value) { FOnChanged = Value; }
  Boolean IsRootLookAndFeel() const { return FIsRootLookAndFeel; }
  // Made the root by the unit's start-up, after its creation.
  void MarkAsRoot() { FIsRootLookAndFeel = true; }

  // IvlLookAndFeelChangeListener
  TObject* ListenerObject() override { return this; }
  void MasterStateChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) override;
  void MasterLookAndFeelDestroying(TvlLookAndFeel* Sender) override;
  // IvlLookAndFeelPainterListener
  void PainterChanged(TvlCustomLookAndFeelPainterClass APainter) override;

  // Stored predicates of the published values.
  Boolean IsKindStored() const { return FAssignedValues.Contains(lfvKind); }
  Boolean IsNativeStyleStored() const { return FAssignedValues.Contains(lfvNativeStyle); }
  Boolean IsSkinNameStored() const { return FAssignedValues.Contains(lfvSkinName); }

 protected:
  void AssignTo(TPersistent* Dest) override;
  void DefineProperties(TFiler* Filer) override;
  void Changed(TvlLookAndFeelValues AChangedValues);

  virtual void UpdateCurrentState();
  virtual TvlLookAndFeelKind InternalGetKind() const;
  virtual Boolean InternalGetNativeStyle() const;
  virtual String InternalGetSkinName() const;
  virtual TvlCustomLookAndFeelPainterClass InternalGetSkinPainter();
  virtual Boolean LookUpSkinPainter(const String& AName, TvlCustomLookAndFeelPainterClass& APainter);
  virtual void SystemPaletteChanged();

 private:
  TvlLookAndFeelKind ReadKind() const { return FCurrentState.Kind; }
  Boolean GetNativeStyle() const { return FCurrentState.NativeStyle; }
  String GetSkinName() const { return FCurrentState.SkinName; }
  TvlCustomLookAndFeelPainterClass CurrentPainter() const;
  TvlLookAndFeel* GetMasterLookAndFeel() const;
  TvlLookAndFeelStyle GetActiveStyle();
  void SaveState();
  // The values whose effective value differs from the saved state.
  TvlLookAndFeelValues ChangedFromPrevState() const;
  void ReadSkinName(TReader* Reader);
  void WriteSkinName(TWriter* Writer);

  TvlLookAndFeelValues FAssignedValues{};
  TvlObjectList* FChangeListenerList{};
  TvlLookAndFeelData FCurrentState;
  TvlLookAndFeelData FData;
  Boolean FIsDestruction{};
  Boolean FIsRootLookAndFeel{};
  TvlLookAndFeel* FMasterLookAndFeel{};
  TvlCustomLookAndFeelPainterClass FPainter;
  TvlCustomLookAndFeelPainterClass FSkinPainter;
  TvlLookAndFeelData FPrevState;
  TvlSystemPaletteChangedNotifier* FSystemPaletteChangedNotifier{};
  TvlLookAndFeelChangedEvent FOnChanged;
  Boolean FListensToRegistry{};
};

// --- TvlLookAndFeelController ---------------------------------------------------------------

// A component that reads and writes the root look and feel (restyling every
// control that does not set its own values). When the last controller goes,
// the root returns to its defaults.
class TvlLookAndFeelController : public TComponent, public IvlLookAndFeelChangeListener {
  CL_CLASS(TvlLookAndFeelController, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  virtual void Reset();

  TvlLookAndFeelKind Kind() const;
  void SetKind(TvlLookAndFeelKind Value);
  Boolean NativeStyle() const;
  void SetNativeStyle(Boolean Value);
  TnbSkinName SkinName() const;
  void SetSkinName(const TnbSkinName& Value);
  Boolean IsSkinNameStored() const { return !SkinName().empty(); }

  // IvlLookAndFeelChangeListener
  TObject* ListenerObject() override { return this; }
  void MasterStateChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) override;
  void MasterLookAndFeelDestroying(TvlLookAndFeel* Sender) override;
};

// --- Unit functions ----------------------------------------------------------------------------

// The root look and feel (nil before the unit's start-up).
TvlLookAndFeel* vlRootLookAndFeel();
// The number of controllers listening to the root.
Integer vlLookAndFeelControllerCount();
// Whether skins are used at all (True unless changed).
Boolean& vlUseSkins();
// Whether the class supports IvlSkinnableControl.
Boolean ClassSupportsSkin(TClass AClass);

// The library's class-supports-skin hook (installed by the unit's start-up).
using TvlClassSupportsSkinProc = Boolean (*)(TClass AClass);
TvlClassSupportsSkinProc& vlClassSupportsSkinProc();

// The painter class of a kind (lfOffice11: nil until its painter exists).
TvlCustomLookAndFeelPainterClass vlLookAndFeelPainterOfKind(TvlLookAndFeelKind AKind);
TvlLookAndFeelStyle vlLookAndFeelStyleOfKind(TvlLookAndFeelKind AKind);
TvlLookAndFeelKind vlLookAndFeelKindOfStyle(TvlLookAndFeelStyle AStyle);

void vlLookAndFeelsInitialize();
void vlLookAndFeelsFinalize();
