// Skins: a skin is named data (colours, typed properties and control groups
// of drawable elements with PNG textures) read from and written to the
// "nbSkin" stream; elements draw themselves through GDI+ on a small canvas.
// Look-ups by name sort their list once (case-sensitive, locale-aware) and
// search it by halving; every change clears the sorted mark.
#pragma once

#include <vector>

#include "lib/foundation/nbCore.h"
#include "lib/foundation/nbGDIPlusAPI.h"
#include "lib/foundation/vlClasses.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/ResStrings.h"

class TnbPNGImage;
class TvlBitmap;
// The painters' button state (lib/lookandfeel/vlLookAndFeelPainters.h).
enum TvlButtonState : Byte;
class TnbSkin;
class TnbSkinControlGroup;
class TnbSkinElement;
class TnbSkinImage;
class TnbSkinCanvas;

extern const TResStringRec sdxSkinInvalidStreamFormat;  // "Invalid stream format"
extern const TResStringRec sdxOldFormat;                // the version mismatch, two lines
// Our own limits of the reader (a damaged or hostile stream).
extern const TResStringRec sdxSkinDataDamaged;          // "The skin data is damaged: %s"

RTL_EXCEPTION_CLASS(EnbSkin, EnbException);

constexpr TColor nbSkinClNone = TColor(0x1FFFFFFF);
constexpr TColor nbSkinClDefault = TColor(0x20000000);

CL_ENUM(TnbSkinElementState, Byte, esNormal, esHot, esPressed, esDisabled, esActive, esFocused, esDroppedDown,
        esChecked, esHotCheck, esActiveDisabled, esCheckPressed)
using TnbSkinElementStates = TSet<TnbSkinElementState, 2>;
CL_SET_TYPEINFO(TnbSkinElementStates)
constexpr Integer nbSkinElementStateCount = 11;
CL_ENUM(TnbSkinImageLayout, Byte, ilHorizontal, ilVertical)
CL_ENUM(TnbSkinStretchMode, Byte, smStretch, smTile, smNoResize)
CL_ENUM(TnbSkinGradientMode, Byte, gmHorizontal, gmVertical, gmForwardDiagonal, gmBackwardDiagonal)
CL_ENUM(TnbSkinObjectState, Byte, sosUnassigned, sosUnused)
using TnbSkinObjectStates = TSet<TnbSkinObjectState, 1>;
CL_SET_TYPEINFO(TnbSkinObjectStates)

class InbSkinChangeListener : public virtual IInterface {
  CL_INTERFACE(InbSkinChangeListener, "{28681774-0475-43AE-8704-1C904D294742}")
 public:
  virtual void SkinContentChanged(TnbSkin* Sender) = 0;
};

// --- base objects --------------------------------------------------------------------------

class TnbSkinCustomPersistentObject : public TPersistent {
  CL_CLASS(TnbSkinCustomPersistentObject, TPersistent)
 public:
  virtual void SignalChange();
  virtual void Create(TPersistent* AOwner, const String& AName);
  virtual TnbSkinCustomPersistentObject* Clone();
  TPersistent* GetOwner() override { return FOwner; }

  const String& Name() const { return FName; }
  void SetName(const String& Value) { FName = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  TPersistent* Owner() const { return FOwner; }
  void SetOwner(TPersistent* Value) { FOwner = Value; }
  TnbSkinObjectStates State() const { return FState; }
  void SetState(TnbSkinObjectStates Value) { FState = Value; }
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }

 private:
  String FName;
  TNotifyEvent FOnChange;
  TPersistent* FOwner{};
  TnbSkinObjectStates FState{};
  Integer FTag{};
};

class TnbSkinProperty;
using TnbSkinPropertyClass = TClassOf<TnbSkinProperty>;

class TnbSkinPersistent : public TnbSkinCustomPersistentObject {
  CL_CLASS(TnbSkinPersistent, TnbSkinCustomPersistentObject)
 public:
  void Create(TPersistent* AOwner, const String& AName) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  virtual void Changed();
  virtual void DoSort();
  virtual void SubItemHasChanged(TObject* Sender);
  virtual void DeleteProperty(TnbSkinProperty* AProperty);

