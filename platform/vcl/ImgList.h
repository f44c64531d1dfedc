// Image lists: lists of equally sized images over the GDI layer's image
// lists (ImageList_*), with change links that tell their users of changes.
#pragma once

#include <vector>

#include "platform/classes/Classes.h"
#include "platform/vcl/Graphics.h"

class TCustomImageList;
class TIcon;

// A user's link to an image list: Change calls OnChange; freeing the link
// unregisters it, and freeing the list clears Sender.
class TChangeLink : public TObject {
  CL_CLASS(TChangeLink, TObject)
 public:
  void Destroy() override;
  virtual void Change();

  TCustomImageList* Sender() const { return FSender; }
  void SetSender(TCustomImageList* Value) { FSender = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

 private:
  TCustomImageList* FSender{};
  TNotifyEvent FOnChange;
};

CL_ENUM(TDrawingStyle, Byte, dsFocus, dsSelected, dsNormal, dsTransparent)
CL_ENUM(TImageType, Byte, itImage, itMask)
CL_ENUM(TResType, Byte, rtBitmap, rtCursor, rtIcon)
CL_ENUM(TLoadResource, Byte, lrDefaultColor, lrDefaultSize, lrFromFile, lrMap3DColors, lrTransparent,
        lrMonoChrome)
using TLoadResources = TSet<TLoadResource, 1>;

class TCustomImageList : public TComponent {
  CL_CLASS(TCustomImageList, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  // A list without owner of the given image size.
  virtual void CreateSize(Integer AWidth, Integer AHeight);
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  // Editing. Images wider than the list hold several images side by side.
  // Images smaller than the list raise EInvalidOperation "Invalid image size".
  Integer Add(TBitmap* Image, TBitmap* Mask);
  // MaskColor's pixels become transparent: clDefault takes the bottom-left
  // pixel, clNone adds without mask.
  Integer AddMasked(TBitmap* Image, TColor MaskColor);
  Integer AddIcon(TIcon* Image);
  // Copies image Index of Value; -1 when there is none.
  Integer AddImage(TCustomImageList* Value, Integer Index);
  void AddImages(TCustomImageList* Value);
  void Insert(Integer Index, TBitmap* Image, TBitmap* Mask);
  void InsertMasked(Integer Index, TBitmap* Image, TColor MaskColor);
  void InsertIcon(Integer Index, TIcon* Image);
  void Replace(Integer Index, TBitmap* Image, TBitmap* Mask);
  void ReplaceMasked(Integer Index, TBitmap* NewImage, TColor MaskColor);
  void ReplaceIcon(Integer Index, TIcon* Image);
  // Index -1 deletes every image; another bad index raises EInvalidOperation.
  void Delete(Integer Index);
  void Move(Integer CurIndex, Integer NewIndex);
  void Clear() { Delete(-1); }

  // Reading images.
  // Draws image Index on Image (sized to the list) over its current pixels.
  Boolean GetBitmap(Integer Index, TBitmap* Image);
  void GetIcon(Integer Index, TIcon* Image);
  // The list's strip bitmaps (owned by the list).
  win::HBITMAP GetImageBitmap();
  win::HBITMAP GetMaskBitmap();
  // The strip bitmaps and the image's rectangle in them.
  Boolean GetImageInfo(Integer Index, void* ImageInfo);
  // Copies image Index and its mask (1 = transparent) into the bitmaps (either may be nil).
  void GetImages(Integer Index, TBitmap* Image, TBitmap* Mask);

  // Drawing. Disabled images are drawn as an embossed shape in the button
  // highlight and shadow colours.
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, Boolean Enabled = true);
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle,
            TImageType AImageType, Boolean Enabled = true);

