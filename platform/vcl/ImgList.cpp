#include "platform/vcl/ImgList.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Resources.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/win/ImageList.h"

namespace {

using namespace win;

const Char* const SInvalidImageSize = u"Invalid image size";
const Char* const SImageIndexError = u"Invalid ImageList Index";
const Char* const SReplaceImage = u"Unable to Replace Image";
const Char* const SInvalidImageList = u"Invalid ImageList";
const Char* const SImageReadFail = u"Failed to read ImageList data from stream";
const Char* const SImageWriteFail = u"Failed to write ImageList data to stream";

using TBitmapPtr = std::unique_ptr<TBitmap, TObjectFree>;

// Copies image Index of a list (and its mask, when the list has one) into bitmaps.
bool CopyListImage(HIMAGELIST List, Integer Index, TBitmap* Image, TBitmap* Mask) {
  IMAGEINFO info{};
  if (!ImageList_GetImageInfo(List, Index, &info) || !info.hbmImage) return false;
  int w = info.rcImage.right - info.rcImage.left, h = info.rcImage.bottom - info.rcImage.top;
  auto copy = [&](TBitmap* Dest, HBITMAP Strip, TPixelFormat Format) {
    Dest->SetPixelFormat(Format);
    Dest->SetSize(w, h);
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(src, Strip);
    BitBlt(Dest->Canvas()->Handle(), 0, 0, w, h, src, info.rcImage.left, info.rcImage.top, SRCCOPY);
    SelectObject(src, old);
    DeleteDC(src);
  };
  if (Image) copy(Image, info.hbmImage, pf32bit);
  if (Mask && info.hbmMask) copy(Mask, info.hbmMask, pf1bit);
  return info.hbmMask != nullptr;
}

}  // namespace

// --- TChangeLink -------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TChangeLink)

void TChangeLink::Destroy() {
  if (FSender) FSender->UnRegisterChanges(this);
  inherited::Destroy();
}

void TChangeLink::Change() {
  if (Assigned(FOnChange)) FOnChange(FSender);
}

// --- TCustomImageList -------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TCustomImageList)

void TCustomImageList::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FWidth = 16;
  FHeight = 16;
  Initialize();
}

void TCustomImageList::CreateSize(Integer AWidth, Integer AHeight) {
  inherited::Create(nullptr);
  FWidth = AWidth;
  FHeight = AHeight;
  Initialize();
}

void TCustomImageList::Initialize() {
  if (FHeight < 1 || FHeight > 32768 || FWidth < 1) throw EInvalidOperation(SInvalidImageSize);
  FAllocBy = 4;
  FMasked = true;
  FDrawingStyle = dsNormal;
  FImageType = itImage;
  FBkColor = clNone;
  FBlendColor = clNone;
}

void TCustomImageList::Destroy() {
  while (!FClients.empty()) UnRegisterChanges(FClients.back());
  if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
  FHandle = nullptr;
  FreeAndNil(FMonoBitmap);
  inherited::Destroy();
}

COLORREF TCustomImageList::GetRGBColor(TColor Value) {
  if (Value == clNone) return CLR_NONE;
  if (Value == clDefault) return CLR_DEFAULT;
  return static_cast<COLORREF>(ColorToRGB(Value)) & 0x00FFFFFFu;
}

Cardinal TCustomImageList::DrawingFlags(TDrawingStyle ADrawingStyle, TImageType AImageType) {
  static const Cardinal styles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  Cardinal style = ADrawingStyle <= dsTransparent ? styles[ADrawingStyle] : ILD_NORMAL;
  return style | (AImageType == itMask ? ILD_MASK : 0);
}

void TCustomImageList::HandleNeeded() {
  if (FHandle) return;
  FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | (FMasked ? ILC_MASK : 0), FAllocBy, FAllocBy);
  if (!FHandle) throw EInvalidOperation(SInvalidImageList);
  ImageList_SetBkColor(FHandle, GetRGBColor(FBkColor));
}

void TCustomImageList::FreeHandle() {
  if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
  FHandle = nullptr;
  Change();
}

HIMAGELIST TCustomImageList::Handle() {
  HandleNeeded();
  return FHandle;
}