  TnbSkinProperty* AddProperty(const String& AName, TnbSkinPropertyClass APropertyClass);
  void BeginUpdate();
  void CancelUpdate();
  void EndUpdate();
  void Sort();
  TnbSkinProperty* GetPropertyByName(const String& AName);

  Integer PropertyCount() const { return FProperties->Count(); }
  TnbSkinProperty* Properties(Integer AIndex) const;
  Integer LockCount() const { return FLockCount; }
  Boolean Modified() const { return FModified; }
  void SetModified(Boolean Value) { FModified = Value; }
  Boolean Sorted() const { return FSorted; }

 protected:
  // Owner and change handler to Self, appended to AList.
  void Adopt(TnbSkinCustomPersistentObject* AChild, TvlObjectList* AList);
  TvlObjectList* PropertyList() const { return FProperties; }

 private:
  Integer FLockCount{};
  Boolean FModified{};
  TvlObjectList* FProperties{};
  Boolean FSorted{};
};

// --- properties ----------------------------------------------------------------------------

class TnbSkinProperty : public TnbSkinCustomPersistentObject {
  CL_CLASS(TnbSkinProperty, TnbSkinCustomPersistentObject)
 public:
  virtual void ReadData(TStream* AStream) {}
  virtual void WriteData(TStream* AStream) {}
  virtual void ReadFromStream(TStream* AStream);
  virtual void WriteToStream(TStream* AStream);
  // The class name without "TnbSkin" and "Property" (class method).
  virtual String Description() const;
  virtual Boolean Compare(TnbSkinProperty* AProperty) { return false; }

  // Adds the class to the list of property classes and to the class registry.
  void Register() const;
  void Unregister() const;
};

class TnbSkinIntegerProperty : public TnbSkinProperty {
  CL_CLASS(TnbSkinIntegerProperty, TnbSkinProperty)
 public:
  void Assign(TPersistent* Source) override;
  void ReadData(TStream* AStream) override;
  void WriteData(TStream* AStream) override;
  Boolean Compare(TnbSkinProperty* AProperty) override;
  Integer Value() const { return FValue; }
  void SetValue(Integer AValue);

 private:
  Integer FValue{};
};

class TnbSkinBooleanProperty : public TnbSkinProperty {
  CL_CLASS(TnbSkinBooleanProperty, TnbSkinProperty)
 public:
  void Assign(TPersistent* Source) override;
  void ReadData(TStream* AStream) override;
  void WriteData(TStream* AStream) override;
  Boolean Compare(TnbSkinProperty* AProperty) override;
  Boolean Value() const { return FValue; }
  void SetValue(Boolean AValue);

 private:
  Boolean FValue{};
};

class TnbSkinColor : public TnbSkinProperty {
  CL_CLASS(TnbSkinColor, TnbSkinProperty)
 public:
  void Create(TPersistent* AOwner, const String& AName) override;
  void Assign(TPersistent* Source) override;
  void ReadData(TStream* AStream) override;
  void WriteData(TStream* AStream) override;
  Boolean Compare(TnbSkinProperty* AProperty) override;
  TColor Value() const { return FValue; }
  void SetValue(TColor AValue);

 private:
  TColor FValue{};
};

class TnbSkinRectProperty : public TnbSkinProperty {
  CL_CLASS(TnbSkinRectProperty, TnbSkinProperty)
 public:
  void Create(TPersistent* AOwner, const String& AName) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;
  void ReadData(TStream* AStream) override;
  void WriteData(TStream* AStream) override;
  Boolean Compare(TnbSkinProperty* AProperty) override;
  TvlRect* Value() const { return FValue; }
  void SetValue(TvlRect* AValue) { FValue->Assign(AValue); }
  Integer GetCoord(Integer AIndex) const { return FValue->GetValue(AIndex); }
  void SetCoord(Integer AIndex, Integer AValue) { FValue->SetValue(AIndex, AValue); }

