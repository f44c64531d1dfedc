// Styles: named sets of painting values (bitmap, colour, font, text colour)
// kept in a style repository on a form, style sheets (reusable sets of
// styles for one styles class), and the styles objects of controls that map
// style indexes to styles, fall back on a sheet and resolve the view
// parameters of an element with defaults of their own.
#pragma once

#include <vector>

#include "lib/foundation/vlGraphics.h"

class TReader;
class TFiler;
class TvlCustomStyle;
class TvlCustomStyles;
class TvlCustomStyleSheet;
class TvlStyleRepository;

using TvlCustomStyleClass = TClassOf<TvlCustomStyle>;
using TvlCustomStylesClass = TClassOf<TvlCustomStyles>;
using TvlCustomStyleSheetClass = TClassOf<TvlCustomStyleSheet>;

// Told of a style's changes and of its removal (the listener unregisters
// itself in answer to StyleRemoved).
class IvlStyleChangeListener : public virtual IInterface {
  CL_INTERFACE(IvlStyleChangeListener, "{E25A5395-C1E8-4311-A281-9575F79DE862}")
 public:
  virtual void StyleChanged(TvlCustomStyle* Sender) = 0;
  virtual void StyleRemoved(TvlCustomStyle* Sender) = 0;
};

// --- Styles --------------------------------------------------------------------------

class TvlCustomStyle : public TComponent {
  CL_CLASS(TvlCustomStyle, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void BeforeDestruction() override;
  void Destroy() override;

  virtual void Changed();
  // Once per listener.
  virtual void AddListener(IvlStyleChangeListener* AListener);
  virtual void RemoveListener(IvlStyleChangeListener* AListener);
  virtual void RestoreDefaults() {}

  // The position in the repository, -1 without one.
  Integer Index() const;
  TvlStyleRepository* StyleRepository() const { return FStyleRepository; }
  // Leaves the old repository's list and joins the new one's at its end.
  void SetStyleRepository(TvlStyleRepository* Value);
  Integer ListenerCount() const { return static_cast<Integer>(FListeners.size()); }
  Boolean IsListener(IvlStyleChangeListener* AListener) const;

  Boolean HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;
  void ReadState(TReader* Reader) override;

 private:
  TvlStyleRepository* FStyleRepository{};
  std::vector<TInterfacePtr<IvlStyleChangeListener>> FListeners;
};

CL_ENUM(TvlStyleValue, Byte, svBitmap, svColor, svFont, svTextColor)
using TvlStyleValues = TSet<TvlStyleValue, 1>;
CL_SET_TYPEINFO(TvlStyleValues)

// A style with four optional values; a value is written to a form only
// while it is assigned.
class TvlStyle : public TvlCustomStyle {
  CL_CLASS(TvlStyle, TvlCustomStyle)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  // From a TvlStyle the four values, then its assigned set.
  void Assign(TPersistent* Source) override;
  void RestoreDefaults() override;
  void ReadState(TReader* Reader) override;

  TvlStyleValues AssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TvlStyleValues Value);
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value);
  TColor TextColor() const { return FTextColor; }
  void SetTextColor(TColor Value);

  Boolean IsBitmapStored() { return FAssignedValues.Contains(svBitmap); }
  Boolean IsColorStored() { return FAssignedValues.Contains(svColor); }
  Boolean IsFontStored() { return FAssignedValues.Contains(svFont); }
  Boolean IsTextColorStored() { return FAssignedValues.Contains(svTextColor); }

 private:
  void BitmapChanged(TObject* Sender);
  void FontChanged(TObject* Sender);

  TvlStyleValues FAssignedValues{};
  TBitmap* FBitmap{};
  TColor FColor{};
  TFont* FFont{};
  TColor FTextColor{};
};

// --- Repository --------------------------------------------------------------------------

// A non-visual component holding styles and style sheets (each a component
// with its own owner, usually the form).
class TvlStyleRepository : public TComponent {
  CL_CLASS(TvlStyleRepository, TComponent)
 public:
  void Destroy() override;