void TCustomImageList::SetHandle(HIMAGELIST Value) {
  if (Value == FHandle) return;
  if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
  FHandle = nullptr;
  if (Value) {
    int w = 0, h = 0;
    if (!ImageList_GetIconSize(Value, &w, &h)) throw EInvalidOperation(SInvalidImageList);
    FWidth = w;
    FHeight = h;
    FHandle = Value;
    COLORREF bk = ImageList_GetBkColor(Value);
    FBkColor = bk == CLR_NONE ? clNone : static_cast<TColor>(bk);
  }
  Change();
}

Integer TCustomImageList::Count() { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

void TCustomImageList::CheckImage(TGraphic* Image) {
  if (Image && (Image->Width() < FWidth || Image->Height() < FHeight)) throw EInvalidOperation(SInvalidImageSize);
}

void TCustomImageList::CheckIndex(Integer Index) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation(SImageIndexError);
}

void TCustomImageList::Change() {
  // Inside BeginUpdate/EndUpdate the change is remembered and told once at the end.
  if (FUpdateCount > 0) {
    FChanged = true;
    return;
  }
  FChanged = false;
  // A link may unregister itself while it is told.
  std::vector<TChangeLink*> clients = FClients;
  for (TChangeLink* link : clients)
    if (std::find(FClients.begin(), FClients.end(), link) != FClients.end()) link->Change();
  if (Assigned(FOnChange)) FOnChange(this);
}

void TCustomImageList::BeginUpdate() { ++FUpdateCount; }

void TCustomImageList::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  if (FChanged) {
    FChanged = false;
    Change();
  }
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
  if (!Value) return;
  Value->SetSender(this);
  FClients.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
  std::erase(FClients, Value);
  if (Value && Value->Sender() == this) Value->SetSender(nullptr);
}

Integer TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  HandleNeeded();
  if (!Image) return -1;
  CheckImage(Image);
  Integer result = ImageList_Add(FHandle, Image->Handle(), Mask ? Mask->Handle() : nullptr);
  Change();
  return result;
}

Integer TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  HandleNeeded();
  if (!Image) return -1;
  CheckImage(Image);
  Integer result;
  if (FMasked && MaskColor != clNone) {
    COLORREF c = MaskColor == clDefault
                     ? static_cast<COLORREF>(Image->Canvas()->Pixels(0, Image->Height() - 1)) & 0x00FFFFFFu
                     : static_cast<COLORREF>(ColorToRGB(MaskColor)) & 0x00FFFFFFu;
    result = ImageList_AddMasked(FHandle, Image->Handle(), c);
  } else {
    result = ImageList_Add(FHandle, Image->Handle(), nullptr);
  }
  Change();
  return result;
}

Integer TCustomImageList::AddIcon(TIcon* Image) {
  HandleNeeded();
  if (!Image || Image->Empty()) return -1;
  CheckImage(Image);
  Integer result = ImageList_AddIcon(FHandle, Image->Handle());
  Change();
  return result;
}

Integer TCustomImageList::AddImage(TCustomImageList* Value, Integer Index) {
  if (!Value || Index < 0 || Index >= Value->Count()) return -1;
  HandleNeeded();
  TBitmapPtr image(New<TBitmap>()), mask(New<TBitmap>());
  bool hasMask = CopyListImage(Value->Handle(), Index, image.get(), mask.get());
  Integer result = Count();
  if (ImageList_Add(FHandle, image->Handle(), hasMask ? mask->Handle() : nullptr) < 0) return -1;
  Change();
  return result;
}

void TCustomImageList::AddImages(TCustomImageList* Value) {
  if (!Value) return;
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  for (Integer i = 0, n = Value->Count(); i < n; ++i) AddImage(Value, i);
}

void TCustomImageList::MoveAddedTo(Integer FromIndex, Integer Index) {
  Integer n = Count() - FromIndex;
  for (Integer k = 0; k < n; ++k)
    for (Integer i = FromIndex + k; i > Index + k; --i) ImageList_Copy(FHandle, i - 1, FHandle, i, ILCF_SWAP);
}

void TCustomImageList::Insert(Integer Index, TBitmap* Image, TBitmap* Mask) {
  if (Index < 0 || Index > Count()) throw EInvalidOperation(SImageIndexError);
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  Integer old = Count();
  if (Add(Image, Mask) >= 0) MoveAddedTo(old, Index);
}

void TCustomImageList::InsertMasked(Integer Index, TBitmap* Image, TColor MaskColor) {
  if (Index < 0 || Index > Count()) throw EInvalidOperation(SImageIndexError);
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  Integer old = Count();
  if (AddMasked(Image, MaskColor) >= 0) MoveAddedTo(old, Index);
}