 private:
  void InternalChanged(TObject* Sender) { SignalChange(); }
  TvlRect* FValue{};
};

class TnbSkinSizeProperty : public TnbSkinProperty {
  CL_CLASS(TnbSkinSizeProperty, TnbSkinProperty)
 public:
  void Assign(TPersistent* Source) override;
  void ReadData(TStream* AStream) override;
  void WriteData(TStream* AStream) override;
  Boolean Compare(TnbSkinProperty* AProperty) override;
  const TSize& Value() const { return FValue; }
  void SetValue(const TSize& AValue);
  Integer Cx() const { return FValue.cx; }
  Integer Cy() const { return FValue.cy; }
  void SetCx(Integer AValue) { SetValue(TSize{AValue, FValue.cy}); }
  void SetCy(Integer AValue) { SetValue(TSize{FValue.cx, AValue}); }

 private:
  TSize FValue{};
};

class TnbSkinStringProperty : public TnbSkinProperty {
  CL_CLASS(TnbSkinStringProperty, TnbSkinProperty)
 public:
  void Assign(TPersistent* Source) override;
  void ReadData(TStream* AStream) override;
  void WriteData(TStream* AStream) override;
  Boolean Compare(TnbSkinProperty* AProperty) override;
  const String& Value() const { return FValue; }
  void SetValue(const String& AValue);

 private:
  String FValue;
};

// One side of an element's frame.
class TnbSkinBorder : public TnbSkinProperty {
  CL_CLASS(TnbSkinBorder, TnbSkinProperty)
 public:
  void Create(TPersistent* AOwner, const String& AName) override;
  void Assign(TPersistent* Source) override;
  void ReadData(TStream* AStream) override;
  void WriteData(TStream* AStream) override;
  Boolean Compare(TnbSkinProperty* AProperty) override;
  virtual void Draw(win::HDC DC, const TRect& ABounds);
  virtual void DrawEx(TnbSkinCanvas* ACanvas, const TRect& ABounds);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TvlBorder Kind() const { return FKind; }
  void SetKind(TvlBorder Value) { FKind = Value; }
  Integer Thin() const { return FThin; }
  void SetThin(Integer Value);

 private:
  TColor FColor{};
  TvlBorder FKind{};
  Integer FThin{};
};

class TnbSkinBorders : public TnbSkinProperty {
  CL_CLASS(TnbSkinBorders, TnbSkinProperty)
 public:
  void Create(TPersistent* AOwner, const String& AName) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;
  Boolean Compare(TnbSkinProperty* AProperty) override;
  virtual void BorderChanged(TObject* Sender);
  virtual void Draw(TnbSkinCanvas* ACanvas, const TRect& ABounds);

  TnbSkinBorder* Items(TvlBorder AKind) const { return FBorders[AKind]; }
  TnbSkinBorder* Left() const { return FBorders[bLeft]; }
  TnbSkinBorder* Top() const { return FBorders[bTop]; }
  TnbSkinBorder* Right() const { return FBorders[bRight]; }
  TnbSkinBorder* Bottom() const { return FBorders[bBottom]; }

 private:
  TnbSkinBorder* FBorders[4]{};
};

// --- the skin --------------------------------------------------------------------------------

class TnbSkin : public TnbSkinPersistent {
  CL_CLASS(TnbSkin, TnbSkinPersistent)
 public:
  using inherited::Create;
  virtual void Create(const String& AName, void* AInstance, Boolean ALoadOnCreate);
  void Destroy() override;
  void Assign(TPersistent* Source) override;
  void SignalChange() override;
  void DoSort() override;
  void DeleteProperty(TnbSkinProperty* AProperty) override;
  virtual void LoadFromResource(void* AInstance);
  TnbSkinCustomPersistentObject* Clone() override;
  // A damaged stream raises EnbSkin (or the stream's EReadError) and leaves
  // the skin as it was.
  virtual void LoadFromStream(TStream* AStream);
  virtual void SaveToStream(TStream* AStream);