  TvlCustomStyle* CreateItem(TvlCustomStyleClass AStyleClass);
  virtual TvlCustomStyle* CreateItemEx(TvlCustomStyleClass AStyleClass, TComponent* AOwner);
  TvlCustomStyleSheet* CreateStyleSheet(TvlCustomStyleSheetClass AStyleSheetClass);
  virtual TvlCustomStyleSheet* CreateStyleSheetEx(TvlCustomStyleSheetClass AStyleSheetClass, TComponent* AOwner);
  // Frees every style (sheets), the last first.
  void Clear();
  void ClearStyleSheets();
  Integer StyleIndexOf(const TvlCustomStyle* AStyle) const;
  Integer StyleSheetIndexOf(const TvlCustomStyleSheet* AStyleSheet) const;

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TvlCustomStyle* Items(Integer AIndex) const;
  Integer StyleSheetCount() const { return static_cast<Integer>(FStyleSheets.size()); }
  TvlCustomStyleSheet* StyleSheets(Integer AIndex) const;
  Boolean Scalable() const { return FScalable; }
  void SetScalable(Boolean Value) { FScalable = Value; }
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value; }
  // N rescaled from PixelsPerInch to the screen's (unchanged when not
  // Scalable, PixelsPerInch is 0 or equals the screen's), rounded by MulDiv.
  Integer ScaleToScreen(Integer N) const;

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  friend class TvlCustomStyle;
  friend class TvlCustomStyleSheet;
  void ReadPixelsPerInch(TReader* Reader);
  void WritePixelsPerInch(TWriter* Writer);

  std::vector<TvlCustomStyle*> FItems;
  std::vector<TvlCustomStyleSheet*> FStyleSheets;
  Boolean FScalable{};
  Integer FPixelsPerInch{};
};

// --- Style sheets --------------------------------------------------------------------------

// A named set of styles for one styles class (GetStylesClass) that styles
// objects of that class fall back on.
class TvlCustomStyleSheet : public TvlComponent {
  CL_CLASS(TvlCustomStyleSheet, TvlComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  // From a sheet its caption and styles; otherwise the platform's Assign.
  void Assign(TPersistent* Source) override;
  // A copy of each of ASheet's styles, put at the same index (nothing for
  // nil or a sheet of another styles class).
  void CopyFrom(TvlCustomStyleSheet* AStyleSheet);
  virtual TvlCustomStylesClass GetStylesClass() const;

  // The caption, or the name when the caption is empty.
  String Caption() const;
  // A value equal to the name (case ignored) stores the empty caption.
  void SetCaption(const String& Value);
  Boolean IsCaptionStored() { return !FCaption.empty(); }
  Boolean BuiltIn() const { return FBuiltIn; }
  void SetBuiltIn(Boolean Value) { FBuiltIn = Value; }
  TvlCustomStyles* Styles() const { return FStyles; }
  void SetStyles(TvlCustomStyles* Value);
  Integer Index() const;
  TvlStyleRepository* StyleRepository() const { return FStyleRepository; }
  void SetStyleRepository(TvlStyleRepository* Value);

  // The styles objects that fall back on the sheet (no duplicates).
  void AddStyles(TvlCustomStyles* AStyles);
  void RemoveStyles(TvlCustomStyles* AStyles);
  Integer StylesListCount() const { return static_cast<Integer>(FStylesList.size()); }
  TvlCustomStyles* StylesList(Integer AIndex) const { return FStylesList[size_t(AIndex)]; }
  // For the designer: the distinct owners of the sheet's styles other than its own.
  void GetStyleOwners(std::vector<TComponent*>& AOwners);

  Boolean HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;
  void ReadState(TReader* Reader) override;

 protected:
  void DefineProperties(TFiler* Filer) override;
  // A change of one of the sheet's styles' values reaches every styles
  // object that uses the sheet (and the designer is told).
  friend class TvlCustomStyles;
  void StylesChanged(Integer AIndex);

 private:
  void ReadBuiltIn(TReader* Reader);
  void WriteBuiltIn(TWriter* Writer);

  String FCaption;
  Boolean FBuiltIn{};
  TvlCustomStyles* FStyles{};
  std::vector<TvlCustomStyles*> FStylesList;
  TvlStyleRepository* FStyleRepository{};
};

// --- Styles objects -------------------------------------------------------------------------

class TvlCustomStylesItem : public TObject {
  CL_CLASS(TvlCustomStylesItem, TObject)
 public:
  Integer Index{};
  TvlCustomStyle* Item{};
};

// A table from style indexes to styles (sorted by index, one pair per
// index) with an optional sheet that supplies the indexes not assigned.
class TvlCustomStyles : public TvlInterfacedPersistent, public IvlStyleChangeListener {
  CL_CLASS(TvlCustomStyles, TvlInterfacedPersistent)
 public:
  void Create(TPersistent* AOwner) override;
  void Destroy() override;
  // From styles objects the sheet only (descendants copy their pairs).
  void Assign(TPersistent* Source) override;
  virtual void FireChanged(Integer AIndex) {}
  virtual void NotifyChanged(Integer AIndex);