void TCustomImageList::InsertIcon(Integer Index, TIcon* Image) {
  if (Index < 0 || Index > Count()) throw EInvalidOperation(SImageIndexError);
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  Integer old = Count();
  if (AddIcon(Image) >= 0) MoveAddedTo(old, Index);
}

void TCustomImageList::Replace(Integer Index, TBitmap* Image, TBitmap* Mask) {
  HandleNeeded();
  CheckIndex(Index);
  CheckImage(Image);
  if (!Image || !ImageList_Replace(FHandle, Index, Image->Handle(), Mask ? Mask->Handle() : nullptr))
    throw EInvalidOperation(SReplaceImage);
  Change();
}

void TCustomImageList::ReplaceMasked(Integer Index, TBitmap* NewImage, TColor MaskColor) {
  HandleNeeded();
  CheckIndex(Index);
  if (!NewImage) throw EInvalidOperation(SReplaceImage);
  CheckImage(NewImage);
  if (!FMasked || MaskColor == clNone) {
    Replace(Index, NewImage, nullptr);
    return;
  }
  // The mask of the colour; the image's masked pixels turn black, as AddMasked makes them.
  TBitmapPtr image(New<TBitmap>());
  image->Assign(NewImage);
  image->SetTransparentColor(MaskColor);
  HBITMAP mask = image->ReleaseMaskHandle();
  {
    HDC dc = image->Canvas()->Handle();
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mdc, mask);
    COLORREF text = SetTextColor(dc, RGB(0, 0, 0)), back = win::SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, 0, 0, image->Width(), image->Height(), mdc, 0, 0, 0x00220326);  // DSna
    SetTextColor(dc, text);
    win::SetBkColor(dc, back);
    SelectObject(mdc, old);
    DeleteDC(mdc);
  }
  BOOL ok = ImageList_Replace(FHandle, Index, image->Handle(), mask);
  DeleteObject(mask);
  if (!ok) throw EInvalidOperation(SReplaceImage);
  Change();
}

void TCustomImageList::ReplaceIcon(Integer Index, TIcon* Image) {
  HandleNeeded();
  CheckIndex(Index);
  if (!Image || Image->Empty() || ImageList_ReplaceIcon(FHandle, Index, Image->Handle()) < 0)
    throw EInvalidOperation(SReplaceImage);
  Change();
}

void TCustomImageList::Delete(Integer Index) {
  if (Index >= Count()) throw EInvalidOperation(SImageIndexError);
  if (FHandle) ImageList_Remove(FHandle, Index);
  Change();
}

void TCustomImageList::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  for (Integer i = CurIndex; i < NewIndex; ++i) ImageList_Copy(FHandle, i + 1, FHandle, i, ILCF_SWAP);
  for (Integer i = CurIndex; i > NewIndex; --i) ImageList_Copy(FHandle, i - 1, FHandle, i, ILCF_SWAP);
  Change();
}

Boolean TCustomImageList::GetBitmap(Integer Index, TBitmap* Image) {
  if (!Image || !FHandle || Index < 0 || Index >= Count()) return false;
  Image->SetSize(FWidth, FHeight);
  Draw(Image->Canvas(), 0, 0, Index);
  return true;
}

void TCustomImageList::GetIcon(Integer Index, TIcon* Image) {
  if (!Image || !FHandle) return;
  CheckIndex(Index);
  Image->SetHandle(ImageList_GetIcon(FHandle, Index, DrawingFlags(FDrawingStyle, FImageType)));
}

HBITMAP TCustomImageList::GetImageBitmap() {
  IMAGEINFO info{};
  return ImageList_GetImageInfo(Handle(), 0, &info) ? info.hbmImage : nullptr;
}

HBITMAP TCustomImageList::GetMaskBitmap() {
  IMAGEINFO info{};
  return ImageList_GetImageInfo(Handle(), 0, &info) ? info.hbmMask : nullptr;
}

Boolean TCustomImageList::GetImageInfo(Integer Index, void* ImageInfo) {
  return ImageInfo && ImageList_GetImageInfo(Handle(), Index, static_cast<IMAGEINFO*>(ImageInfo)) != 0;
}

