// The ready-made radio-button images of the non-themed painters: one image
// per painter kind, button state, checked, designing and focused (128 in
// all), coloured from the system colours and the Office 2003 palette, drawn
// through a mask. Built once on first use; rebuilt after a system colour
// change. Main thread only.
#pragma once

#include <vector>

#include "platform/classes/ObjectModel.h"
#include "platform/rtl/Geometry.h"
#include "platform/vcl/Graphics.h"

class TImageList;
class TvlCanvas;
class TvlSystemPaletteChangedNotifier;
enum TvlLookAndFeelKind : Byte;
enum TvlButtonState : Byte;

class TvlRadioButtonImageList : public TObject {
  CL_CLASS(TvlRadioButtonImageList, TObject)
 public:
  // Measures the button, makes the mask and the pattern (no images yet).
  void Create();
  void Destroy() override;

  // ABrushColor clDefault: the button straight onto the canvas (transparent
  // around it); otherwise on a square of that colour. vlbsDefault draws as
  // vlbsNormal.
  void Draw(TvlCanvas* ACanvas, Integer X, Integer Y, TColor ABrushColor, TvlLookAndFeelKind ALookAndFeelKind,
            TvlButtonState AButtonState, Boolean AChecked, Boolean AFocused, Boolean AIsDesigning);
  TSize GetSize() const;
  // Builds the 128 images when the list is empty.
  void Prepare();
  // Clears the list and builds it again.
  void Reset();

  Integer Count() const;
  TImageList* List() const { return FList; }
  // The dot inside the button, relative to the button's top-left corner.
  const TRect& RadioButtonCheckRect() const { return FRadioButtonCheckRect; }
  // The button inside the system glyph cell.
  const TRect& RadioButtonRect() const { return FRadioButtonRect; }
  // The pattern code of a pixel: 0 outside, 1/2 outer ring upper-left /
  // lower-right, 3/4 inner ring, 5 body, 6 dot.
  Byte PatternCode(Integer ARow, Integer AColumn) const { return FRadioButtonPattern[size_t(ARow)][size_t(AColumn)]; }
  // The image-list index of a key (-1 when not built).
  static Integer ImageIndex(TvlLookAndFeelKind AKind, TvlButtonState AState, Boolean AChecked, Boolean AIsDesigning,
                            Boolean AFocused);

 private:
  void MeasureButton();
  void BuildPattern();

  TBitmap* FButtonMask{};
  TImageList* FList{};
  TRect FRadioButtonCheckRect{};
  std::vector<std::vector<Byte>> FRadioButtonPattern;
  TRect FRadioButtonRect{};
};

// The shared instance, made and prepared on first use.
TvlRadioButtonImageList* vlGetRadioButtonImages();

// The unit's start-up (the primary palette notifier that resets the images
// on a system colour change) and shut-down (frees the instance and the map).
void vlRadioButtonImageListInitialize();
void vlRadioButtonImageListFinalize();
