// The inner list box: the platform's list box made to live inside a
// container. It passes keys, mouse, focus, drag-and-drop and menu messages
// up to the container, hides its native scroll bars behind two library
// scroll bars placed over them on the container (so they take the
// container's look and feel while the list keeps scrolling natively), and
// selects the first item starting with the characters typed in quick
// succession.
#pragma once

#include "lib/lookandfeel/vlContainer.h"
#include "platform/vcl/StdCtrls.h"

class TvlCanvas;

class TvlCustomInnerListBox : public TListBox, public IvlContainerInnerControl, public IvlMouseEnterLeave {
  CL_CLASS(TvlCustomInnerListBox, TListBox)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void DefaultHandler(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void WndProc(TMessage& Message) override;

  Boolean ItemVisible(Integer Index);
  // The corner between both emulated bars, relative to the window rectangle.
  TRect GetSizeGripBounds();

  TvlCanvas* Canvas() const { return FCanvas; }
  TvlLookAndFeel* LookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TvlLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  TvlScrollBar* HScrollBar() const { return FHScrollBar; }
  TvlScrollBar* VScrollBar() const { return FVScrollBar; }
  // The characters typed so far.
  const String& AutoCompleteFilter() const { return FAutoCompleteFilter; }

  // IvlContainerInnerControl
  TWinControl* GetInnerControl() override { return this; }
  TvlContainer* GetOwnerContainer() override { return FContainer; }
  // The container hosting the list box (nil when it stands alone).
  void SetContainer(TvlContainer* Value) { FContainer = Value; }

  virtual void DoAutoComplete(Char& Key);
  virtual void LookAndFeelChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues);
  virtual Boolean DrawsFocusRect();
  virtual void SetExternalScrollBarsParameters();

 protected:
  void MouseEnter(TControl* AControl) override {}
  void MouseLeave(TControl* AControl) override;

  void Click() override;
  void DblClick() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  Boolean DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  TPopupMenu* GetPopupMenu() override;
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, Boolean& Accept) override;
  void DragDrop(TObject* Source, Integer X, Integer Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DestroyWindowHandle() override;

  void CreateScrollBars();
  void HScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos);
  void VScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos);

  TvlContainer* FContainer{};

 private:
  void PlaceScrollBar(TvlScrollBar* ABar);
  void UpdateScrollBar(TvlScrollBar* ABar);
  void DrawSizeGrip();
  void DrawItemMessage(TMessage& Message);
  void LeftButtonDown(TMessage& Message);
  Boolean Destroying() const { return ComponentState().Contains(csDestroying); }
  friend Integer vlFindListBoxItem(TvlCustomInnerListBox* AListBox, const String& AText);

  String FAutoCompleteFilter;
  TvlCanvas* FCanvas{};
  TvlScrollBar* FHScrollBar{};
  Boolean FIsRedrawLocked{};
  TvlLookAndFeel* FLookAndFeel{};
  Cardinal FPrevKeyPressTime{};
  Boolean FScrollBarsCalculating{};
  Integer FScrollBarsLockCount{};
  TvlScrollBar* FVScrollBar{};
};

// The first item starting with AText (case-insensitive), -1 when none.
Integer vlFindListBoxItem(TvlCustomInnerListBox* AListBox, const String& AText);