void TCustomImageList::GetImages(Integer Index, TBitmap* Image, TBitmap* Mask) {
  CheckIndex(Index);
  if (!CopyListImage(FHandle, Index, Image, Mask) && Mask) {
    // No mask: every pixel is opaque.
    Mask->SetPixelFormat(pf1bit);
    Mask->SetSize(FWidth, FHeight);
    Mask->Canvas()->Brush()->SetColor(clBlack);
    Mask->Canvas()->FillRect(TRect{0, 0, FWidth, FHeight});
  }
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, Boolean Enabled) {
  Draw(Canvas, X, Y, Index, FDrawingStyle, FImageType, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, Boolean Enabled) {
  if (!FHandle || !Canvas) return;
  DoDraw(Index, Canvas, X, Y, DrawingFlags(ADrawingStyle, AImageType), Enabled);
}

void TCustomImageList::DoDraw(Integer Index, TCanvas* Canvas, Integer X, Integer Y, Cardinal Style,
                              Boolean Enabled) {
  if (!FHandle) return;
  if (Enabled) {
    ImageList_DrawEx(FHandle, Index, Canvas->Handle(), X, Y, 0, 0, GetRGBColor(FBkColor), GetRGBColor(FBlendColor),
                     Style);
    return;
  }
  // Disabled: the image's shape in monochrome, drawn in the highlight colour
  // one pixel down and right, then in the shadow colour.
  constexpr DWORD ROP_DSPDxax = 0x00E20746;
  if (!FMonoBitmap) {
    FMonoBitmap = New<TBitmap>();
    FMonoBitmap->SetMonochrome(true);
  }
  FMonoBitmap->SetSize(FWidth, FHeight);
  FMonoBitmap->Canvas()->Brush()->SetColor(clWhite);
  FMonoBitmap->Canvas()->FillRect(TRect{0, 0, FWidth, FHeight});
  ImageList_DrawEx(FHandle, Index, FMonoBitmap->Canvas()->Handle(), 0, 0, 0, 0, CLR_DEFAULT, 0, ILD_NORMAL);
  HDC src = FMonoBitmap->Canvas()->Handle();
  TColor oldBrush = Canvas->Brush()->Color();
  for (int pass = 0; pass < 2; ++pass) {
    Canvas->Brush()->SetColor(pass == 0 ? clBtnHighlight : clBtnShadow);
    HDC dst = Canvas->Handle();
    COLORREF text = SetTextColor(dst, RGB(255, 255, 255)), back = win::SetBkColor(dst, RGB(0, 0, 0));
    BitBlt(dst, X + (pass == 0 ? 1 : 0), Y + (pass == 0 ? 1 : 0), FWidth, FHeight, src, 0, 0, ROP_DSPDxax);
    SetTextColor(dst, text);
    win::SetBkColor(dst, back);
  }
  Canvas->Brush()->SetColor(oldBrush);
}

Boolean TCustomImageList::Overlay(Integer ImageIndex, Byte Overlay) {
  if (Overlay >= 15 || ImageIndex < 0 || ImageIndex >= Count()) return false;
  FOverlays[Overlay] = ImageIndex + 1;
  return true;
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, Byte Overlay,
                                   Boolean Enabled) {
  Draw(Canvas, X, Y, ImageIndex, Enabled);
  if (Overlay < 15 && FOverlays[Overlay] > 0 && FOverlays[Overlay] <= Count())
    Draw(Canvas, X, Y, FOverlays[Overlay] - 1, FDrawingStyle == dsNormal ? dsTransparent : FDrawingStyle, FImageType,
         Enabled);
}

Boolean TCustomImageList::GetResource(TResType ResType, const String& Name, Integer Width, TLoadResources,
                                      TColor MaskColor) {
  if (ResType != rtBitmap) return false;
  TBitmapPtr bmp(New<TBitmap>());
  try {
    bmp->LoadFromResourceName(HInstance, Name);
  } catch (const EResNotFound&) {
    return false;
  }
  BeginUpdate();
  {
    Finally endUpdate([&] { EndUpdate(); });
    if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
    FHandle = nullptr;
    FWidth = Width > 0 ? Width : bmp->Height();
    FHeight = bmp->Height();
    HandleNeeded();
    AddMasked(bmp.get(), MaskColor);
  }
  return true;
}

Boolean TCustomImageList::ResourceLoad(TResType ResType, const String& Name, TColor MaskColor) {
  if (ResType != rtBitmap) return false;
  TBitmapPtr bmp(New<TBitmap>());
  try {
    bmp->LoadFromResourceName(HInstance, Name);
  } catch (const EResNotFound&) {
    return false;
  }
  AddMasked(bmp.get(), MaskColor);
  return true;
}

Boolean TCustomImageList::GetInstRes(void*, TResType ResType, const String& Name, Integer Width,
                                     TLoadResources LoadFlags, TColor MaskColor) {
  return GetResource(ResType, Name, Width, LoadFlags, MaskColor);
}

Boolean TCustomImageList::ResInstLoad(void*, TResType ResType, const String& Name, TColor MaskColor) {
  return ResourceLoad(ResType, Name, MaskColor);
}

Boolean TCustomImageList::FileLoad(TResType ResType, const String& Name, TColor MaskColor) {
  if (ResType != rtBitmap) return false;
  TBitmapPtr bmp(New<TBitmap>());
  bmp->LoadFromFile(Name);
  AddMasked(bmp.get(), MaskColor);
  return true;
}

void TCustomImageList::SetWidth(Integer Value) {
  if (Value == FWidth) return;
  if (Value < 1) throw EInvalidOperation(SInvalidImageSize);
  FWidth = Value;
  if (FHandle) ImageList_SetIconSize(FHandle, FWidth, FHeight);
  Clear();
}

void TCustomImageList::SetHeight(Integer Value) {
  if (Value == FHeight) return;
  if (Value < 1 || Value > 32768) throw EInvalidOperation(SInvalidImageSize);
  FHeight = Value;
  if (FHandle) ImageList_SetIconSize(FHandle, FWidth, FHeight);
  Clear();
}

void TCustomImageList::SetBkColor(TColor Value) {
  if (Value == FBkColor) return;
  FBkColor = Value;
  if (FHandle) ImageList_SetBkColor(FHandle, GetRGBColor(Value));
  Change();
}

void TCustomImageList::SetBlendColor(TColor Value) {
  if (Value == FBlendColor) return;
  FBlendColor = Value;
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
  if (Value == FDrawingStyle) return;
  FDrawingStyle = Value;
  Change();
}

void TCustomImageList::SetImageType(TImageType Value) {
  if (Value == FImageType) return;
  FImageType = Value;
  Change();
}

void TCustomImageList::RecreateHandle() {
  HIMAGELIST old = FHandle;
  FHandle = nullptr;
  HandleNeeded();
  if (old) {
    for (Integer i = 0, n = ImageList_GetImageCount(old); i < n; ++i) {
      TBitmapPtr image(New<TBitmap>()), mask(New<TBitmap>());
      bool hasMask = CopyListImage(old, i, image.get(), mask.get());
      ImageList_Add(FHandle, image->Handle(), FMasked && hasMask ? mask->Handle() : nullptr);
    }
    if (!FShareImages) ImageList_Destroy(old);
  }
}

void TCustomImageList::SetMasked(Boolean Value) {
  if (Value == FMasked) return;
  FMasked = Value;
  if (FHandle) RecreateHandle();
  Change();
}

void TCustomImageList::Assign(TPersistent* Source) {
  if (!Source) {
    FreeHandle();
    return;
  }
  if (Is<TCustomImageList>(Source)) {
    auto* list = static_cast<TCustomImageList*>(Source);
    if (list == this) return;
    BeginUpdate();
    {
      Finally endUpdate([&] { EndUpdate(); });
      if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
      FHandle = nullptr;
      FMasked = list->FMasked;
      FImageType = list->FImageType;
      FDrawingStyle = list->FDrawingStyle;
      FShareImages = list->FShareImages;
      FWidth = list->FWidth;
      FHeight = list->FHeight;
      FAllocBy = list->FAllocBy;
      FBkColor = list->FBkColor;
      FBlendColor = list->FBlendColor;
      HandleNeeded();
      AddImages(list);
      Change();
    }
    return;
  }
  inherited::Assign(Source);
}

void TCustomImageList::AssignTo(TPersistent* Dest) { inherited::AssignTo(Dest); }

Boolean TCustomImageList::Equal(TCustomImageList* IL) {
  if (!IL || Count() != IL->Count()) return false;
  if (Count() == 0) return true;
  std::unique_ptr<TMemoryStream, TObjectFree> a(New<TMemoryStream>()), b(New<TMemoryStream>());
  WriteData(a.get());
  IL->WriteData(b.get());
  return a->Size() == b->Size() && std::memcmp(a->Memory(), b->Memory(), static_cast<size_t>(a->Size())) == 0;
}

void TCustomImageList::ReadData(TStream* Stream) {
  HIMAGELIST h = ImageList_Read(Stream);
  if (!h) throw EReadError(SImageReadFail);
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  SetHandle(h);
}

void TCustomImageList::WriteData(TStream* Stream) {
  if (!ImageList_Write(Handle(), Stream)) throw EWriteError(SImageWriteFail);
}

void TCustomImageList::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  TPersistent* ancestor = Filer->Ancestor();
  Boolean write = ancestor ? (!Is<TCustomImageList>(ancestor) || !Equal(static_cast<TCustomImageList*>(ancestor)))
                           : Count() > 0;
  Filer->DefineBinaryProperty(u"Bitmap", TStreamProc(this, &TCustomImageList::ReadData),
                              TStreamProc(this, &TCustomImageList::WriteData), write);
}

