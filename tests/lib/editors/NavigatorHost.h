// A small host of the data navigator and a data source over a memory data
// set, for the navigator's tests and pictures. vlNavigatorTest.cpp
// implements the classes.
#pragma once

#include <vector>

#include "lib/editors/vlNavigator.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/db/MemData.h"
#include "platform/vcl/Controls.h"

// A control that shows a navigator in Area and feeds it the mouse, as the
// grid's table view does.
class TTestNavHost : public TCustomControl, public IvlNavigatorOwner {
  CL_CLASS(TTestNavHost, TCustomControl)
 public:
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    LookAndFeel = New<TvlLookAndFeel>(static_cast<TPersistent*>(this));
    LookAndFeel->SetNativeStyle(false);
    LookAndFeel->SetKind(lfStandard);
    ButtonSet = New<TvlNavigatorControlButtons>(static_cast<IvlNavigatorOwner*>(this));
    ViewInfo = New<TvlNavigatorViewInfo>(static_cast<IvlNavigatorOwner*>(this), true);
  }
  void Destroy() override {
    FreeAndNil(ViewInfo);
    FreeAndNil(ButtonSet);
    FreeAndNil(LookAndFeel);
    inherited::Destroy();
  }
  // Lays the navigator out at its natural width and AHeight, from (2, 2).
  void LayOut(Integer AHeight) {
    Area = TRect{2, 2, 2, 2 + AHeight};
    Integer w = 0, h = AHeight;
    ViewInfo->CheckSize(w, h, false);
    Area.Right = Area.Left + w;
    ViewInfo->Calculate();
    if (HandleAllocated()) Invalidate();
  }
  TPoint ButtonCentre(Integer ADefaultIndex) {
    const TRect b = ViewInfo->GetButtonViewInfoByButton(ButtonSet->Buttons(ADefaultIndex))->Bounds;
    return TPoint{(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
  }

  void NotifyNavigatorChange(TvlNavigatorChangeKind AChange) override {
    Changes.push_back(AChange);
    if (HandleAllocated()) Invalidate();
  }
  void GetNavigatorArea(TRect& ABounds) override { ABounds = Area; }
  TvlCustomNavigatorButtons* GetButtonSet() override { return ButtonSet; }
  TCanvas* GetPaintCanvas() override { return Canvas(); }
  TWinControl* GetHostControl() override { return this; }
  Boolean IsHostFocused() override { return Focused(); }
  TvlLookAndFeel* GetHostLookAndFeel() override { return LookAndFeel; }
  TComponent* GetOwnerComponent() override { return this; }
  Boolean HintsEnabled() override { return Hints; }
  Boolean HasTabStop() override { return TabStop(); }
  void RefreshButtonStates() override {
    ++Refreshes;
    ViewInfo->UpdateButtonsEnabled();
  }
  void RelayoutNavigator() override { ViewInfo->Relayout(); }

  TvlLookAndFeel* LookAndFeel{};
  TvlNavigatorControlButtons* ButtonSet{};
  TvlNavigatorViewInfo* ViewInfo{};
  TRect Area{};
  std::vector<TvlNavigatorChangeKind> Changes;
  Boolean Hints = true;
  Integer Refreshes = 0;
  TColor Background = clWhite;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Background);
    Canvas()->FillRect(ClientRect());
    ViewInfo->Paint();
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft) ViewInfo->MouseDown(X, Y);
  }
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override {
    inherited::MouseMove(Shift, X, Y);
    ViewInfo->MouseMove(X, Y);
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    inherited::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft) ViewInfo->MouseUp(X, Y);
  }
};

// The navigator's view of a memory data set, as the grid gives it.
class TTestNavData : public TComponent, public IvlNavigator {
  CL_CLASS(TTestNavData, TComponent)
 public:
  TMemDataSet* DS{};
  Integer PageSize = 5;
  Integer SavedRecNo = 0;
  std::vector<Integer> Actions;
  TvlNavigatorControlNotifier* Notifier{};

  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    Notifier = New<TvlNavigatorControlNotifier>();
  }
  void Destroy() override {
    FreeAndNil(Notifier);
    inherited::Destroy();
  }
  Boolean Active() { return DS && DS->Active(); }
  Boolean IsAppendAllowed() override { return Active() && DS->CanModify(); }
  Boolean IsDeleteAllowed() override { return Active() && DS->CanModify() && DS->RecordCount() > 0; }
  Boolean IsEditAllowed() override { return Active() && DS->CanModify(); }
  Boolean IsInsertAllowed() override { return Active() && DS->CanModify(); }
  Boolean IsDataActive() override { return Active(); }
  Boolean IsAtFirstRecord() override { return !DS || DS->RecNo() <= 1; }
  Boolean HasSavedBookmark() override { return SavedRecNo > 0; }
  Boolean IsInEditState() override { return DS && (DS->State() == dsEdit || DS->State() == dsInsert); }
  Boolean IsAtLastRecord() override { return !DS || DS->RecNo() >= DS->RecordCount(); }
  void DropSavedBookmark() override { SavedRecNo = 0; }
  void ExecuteNavigatorAction(Integer AButtonIndex) override {
    Actions.push_back(AButtonIndex);
    if (!DS) return;
    switch (AButtonIndex) {
      case NBDI_FIRST: DS->First(); break;
      case NBDI_PRIORPAGE: DS->MoveBy(-PageSize); break;
      case NBDI_PRIOR: DS->Prior(); break;
      case NBDI_NEXT: DS->Next(); break;
      case NBDI_NEXTPAGE: DS->MoveBy(PageSize); break;
      case NBDI_LAST: DS->Last(); break;
      case NBDI_INSERT: DS->Insert(); break;
      case NBDI_APPEND: DS->Append(); break;
      case NBDI_DELETE: DS->Delete(); break;
      case NBDI_EDIT: DS->Edit(); break;
      case NBDI_POST: DS->Post(); break;
      case NBDI_CANCEL: DS->Cancel(); break;
      case NBDI_REFRESH: DS->Refresh(); break;
      case NBDI_SAVEBOOKMARK: SavedRecNo = DS->RecNo(); break;
      case NBDI_GOTOBOOKMARK: DS->SetRecNo(SavedRecNo); break;
      default: break;
    }
  }
  TvlNavigatorControlNotifier* GetControlNotifier() override { return Notifier; }
  // A data set freed (after FreeNotification) is no data set.
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == DS) DS = nullptr;
  }
  Boolean IsNavigatorSupported() override { return true; }
  IvlNavigator* Self_() { return this; }
};