  TnbSkinColor* AddColor(const String& AName, TColor AColor);
  TnbSkinControlGroup* AddGroup(const String& AName);
  TnbSkinColor* GetColorByName(const String& AName);
  TnbSkinControlGroup* GetGroupByName(const String& AName);
  void Clear();
  void ClearModified();
  Boolean HasMissingElements() const;
  void AddListener(InbSkinChangeListener* AListener);
  void RemoveListener(InbSkinChangeListener* AListener);
  void LoadFromFile(const String& AFileName);
  void SaveToFile(const String& AFileName);

  Integer ColorCount() const { return FColors->Count(); }
  TnbSkinColor* Colors(Integer AIndex) const;
  Integer GroupCount() const { return FGroups->Count(); }
  TnbSkinControlGroup* Groups(Integer AIndex) const;
  Integer ListenerCount() const { return Integer(FListeners.size()); }
  // The skin's own name (read, written and used for the resource look-up).
  const String& Name() const { return FName; }
  void SetName(const String& Value) { FName = Value; }
  Double Version() const { return FVersion; }
  void SetVersion(Double Value) { FVersion = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

 private:
  // Takes over the colours, groups and properties of ASource (left empty).
  void TakeContent(TnbSkin* ASource);
  TvlObjectList* FColors{};
  TvlObjectList* FGroups{};
  std::vector<TInterfacePtr<InbSkinChangeListener>> FListeners;
  String FName;
  TNotifyEvent FOnChange;
  Double FVersion{};
};

class TnbSkinElement;
using TnbSkinElementClass = TClassOf<TnbSkinElement>;

class TnbSkinControlGroup : public TnbSkinPersistent {
  CL_CLASS(TnbSkinControlGroup, TnbSkinPersistent)
 public:
  void Create(TPersistent* AOwner, const String& AName) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;
  void DoSort() override;
  virtual void ReadData(TStream* AStream, Double AVersion);
  virtual void WriteData(TStream* AStream);

  TnbSkinElement* AddElement(const String& AName);
  TnbSkinElement* AddElementEx(const String& AName, TnbSkinElementClass AElementClass);
  TnbSkinElement* GetElementByName(const String& AName);
  void Delete(Integer AIndex);
  void RemoveElement(TnbSkinElement* AElement);
  void Clear();
  void ClearModified();
  Boolean HasMissingElements() const;

  Integer Count() const { return FElements->Count(); }
  TnbSkinElement* Elements(Integer AIndex) const;
  TnbSkin* Skin() const;

 private:
  TvlObjectList* FElements{};
};

// One PNG texture of an element, cut into frames by image index and state.
class TnbSkinImage : public TPersistent {
  CL_CLASS(TnbSkinImage, TPersistent)
 public:
  virtual void Changed();
  virtual void InitializeInfo();
  virtual void Create(TnbSkinElement* AOwner);
  void Destroy() override;
  void Assign(TPersistent* Source) override;
  virtual Boolean Compare(TnbSkinImage* AImage);
  virtual void Draw(win::HDC DC, const TRect& ARect, Integer AImageIndex, TnbSkinElementState AState);
  virtual void DrawEx(TnbSkinCanvas* ACanvas, const TRect& ARect, Integer AImageIndex, TnbSkinElementState AState);
  TPersistent* GetOwner() override;

  Boolean Empty() const;
  void Clear();
  void LoadFromFile(const String& AFileName);
  void SaveToFile(const String& AFileName);
  void GetBitmap(Integer AImageIndex, TnbSkinElementState AState, TColor ABkColor, TBitmap* ABitmap);
  void SetStateMapping(const std::vector<TnbSkinElementState>& AStates);
  // The frame of (image index, state) in the texture.
  TRect GetFrameRect(Integer AImageIndex, TnbSkinElementState AState);
  // The state itself when it has a frame, else the first state with one.
  TnbSkinElementState CheckState(TnbSkinElementState AState) const;
  void CheckInfo();