// --- TDragImageList -------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TDragImageList)

void TDragImageList::Destroy() {
  EndDrag();
  inherited::Destroy();
}

Boolean TDragImageList::SetDragImage(Integer Index, Integer HotSpotX, Integer HotSpotY) {
  if (Index < 0 || Index >= Count()) return false;
  if (FDragging && !ImageList_SetDragCursorImage(Handle(), Index, HotSpotX, HotSpotY)) return false;
  FDragIndex = Index;
  FDragHotspot = TPoint{HotSpotX, HotSpotY};
  return true;
}

Boolean TDragImageList::BeginDrag(HWND Window, Integer X, Integer Y) {
  if (!HandleAllocated() || FDragIndex < 0 || FDragIndex >= Count()) return false;
  if (!ImageList_BeginDrag(Handle(), FDragIndex, FDragHotspot.X, FDragHotspot.Y)) return false;
  FDragging = true;
  FDragHandle = nullptr;
  return DragLock(Window, X, Y);
}

Boolean TDragImageList::DragLock(HWND Window, Integer XPos, Integer YPos) {
  if (!FDragging) return false;
  if (Window != FDragHandle) DragUnlock();
  FDragHandle = Window;
  return ImageList_DragEnter(Window, XPos, YPos) != 0;
}

Boolean TDragImageList::DragMove(Integer X, Integer Y) {
  return FDragging && ImageList_DragMove(X, Y);
}