  // Overlays: image ImageIndex becomes overlay number Overlay (0..14);
  // DrawOverlay draws an image with that overlay image over it.
  Boolean Overlay(Integer ImageIndex, Byte Overlay);
  void DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, Byte Overlay, Boolean Enabled = true);

  // Loading from resources and files (bitmaps only; the module argument is
  // accepted for the platform's shape: every resource is in the program).
  // GetResource replaces the list by the bitmap's images (Width 0: square
  // images of the bitmap's height); the loaders add them to the list.
  virtual Boolean GetResource(TResType ResType, const String& Name, Integer Width, TLoadResources LoadFlags,
                              TColor MaskColor);
  virtual Boolean GetInstRes(void* Instance, TResType ResType, const String& Name, Integer Width,
                             TLoadResources LoadFlags, TColor MaskColor);
  virtual Boolean ResourceLoad(TResType ResType, const String& Name, TColor MaskColor);
  virtual Boolean ResInstLoad(void* Instance, TResType ResType, const String& Name, TColor MaskColor);
  virtual Boolean FileLoad(TResType ResType, const String& Name, TColor MaskColor);

  // Change links.
  void RegisterChanges(TChangeLink* Value);
  void UnRegisterChanges(TChangeLink* Value);
  void BeginUpdate();
  void EndUpdate();

  // Properties.
  win::HIMAGELIST Handle();
  // Takes the list over (its image size becomes the list's).
  void SetHandle(win::HIMAGELIST Value);
  Boolean HandleAllocated() const { return FHandle != nullptr; }
  Integer Count();
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value);
  Integer AllocBy() const { return FAllocBy; }
  void SetAllocBy(Integer Value) { FAllocBy = Value; }
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor Value);
  TColor BlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor Value);
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle Value);
  TImageType ImageType() const { return FImageType; }
  void SetImageType(TImageType Value);
  Boolean Masked() const { return FMasked; }
  void SetMasked(Boolean Value);
  // A shared list's handle is not destroyed with the list.
  Boolean ShareImages() const { return FShareImages; }
  void SetShareImages(Boolean Value) { FShareImages = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

  // Whether the two lists write the same form data.
  Boolean Equal(TCustomImageList* IL);

 protected:
  virtual void Change();
  virtual void DoDraw(Integer Index, TCanvas* Canvas, Integer X, Integer Y, Cardinal Style, Boolean Enabled);
  virtual void Initialize();
  void DefineProperties(TFiler* Filer) override;
  void AssignTo(TPersistent* Dest) override;
  void HandleNeeded();
  void FreeHandle();
  // The ILD_ flags of a drawing style and image type.
  static Cardinal DrawingFlags(TDrawingStyle ADrawingStyle, TImageType AImageType);
  // A colour for the ImageList_ functions (clNone -> CLR_NONE, clDefault -> CLR_DEFAULT).
  static win::COLORREF GetRGBColor(TColor Value);

 private:
  void CheckImage(TGraphic* Image);
  void CheckIndex(Integer Index);
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);
  // Moves the images from FromIndex..Count-1 to Index, keeping their order.
  void MoveAddedTo(Integer FromIndex, Integer Index);
  void RecreateHandle();

  win::HIMAGELIST FHandle{};
  Integer FWidth{};
  Integer FHeight{};
  Integer FAllocBy{};
  TColor FBkColor{};
  TColor FBlendColor{};
  TDrawingStyle FDrawingStyle{};
  TImageType FImageType{};
  Boolean FMasked{};
  Boolean FShareImages{};
  Integer FUpdateCount{};
  Boolean FChanged{};
  std::vector<TChangeLink*> FClients;
  TNotifyEvent FOnChange;
  TBitmap* FMonoBitmap{};
  Integer FOverlays[15]{};  // image index + 1 of each overlay, 0 when unset
};

// A drag image list: the drag of the GDI layer (ImageList_BeginDrag ...),
// which shows the image in a window of its own over the screen. The image
// dragged is DragIndex with its hot spot; positions are relative to the
// window passed to BeginDrag/DragLock (its window rectangle).
class TDragImageList : public TCustomImageList {
  CL_CLASS(TDragImageList, TCustomImageList)
 public:
  // A list freed during its drag ends the drag.
  void Destroy() override;
  Boolean BeginDrag(win::HWND Window, Integer X, Integer Y);
  Boolean DragLock(win::HWND Window, Integer XPos, Integer YPos);
  Boolean DragMove(Integer X, Integer Y);
  void DragUnlock();
  Boolean EndDrag();
  TPoint GetHotSpot() const { return FDragHotspot; }
  void HideDragImage();
  void ShowDragImage();
  // Sets the image dragged; during a drag it becomes the drag's cursor image
  // (ImageList_SetDragCursorImage).
  Boolean SetDragImage(Integer Index, Integer HotSpotX, Integer HotSpotY);
  Boolean Dragging() const { return FDragging; }

 private:
  Integer FDragIndex{};
  TPoint FDragHotspot{};
  Boolean FDragging{};
  win::HWND FDragHandle{};
};

// The published image list.
class TImageList : public TDragImageList {
  CL_CLASS(TImageList, TDragImageList)
};