  TnbSkinGradientMode Gradient() const { return FGradient; }
  void SetGradient(TnbSkinGradientMode Value);
  TColor GradientBeginColor() const { return FGradientBeginColor; }
  void SetGradientBeginColor(TColor Value);
  TColor GradientEndColor() const { return FGradientEndColor; }
  void SetGradientEndColor(TColor Value);
  TnbSkinImageLayout ImageLayout() const { return FImageLayout; }
  void SetImageLayout(TnbSkinImageLayout Value);
  TvlRect* Margins() const { return FMargins; }
  void SetMargins(TvlRect* Value) { FMargins->Assign(Value); }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  TnbSkinElement* Owner() const { return FOwner; }
  TnbSkinElementStates States() const { return FStates; }
  void SetStates(TnbSkinElementStates Value);
  TnbSkinStretchMode Stretch() const { return FStretch; }
  void SetStretch(TnbSkinStretchMode Value);
  TnbPNGImage* Texture() const { return FTexture; }
  TColor TransparentColor() const { return FTransparentColor; }
  Boolean IsDirty() const { return FIsDirty; }
  void SetDirty() { FIsDirty = true; }

  Integer ImageCount() const;
  String Name() const;
  void SetName(const String& Value) { LoadFromFile(Value); }
  const TSize& Size();
  String SourceName() const;
  Integer StateCount();
  TRect StateBounds(TnbSkinElementState AState);

 private:
  void MarginsChanged(TObject* Sender) { Changed(); }
  TnbSkinGradientMode FGradient{};
  TColor FGradientBeginColor{};
  TColor FGradientEndColor{};
  TnbSkinImageLayout FImageLayout{};
  Boolean FIsDirty{};
  TvlRect* FMargins{};
  TNotifyEvent FOnChange;
  TnbSkinElement* FOwner{};
  TSize FSize{};
  String FSourceName;
  TRect FStateBounds[nbSkinElementStateCount]{};
  Integer FStateIndex[nbSkinElementStateCount]{};
  Integer FStateCount{};
  TnbSkinElementStates FStates{};
  TnbSkinStretchMode FStretch{};
  TnbPNGImage* FTexture{};
  TColor FTransparentColor{};
};

class TnbSkinElement : public TnbSkinPersistent {
  CL_CLASS(TnbSkinElement, TnbSkinPersistent)
 public:
  void Create(TPersistent* AOwner, const String& AName) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;
  virtual Boolean CompareProperties(TnbSkinElement* AElement);
  virtual String GetImageName(TnbSkinImage* AImage);
  virtual void ReadData(TStream* AStream, Double AVersion);
  virtual void WriteData(TStream* AStream, Double AVersion);
  virtual Boolean Compare(TnbSkinElement* AElement);
  // "TextColorHot", "TextColorPressed" or "TextColorDisabled" when assigned,
  // else TextColor.
  virtual TColor GetTextColor(TvlButtonState AState);
  virtual void Draw(win::HDC DC, const TRect& ARect, Integer AImageIndex, TnbSkinElementState AState);

  // Background, image, borders and glyph on a canvas already painting.
  void DrawOnCanvas(TnbSkinCanvas* ACanvas, const TRect& ARect, Integer AImageIndex, TnbSkinElementState AState);
  void SetStateMapping(const std::vector<TnbSkinElementState>& AStates);

  Byte Alpha() const { return FAlpha; }
  void SetAlpha(Byte Value);
  TnbSkinBorders* Borders() const { return FBorders; }
  void SetBorders(TnbSkinBorders* Value) { FBorders->Assign(Value); }
  // The GDI+ solid brush of the colour with Alpha (nil until a colour is assigned).
  win::gdiplus::GpSolidFill* Brush() const { return FBrush; }
  TnbSkinCanvas* Canvas() const { return FCanvas; }
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TvlRect* ContentOffset() const { return FContentOffset; }
  void SetContentOffset(TvlRect* Value) { FContentOffset->Assign(Value); }
  TnbSkinImage* Glyph() const { return FGlyph; }
  void SetGlyph(TnbSkinImage* Value) { FGlyph->Assign(Value); }
  TnbSkinImage* Image() const { return FImage; }
  void SetImage(TnbSkinImage* Value) { FImage->Assign(Value); }
  Integer ImageCount() const { return FImageCount; }
  void SetImageCount(Integer Value);
  Boolean IsColorAssigned() const { return FIsColorAssigned; }
  TvlSize* MinSize() const { return FMinSize; }
  void SetMinSize(TvlSize* Value) { FMinSize->Assign(Value); }
  TColor TextColor() const { return FTextColor; }
  void SetTextColor(TColor Value);