void TDragImageList::DragUnlock() {
  if (FDragging) ImageList_DragLeave(FDragHandle);
  FDragHandle = nullptr;
}

Boolean TDragImageList::EndDrag() {
  if (!FDragging) return false;
  DragUnlock();
  ImageList_EndDrag();
  FDragging = false;
  return true;
}

void TDragImageList::HideDragImage() {
  if (FDragging) ImageList_DragShowNolock(false);
}

void TDragImageList::ShowDragImage() {
  if (FDragging) ImageList_DragShowNolock(true);
}

// --- TImageList ----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TImageList, P) {
  P.Property(u"BlendColor", &TImageList::BlendColor, &TImageList::SetBlendColor).Type(TypeInfoTColor()).Default(clNone);
  P.Property(u"BkColor", &TImageList::BkColor, &TImageList::SetBkColor).Type(TypeInfoTColor()).Default(clNone);
  P.Property(u"AllocBy", &TImageList::AllocBy, &TImageList::SetAllocBy).Default(4);
  P.Property(u"DrawingStyle", &TImageList::DrawingStyle, &TImageList::SetDrawingStyle).Default(dsNormal);
  P.Property(u"Height", &TImageList::Height, &TImageList::SetHeight).Default(16);
  P.Property(u"ImageType", &TImageList::ImageType, &TImageList::SetImageType).Default(itImage);
  P.Property(u"Masked", &TImageList::Masked, &TImageList::SetMasked).Default(true);
  P.Property(u"OnChange", &TImageList::OnChange, &TImageList::SetOnChange);
  P.Property(u"ShareImages", &TImageList::ShareImages, &TImageList::SetShareImages).Default(false);
  P.Property(u"Width", &TImageList::Width, &TImageList::SetWidth).Default(16);
}

namespace {

void ImgListStartup() { RegisterClass(TImageList::StaticClass()); }
void ImgListShutdown() { UnRegisterClass(TImageList::StaticClass()); }

}  // namespace

CL_UNIT_STEPS(ImgList, &ImgListStartup, &ImgListShutdown);