  // The pair's style, else the sheet's (sheets chain); only own pairs while
  // the owning component is written to a form.
  TvlCustomStyle* GetStyleAt(Integer AIndex);
  void SetStyleAt(Integer AIndex, TvlCustomStyle* AValue);
  // SetStyleAt(index, nil) for the index of every pair.
  void ResetStyles();
  Boolean IsValidStyleSheet(TvlCustomStyleSheet* AStyleSheet);

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TvlCustomStylesItem* Items(Integer APosition) const { return FItems[size_t(APosition)]; }
  TvlCustomStyleSheet* StyleSheet() const { return FStyleSheet; }
  void SetStyleSheet(TvlCustomStyleSheet* Value);
  TvlCustomStyleSheet* OwnerStyleSheet() const { return FOwnerStyleSheet; }

  // IvlStyleChangeListener
  void StyleChanged(TvlCustomStyle* Sender) override;
  void StyleRemoved(TvlCustomStyle* Sender) override;

 protected:
  // Binary search: true with the pair's position, or false with the
  // insertion position.
  Boolean Find(Integer AIndex, Integer& APosition) const;
  void Delete(Integer APosition);
  // NotifyChanged for each index while this object lives.
  void NotifyEach(const std::vector<Integer>& AIndexes);

 private:
  friend class TvlCustomStyleSheet;
  void DeleteAll();
  void CollectSheetIndexes(TvlCustomStyleSheet* ASheet, std::vector<Integer>& AIndexes);
  Boolean OwnerIsWriting();

  std::vector<TvlCustomStylesItem*> FItems;
  TvlCustomStyleSheet* FStyleSheet{};
  TvlCustomStyleSheet* FOwnerStyleSheet{};
  Boolean FDestroying{};
};

// A styles object that resolves the view parameters of its elements.
class TvlStyles : public TvlCustomStyles {
  CL_CLASS(TvlStyles, TvlCustomStyles)
 public:
  // Each value from AExtraStyle when it assigns it, else from the style at
  // AIndex, else from GetDefaultViewParams.
  void GetViewParams(Integer AIndex, Pointer AData, TvlStyle* AExtraStyle, TvlViewParams& AParams);
  virtual void GetDefaultViewParams(Integer AIndex, Pointer AData, TvlViewParams& AParams);
  // Whether the style at the index leaves the font to the defaults.
  virtual Boolean UsesDefaultFont(Integer AIndex);
  // NotifyChanged for every index up to the highest asked whose default font is AFont.
  void DefaultFontChanged(TObject* Sender, TFont* AFont);
  // The style's bitmap when assigned and not empty, else nil.
  TBitmap* GetBitmap(Integer AIndex);
  TvlStyle* GetIndexedStyle(Integer AIndex);
  void SetIndexedStyle(Integer AIndex, TvlStyle* AValue);

  Boolean BitmapInViewParams() const { return FBitmapInViewParams; }
  void SetBitmapInViewParams(Boolean Value) { FBitmapInViewParams = Value; }
  Integer MaxDefaultViewParamsIndex() const { return FMaxDefaultViewParamsIndex; }

 private:
  Boolean FBitmapInViewParams{};
  Integer FMaxDefaultViewParamsIndex{};
};
