#include "lib/foundation/vlImageList.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "lib/foundation/nbCore.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/win/Gdi.h"
#include "platform/win/ImageList.h"

using namespace win;

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

// Copies ASrcRect of a system bitmap into ADest, sized to it, in the format.
void CopyFromHandle(HBITMAP ASource, const TRect& ASrcRect, TBitmap* ADest, TPixelFormat AFormat) {
  ADest->SetPixelFormat(AFormat);
  ADest->SetSize(ASrcRect.Width(), ASrcRect.Height());
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, ASource);
  BitBlt(ADest->Canvas()->Handle(), 0, 0, ASrcRect.Width(), ASrcRect.Height(), dc, ASrcRect.Left, ASrcRect.Top,
         SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
}

// Size and pixels of ASource, in its own format.
void CopySizeAndPixels(TBitmap* ASource, TBitmap* ADest) {
  if (!ADest) return;
  ADest->Assign(ASource);
}

// A 1-bit bitmap with every pixel 0 (opaque).
TBitmap* NewEmptyMask(Integer AWidth, Integer AHeight) {
  TBitmap* mask = New<TBitmap>();
  mask->SetPixelFormat(pf1bit);
  mask->SetSize(AWidth, AHeight);
  const RECT r{0, 0, AWidth, AHeight};
  FillRect(mask->Canvas()->Handle(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  return mask;
}

}  // namespace

CL_IMPLEMENT_CLASS(TvlImageInfo)
CL_IMPLEMENT_CLASS_PUBLISHED(TvlImageInfoItem, P) {
  P.Property(u"Image", &TvlImageInfoItem::Image, &TvlImageInfoItem::SetImage);
  P.Property(u"Mask", &TvlImageInfoItem::Mask, &TvlImageInfoItem::SetMask);
  P.Property(u"MaskColor", &TvlImageInfoItem::MaskColor, &TvlImageInfoItem::SetMaskColor).Type(TypeInfoTColor());
}
CL_IMPLEMENT_CLASS(TvlImageInfoCollection)
CL_IMPLEMENT_CLASS_PUBLISHED(TvlImageList, P) {
  P.Property(u"BlendColor", &TvlImageList::BlendColor, &TvlImageList::SetBlendColor)
      .Type(TypeInfoTColor())
      .Default(clNone);
  P.Property(u"BkColor", &TvlImageList::BkColor, &TvlImageList::SetBkColor).Type(TypeInfoTColor()).Default(clNone);
  P.Property(u"CompressData", &TvlImageList::CompressData, &TvlImageList::SetCompressData).Default(false);
  P.Property(u"DrawingStyle", &TvlImageList::DrawingStyle, &TvlImageList::SetDrawingStyle).Default(dsNormal);
  P.Property(u"Height", &TvlImageList::Height, &TvlImageList::SetHeight).Default(16);
  P.Property(u"ImageType", &TvlImageList::ImageType, &TvlImageList::SetImageType).Default(itImage);
  P.Property(u"ShareImages", &TvlImageList::ShareImages, &TvlImageList::SetShareImages).Default(false);
  P.Property(u"Width", &TvlImageList::Width, &TvlImageList::SetWidth).Default(16);
  P.Property(u"OnChange", &TvlImageList::OnChange, &TvlImageList::SetOnChange);
}

// --- TvlImageInfo ---------------------------------------------------------------------------

void TvlImageInfo::Create() {
  FImage = New<TvlBitmap>();
  FMask = New<TvlBitmap>();
  FMaskColor = clNone;
}

void TvlImageInfo::Destroy() {
  FreeAndNil(FImage);
  FreeAndNil(FMask);
  inherited::Destroy();
}

void TvlImageInfo::Assign(TPersistent* Source) {
  if (auto* info = dynamic_cast<TvlImageInfo*>(Source)) {
    SetImage(info->FImage);
    SetMask(info->FMask);
    FMaskColor = info->FMaskColor;
  } else {
    inherited::Assign(Source);
  }
}

void TvlImageInfo::SetImage(TvlBitmap* Value) { FImage->Assign(Value); }

void TvlImageInfo::SetMask(TvlBitmap* Value) { FMask->Assign(Value); }

// --- TvlImageInfoItem -----------------------------------------------------------------------

void TvlImageInfoItem::Create(TCollection* Collection) {
  FImageInfo = New<TvlImageInfo>();
  inherited::Create(Collection);
  if (auto* infos = dynamic_cast<TvlImageInfoCollection*>(Collection)) SetCompressData(infos->CompressData());
}

void TvlImageInfoItem::Destroy() {
  inherited::Destroy();
  FreeAndNil(FImageInfo);
}

void TvlImageInfoItem::Assign(TPersistent* Source) {
  if (auto* item = dynamic_cast<TvlImageInfoItem*>(Source))
    FImageInfo->Assign(item->FImageInfo);
  else
    inherited::Assign(Source);
}

Boolean TvlImageInfoItem::CompressData() const { return Image()->CompressData() && Mask()->CompressData(); }

void TvlImageInfoItem::SetCompressData(Boolean Value) {
  Image()->SetCompressData(Value);
  Mask()->SetCompressData(Value);
}

// --- TvlImageInfoCollection -------------------------------------------------------------------

void TvlImageInfoCollection::Create(TvlImageList* AImageList) {
  inherited::Create(ClassOf<TvlImageInfoItem>());
  FImageList = AImageList;
}

TPersistent* TvlImageInfoCollection::GetOwner() { return FImageList; }

void TvlImageInfoCollection::SetCompressData(Boolean Value) {
  FCompressData = Value;
  for (Integer i = 0; i < Count(); ++i) Items(i)->SetCompressData(Value);
}

TvlImageInfoItem* TvlImageInfoCollection::AddInfo(TBitmap* AImage, TBitmap* AMask, TColor AMaskColor) {
  auto* item = static_cast<TvlImageInfoItem*>(Add());
  item->Image()->Assign(AImage);
  if (AMask) item->Mask()->Assign(AMask);
  item->SetMaskColor(AMaskColor);
  item->Image()->Dormant();
  return item;
}

// --- TvlImageList ---------------------------------------------------------------------------

void TvlImageList::Initialize() {
  inherited::Initialize();
  if (!FImageInfo) FImageInfo = New<TvlImageInfoCollection>(this);
  FAlphaBlending = true;
  inherited::SetHandle(ImageList_Create(Width(), Height(), ILC_COLOR32 | ILC_MASK, AllocBy(), AllocBy()));
}

void TvlImageList::Destroy() {
  inherited::Destroy();
  FreeAndNil(FImageInfo);
}

void TvlImageList::BeginUpdate() { ++FLockCount; }

void TvlImageList::EndUpdate(Boolean AForceUpdate) {
  if (FLockCount <= 0) return;
  --FLockCount;
  if (AForceUpdate) Change();
}

void TvlImageList::Change() {
  if (FLockCount == 0) inherited::Change();
}

Integer TvlImageList::ImagesIn(TBitmap* AImage) {
  const Integer w = AImage->Width(), h = AImage->Height();
  if (Width() > 0 && Height() > 0 && w % Width() == 0 && h % Height() == 0) return (w / Width()) * (h / Height());
  return 1;
}

void TvlImageList::AddToInfo(TBitmap* AImage, TBitmap* AMask, TColor AMaskColor) {
  const Integer w = AImage->Width(), h = AImage->Height();
  const Boolean tiles = w % Width() == 0 && h % Height() == 0 && (w != Width() || h != Height());
  if (!tiles) {
    FImageInfo->AddInfo(AImage, AMask, AMaskColor);
    return;
  }
  for (Integer y = 0; y < h; y += Height())
    for (Integer x = 0; x < w; x += Width()) {
      Owned<TvlBitmap> image(vlNewBitmap(Width(), Height(), AImage->PixelFormat()));
      image->CopyBitmap(AImage, image->ClientRect(), cmSrcCopy, Point(x, y));
      Owned<TvlBitmap> mask;
      if (AMask) {
        mask.reset(vlNewBitmap(Width(), Height(), AMask->PixelFormat()));
        mask->CopyBitmap(AMask, mask->ClientRect(), cmSrcCopy, Point(x, y));
      }
      FImageInfo->AddInfo(image.get(), mask.get(), AMaskColor);
    }
}

Integer TvlImageList::Add(TBitmap* AImage, TBitmap* AMask) {
  if (!AImage) return -1;
  Owned<TBitmap> created;
  TBitmap* mask = AMask;
  // The mask made for an image without one covers the whole bitmap (a strip
  // holds several images), every pixel opaque.
  if (!mask) created.reset(mask = NewEmptyMask(AImage->Width(), AImage->Height()));
  const Integer result = ImageList_Add(Handle(), AImage->Handle(), mask->Handle());
  if (!FSynchronizing && result >= 0) AddToInfo(AImage, AMask, clNone);
  Change();
  return result;
}

Integer TvlImageList::AddMasked(TBitmap* AImage, TColor AMaskColor) {
  if (!AImage) return -1;
  if (AMaskColor == clNone) return Add(AImage, nullptr);
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  Owned<TBitmap> copy(New<TBitmap>());
  copy->Assign(AImage);
  const Integer result = ImageList_AddMasked(Handle(), copy->Handle(), COLORREF(ColorToRGB(AMaskColor)));
  if (!FSynchronizing && result >= 0) AddToInfo(AImage, nullptr, AMaskColor);
  return result;
}

Integer TvlImageList::AddIcon(TIcon* AIcon) {
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  const Integer result = inherited::AddIcon(AIcon);
  if (!FSynchronizing && result >= 0) {
    Owned<TBitmap> image(New<TBitmap>()), mask(New<TBitmap>());
    GetImageInfo(Handle(), result, mask.get(), image.get());
    FImageInfo->AddInfo(image.get(), mask.get(), clNone);
  }
  return result;
}

// Adds at the end, then moves each added image k to AIndex + k.
template <class TAdd>
void TvlImageList::InsertBy(Integer AIndex, Integer AImages, TAdd AAdd) {
  if (AIndex < 0 || AIndex > Count()) return;
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  const Integer first = Count();
  if (AAdd() < 0) return;
  for (Integer k = 0; k < AImages; ++k) Move(first + k, AIndex + k);
}

void TvlImageList::Insert(Integer AIndex, TBitmap* AImage, TBitmap* AMask) {
  if (AImage) InsertBy(AIndex, ImagesIn(AImage), [&] { return Add(AImage, AMask); });
}

void TvlImageList::InsertMasked(Integer AIndex, TBitmap* AImage, TColor AMaskColor) {
  if (AImage) InsertBy(AIndex, ImagesIn(AImage), [&] { return AddMasked(AImage, AMaskColor); });
}

void TvlImageList::InsertIcon(Integer AIndex, TIcon* AIcon) {
  InsertBy(AIndex, 1, [&] { return AddIcon(AIcon); });
}

void TvlImageList::Replace(Integer AIndex, TBitmap* AImage, TBitmap* AMask) {
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  Delete(AIndex);
  Insert(AIndex, AImage, AMask);
}

void TvlImageList::ReplaceMasked(Integer AIndex, TBitmap* AImage, TColor AMaskColor) {
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  Delete(AIndex);
  InsertMasked(AIndex, AImage, AMaskColor);
}

void TvlImageList::ReplaceIcon(Integer AIndex, TIcon* AIcon) {
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  Delete(AIndex);
  InsertIcon(AIndex, AIcon);
}

void TvlImageList::Move(Integer ACurIndex, Integer ANewIndex) {
  if (ACurIndex == ANewIndex) return;
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  inherited::Move(ACurIndex, ANewIndex);
  if (ACurIndex < FImageInfo->Count() && ANewIndex < FImageInfo->Count())
    FImageInfo->Items(ACurIndex)->SetIndex(ANewIndex);
}

void TvlImageList::Delete(Integer AIndex) {
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  inherited::Delete(AIndex);
  if (AIndex < 0)
    FImageInfo->Clear();
  else if (AIndex < FImageInfo->Count())
    FImageInfo->Delete(AIndex);
}

Integer TvlImageList::AddImage(TCustomImageList* AImages, Integer AIndex) {
  if (!AImages || AIndex >= AImages->Count()) return -1;
  const Integer result = Count();
  CopyImages(AImages, AIndex, AIndex);
  return result;
}

void TvlImageList::AddImages(TCustomImageList* AImages) {
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  CopyImages(AImages);
}

void TvlImageList::CopyImages(TCustomImageList* AImages, Integer AStartIndex, Integer AEndIndex) {
  if (!AImages) return;
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  Owned<TvlImageList> source(New<TvlImageList>(nullptr));
  source->Assign(AImages);
  const Integer last = AEndIndex < 0 ? source->Count() - 1 : std::min(AEndIndex, source->Count() - 1);
  for (Integer i = std::max(AStartIndex, 0); i <= last; ++i) {
    TvlImageInfoItem* item = source->FImageInfo->Items(i);
    if (!item->Mask()->Empty())
      Add(item->Image(), item->Mask());
    else
      AddMasked(item->Image(), item->MaskColor());
  }
}

Boolean TvlImageList::LoadImage(void* AInstance, const String& AResourceName, Integer AWidth, TColor AMaskColor,
                                TLoadResources AFlags) {
  COLORREF mask = AMaskColor == clNone      ? CLR_NONE
                  : AMaskColor == clDefault ? CLR_DEFAULT
                                            : COLORREF(ColorToRGB(AMaskColor));
  UINT flags = LR_CREATEDIBSECTION;
  if (AFlags.Contains(lrDefaultColor)) flags |= LR_DEFAULTCOLOR;
  if (AFlags.Contains(lrDefaultSize)) flags |= LR_DEFAULTSIZE;
  if (AFlags.Contains(lrFromFile)) flags |= LR_LOADFROMFILE;
  if (AFlags.Contains(lrMap3DColors)) flags |= LR_LOADMAP3DCOLORS;
  if (AFlags.Contains(lrTransparent)) flags |= LR_LOADTRANSPARENT;
  if (AFlags.Contains(lrMonoChrome)) flags |= LR_MONOCHROME;
  HIMAGELIST loaded =
      ImageList_LoadImageW(static_cast<HINSTANCE>(AInstance), AResourceName.c_str(), AWidth, AllocBy(), mask, IMAGE_BITMAP, flags);
  if (!loaded) return false;
  Owned<TImageList> list(New<TImageList>(nullptr));
  list->SetHandle(loaded);
  CopyImages(list.get());
  return true;
}

Boolean TvlImageList::GetResource(TResType ResType, const String& Name, Integer Width, TLoadResources LoadFlags,
                                  TColor MaskColor) {
  const Boolean result = inherited::GetResource(ResType, Name, Width, LoadFlags, MaskColor);
  ConvertInfoFromSystemList();
  return result;
}

Boolean TvlImageList::GetInstRes(void* Instance, TResType ResType, const String& Name, Integer Width,
                                 TLoadResources LoadFlags, TColor MaskColor) {
  const Boolean result = inherited::GetInstRes(Instance, ResType, Name, Width, LoadFlags, MaskColor);
  ConvertInfoFromSystemList();
  return result;
}

Boolean TvlImageList::ResourceLoad(TResType ResType, const String& Name, TColor MaskColor) {
  const Boolean result = inherited::ResourceLoad(ResType, Name, MaskColor);
  ConvertInfoFromSystemList();
  return result;
}

Boolean TvlImageList::ResInstLoad(void* Instance, TResType ResType, const String& Name, TColor MaskColor) {
  const Boolean result = inherited::ResInstLoad(Instance, ResType, Name, MaskColor);
  ConvertInfoFromSystemList();
  return result;
}

void TvlImageList::Assign(TPersistent* Source) {
  auto* list = dynamic_cast<TCustomImageList*>(Source);
  if (!list || list == this) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  inherited::Assign(Source);
  Clear();
  if (auto* vl = dynamic_cast<TvlImageList*>(list)) {
    for (Integer i = 0; i < vl->FImageInfo->Count(); ++i) {
      TvlImageInfoItem* item = vl->FImageInfo->Items(i);
      if (!item->Mask()->Empty())
        Add(item->Image(), item->Mask());
      else
        AddMasked(item->Image(), item->MaskColor());
    }
    return;
  }
  for (Integer i = 0; i < list->Count(); ++i) {
    Owned<TBitmap> image(New<TBitmap>()), mask(New<TBitmap>());
    GetImageInfo(list->Handle(), i, mask.get(), image.get());
    Add(image.get(), mask.get());
  }
}

void TvlImageList::SetHandle(HIMAGELIST Value) {
  Owned<TImageList> list(New<TImageList>(nullptr));
  list->SetHandle(Value);
  Assign(list.get());
}

void TvlImageList::ConvertInfoFromSystemList() {
  FImageInfo->Clear();
  for (Integer i = 0; i < Count(); ++i) {
    Owned<TBitmap> image(New<TBitmap>()), mask(New<TBitmap>());
    GetImageInfo(Handle(), i, mask.get(), image.get());
    FImageInfo->AddInfo(image.get(), mask.get(), clNone);
  }
}

void TvlImageList::SynchronizeSystemList() {
  FSynchronizing = true;
  BeginUpdate();
  Finally end([&] {
    EndUpdate();
    FSynchronizing = false;
  });
  inherited::Delete(-1);
  for (Integer i = 0; i < FImageInfo->Count(); ++i) {
    TvlImageInfoItem* item = FImageInfo->Items(i);
    if (!item->Mask()->Empty())
      Add(item->Image(), item->Mask());
    else
      AddMasked(item->Image(), item->MaskColor());
  }
}

void TvlImageList::GetImageInfo(Integer AIndex, TBitmap* AImage, TBitmap* AMask) {
  if (AIndex < 0 || AIndex >= Count()) return;
  TvlImageInfoItem* item = AIndex < FImageInfo->Count() ? FImageInfo->Items(AIndex) : nullptr;
  if (item && (vlGetBitmapBitsPerPixel(item->Image()) == 32 || nbOSWin9xFamily)) {
    CopySizeAndPixels(item->Image(), AImage);
    CopySizeAndPixels(item->Mask(), AMask);
  } else {
    GetImageInfo(Handle(), AIndex, AMask, AImage);
  }
}

void TvlImageList::GetImageInfo(HIMAGELIST AHandle, Integer AIndex, TBitmap* AMask, TBitmap* AImage) {
  IMAGEINFO info{};
  if (!ImageList_GetImageInfo(AHandle, std::max(AIndex, 0), &info)) return;
  TRect rect = info.rcImage;
  if (AIndex < 0) {
    BITMAP bm{};
    GetObjectW(info.hbmImage, sizeof(bm), &bm);
    rect = Rect(0, 0, bm.bmWidth, bm.bmHeight);
  }
  if (AImage) CopyFromHandle(info.hbmImage, rect, AImage, pf32bit);
  if (AMask && info.hbmMask) CopyFromHandle(info.hbmMask, rect, AMask, pf1bit);
}

Integer TvlImageList::GetPixelFormat(HIMAGELIST AHandle) {
  IMAGEINFO info{};
  BITMAP bm{};
  if (!ImageList_GetImageInfo(AHandle, 0, &info) || !GetObjectW(info.hbmImage, sizeof(bm), &bm)) return 0;
  return bm.bmBitsPixel;
}

void TvlImageList::Draw(TCanvas* ACanvas, const TRect& ARect, Integer AIndex, Boolean AStretch,
                        Boolean ASmoothResize, Boolean AEnabled) {
  DrawImage(ACanvas, ARect, AIndex, AStretch, ASmoothResize, AEnabled, DrawingFlags(DrawingStyle(), ImageType()));
}

void TvlImageList::DoDraw(Integer Index, TCanvas* Canvas, Integer X, Integer Y, Cardinal Style, Boolean Enabled) {
  DrawImage(Canvas, Rect(X, Y, X + Width(), Y + Height()), Index, false, false, Enabled, Style);
}

void TvlImageList::DrawImage(TCanvas* ACanvas, const TRect& ARect, Integer AIndex, Boolean AStretch,
                             Boolean ASmoothResize, Boolean AEnabled, Cardinal AStyle) {
  if (ARect.Width() == Width() && ARect.Height() == Height()) AStretch = false;
  const TRect image = AStretch ? ARect
                               : Rect((ARect.Left + ARect.Right - Width()) / 2, (ARect.Top + ARect.Bottom - Height()) / 2,
                                      0, 0);
  const TRect imageRect = AStretch ? image : Rect(image.Left, image.Top, image.Left + Width(), image.Top + Height());
  const TvlImageDrawMode mode = AEnabled ? idmNormal : idmDisabled;
  if (FAlphaBlending) {
    vlDrawImageEx(ACanvas->Handle(), imageRect, ARect, nullptr, this, AIndex, mode, ASmoothResize, nullptr, clNone,
                  true);
  } else if (AStretch) {
    Owned<TBitmap> glyph(New<TBitmap>());
    glyph->SetSize(Width(), Height());
    ImageList_Draw(Handle(), AIndex, glyph->Canvas()->Handle(), 0, 0, ILD_NORMAL);
    vlDrawImageEx(ACanvas->Handle(), imageRect, ARect, glyph.get(), nullptr, -1, mode, ASmoothResize);
  } else {
    inherited::DoDraw(AIndex, ACanvas, imageRect.Left, imageRect.Top, AStyle, AEnabled);
  }
}

// --- Form storage -----------------------------------------------------------------------------

void TvlImageList::DefineProperties(TFiler* Filer) {
  if (Is<TReader>(Filer))
    inherited::DefineProperties(Filer);  // accepts the system list's own data of older forms
  else
    TComponent::DefineProperties(Filer);
  auto* ancestor = dynamic_cast<TvlImageList*>(Filer->Ancestor());
  Filer->DefineProperty(u"FormatVersion", TReaderProc(this, &TvlImageList::ReadFormatVersion),
                        TWriterProc(this, &TvlImageList::WriteFormatVersion), true);
  Filer->DefineProperty(u"DesignInfo", TReaderProc(this, &TvlImageList::ReadDesignInfo),
                        TWriterProc(this, &TvlImageList::WriteDesignInfo),
                        !ancestor || ancestor->DesignInfo() != DesignInfo());
  auto* ancestorList = dynamic_cast<TCustomImageList*>(Filer->Ancestor());
  const Boolean writeInfo = ancestorList ? !vlIsImageListsEqual(ancestorList, this) : Count() > 0;
  Filer->DefineProperty(u"ImageInfo", TReaderProc(this, &TvlImageList::ReadImageInfo),
                        TWriterProc(this, &TvlImageList::WriteImageInfo), writeInfo);
}

void TvlImageList::Loaded() {
  inherited::Loaded();
  // a form with only the system list's data: the infos come from it
  if (FImageInfo->Count() != Count()) ConvertInfoFromSystemList();
}

void TvlImageList::ReadFormatVersion(TReader* Reader) { FFormatVersion = Reader->ReadInteger(); }
void TvlImageList::WriteFormatVersion(TWriter* Writer) { Writer->WriteInteger(1); }
void TvlImageList::ReadDesignInfo(TReader* Reader) { SetDesignInfo(Reader->ReadInteger()); }
void TvlImageList::WriteDesignInfo(TWriter* Writer) { Writer->WriteInteger(DesignInfo()); }

void TvlImageList::ReadImageInfo(TReader* Reader) {
  FImageInfo->Clear();
  Reader->CheckValue(vaCollection);
  Reader->ReadCollection(FImageInfo);
  SynchronizeSystemList();
}

void TvlImageList::WriteImageInfo(TWriter* Writer) { Writer->WriteCollection(FImageInfo); }

// --- Free routines ----------------------------------------------------------------------------

HBITMAP vlCopyImage(HBITMAP ABitmapHandle) {
  return static_cast<HBITMAP>(CopyImage(ABitmapHandle, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

Boolean vlIsImageListsEqual(TCustomImageList* AImages1, TCustomImageList* AImages2) {
  if (!AImages1 || !AImages2 || AImages1->Count() != AImages2->Count()) return false;
  if (AImages1->Count() == 0) return true;
  Owned<TMemoryStream> a(New<TMemoryStream>()), b(New<TMemoryStream>());
  ImageList_Write(AImages1->Handle(), a.get());
  ImageList_Write(AImages2->Handle(), b.get());
  return a->Size() == b->Size() && std::memcmp(a->Memory(), b->Memory(), size_t(a->Size())) == 0;
}