  TnbSkinControlGroup* Group() const;
  Boolean IsAlphaUsed() const;
  String Path() const;
  const TSize& Size() const;

 private:
  Byte FAlpha{};
  TnbSkinBorders* FBorders{};
  win::gdiplus::GpSolidFill* FBrush{};
  TnbSkinCanvas* FCanvas{};
  TColor FColor{};
  TvlRect* FContentOffset{};
  TnbSkinImage* FGlyph{};
  TnbSkinImage* FImage{};
  Integer FImageCount{};
  Boolean FIsColorAssigned{};
  TvlSize* FMinSize{};
  TColor FTextColor{};
};

// The element that stands for one a painter asked for and the skin lacks.
class TnbSkinEmptyElement : public TnbSkinElement {
  CL_CLASS(TnbSkinEmptyElement, TnbSkinElement)
 public:
  void Draw(win::HDC DC, const TRect& ARect, Integer AImageIndex, TnbSkinElementState AState) override;
};

// The one empty element, from the unit's start-up to its shut-down.
TnbSkinEmptyElement* nbSkinEmptyElement();

// --- the part stream ---------------------------------------------------------------------

// A window [PosStart, PosEnd] onto another stream. Reads stop at PosEnd.
class TnbSkinPartStream : public TStream {
  CL_CLASS(TnbSkinPartStream, TStream)
 public:
  void Create(TStream* ASource);
  void Initialize(Int64 APosStart, Int64 APosEnd);
  void InitializeEx(TStream* ASource, Int64 APosStart, Int64 APosEnd);
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;

 protected:
  Int64 GetSize() override { return FPosEnd - FPosStart; }

 private:
  Int64 FPosEnd{};
  Int64 FPosStart{};
  TStream* FSource{};
};

// --- drawing -----------------------------------------------------------------------------

class TnbSkinCanvas : public TObject {
  CL_CLASS(TnbSkinCanvas, TObject)
 public:
  void Destroy() override;
  Boolean IsDoubleBufferNeeded(win::HDC DC);
  Boolean IsRectVisible(win::HDC DC, const TRect& R);
  void BeginPaint(win::HDC DC, const TRect& R);
  void BeginPaintEx(TnbGpGraphics* AGraphics, const TRect& R);
  void EndPaint();
  void FillRectByColor(const TRect& R, TColor AColor);
  void FillRectByGradient(const TRect& R, TColor AColor1, TColor AColor2, TnbSkinGradientMode AMode);
  void DrawImage(TnbPNGImage* AImage, const TRect& ADest, const TRect& ASource);
  void DrawImageWithMargines(TnbSkinImage* AImage, const TRect& R, const TRect* ASourceParts,
                             const TRect* ADestParts, const Boolean* AVisibility);

  Integer InterpolationMode() const;
  void SetInterpolationMode(Integer Value);
  TnbGpGraphics* Graphics() const { return FGraphics; }
  const TRect& Rect() const { return FRect; }

 private:
  TvlBitmap* FBuffer{};
  TnbGpGraphics* FGraphics{};
  TRect FRect{};
  win::HDC FSourceDC{};
};

// The nine parts of R with the image's margins (part = column * 3 + row);
// margins shrink in proportion when a destination is too small for them.
void nbSkinCalculateParts(TnbSkinImage* AImage, const TRect& R, Boolean AIsDestination, TRect* AParts,
                          Boolean* AVisibility);
