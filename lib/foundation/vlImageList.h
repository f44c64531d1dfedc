// The library's image list: the system image list (32-bit colour with a
// mask) and beside it a collection of image infos, one per image: its own
// bitmap, mask and mask colour. The infos keep 32-bit images with their
// alpha intact, are what form files store ("ImageInfo") and are what the
// image drawing uses for alpha-blended, disabled and stretched images.
#pragma once

#include "lib/foundation/vlImages.h"
#include "platform/vcl/ImgList.h"

class TReader;
class TWriter;
class TvlImageList;

class TvlImageInfo : public TPersistent {
  CL_CLASS(TvlImageInfo, TPersistent)
 public:
  void Create();
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  TvlBitmap* Image() const { return FImage; }
  virtual void SetImage(TvlBitmap* Value);
  TvlBitmap* Mask() const { return FMask; }
  virtual void SetMask(TvlBitmap* Value);
  TColor MaskColor() const { return FMaskColor; }
  void SetMaskColor(TColor Value) { FMaskColor = Value; }

 private:
  TvlBitmap* FImage{};
  TvlBitmap* FMask{};
  TColor FMaskColor{};
};

class TvlImageInfoItem : public TCollectionItem {
  CL_CLASS(TvlImageInfoItem, TCollectionItem)
 public:
  void Create(TCollection* Collection) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  TvlImageInfo* ImageInfo() const { return FImageInfo; }
  TvlBitmap* Image() const { return FImageInfo->Image(); }
  void SetImage(TvlBitmap* Value) { FImageInfo->SetImage(Value); }
  TvlBitmap* Mask() const { return FImageInfo->Mask(); }
  void SetMask(TvlBitmap* Value) { FImageInfo->SetMask(Value); }
  TColor MaskColor() const { return FImageInfo->MaskColor(); }
  void SetMaskColor(TColor Value) { FImageInfo->SetMaskColor(Value); }
  // True only when both the image and the mask compress; setting sets both.
  Boolean CompressData() const;
  void SetCompressData(Boolean Value);

 private:
  TvlImageInfo* FImageInfo{};
};

class TvlImageInfoCollection : public TCollection {
  CL_CLASS(TvlImageInfoCollection, TCollection)
 public:
  void Create(TvlImageList* AImageList);
  TPersistent* GetOwner() override;
  TvlImageInfoItem* Items(Integer Index) const { return static_cast<TvlImageInfoItem*>(inherited::Items(Index)); }
  TvlImageInfoItem* AddInfo(TBitmap* AImage, TBitmap* AMask, TColor AMaskColor);
  Boolean CompressData() const { return FCompressData; }
  void SetCompressData(Boolean Value);

 private:
  TvlImageList* FImageList{};
  Boolean FCompressData{};
};

class TvlImageList : public TDragImageList {
  CL_CLASS(TvlImageList, TDragImageList)
 public:
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  void BeginUpdate();
  void EndUpdate(Boolean AForceUpdate = true);

  Integer Add(TBitmap* AImage, TBitmap* AMask);
  Integer AddMasked(TBitmap* AImage, TColor AMaskColor);
  Integer AddIcon(TIcon* AIcon);
  Integer AddImage(TCustomImageList* AImages, Integer AIndex);
  void AddImages(TCustomImageList* AImages);
  void CopyImages(TCustomImageList* AImages, Integer AStartIndex = 0, Integer AEndIndex = -1);
  void Insert(Integer AIndex, TBitmap* AImage, TBitmap* AMask);
  void InsertMasked(Integer AIndex, TBitmap* AImage, TColor AMaskColor);
  void InsertIcon(Integer AIndex, TIcon* AIcon);
  void Replace(Integer AIndex, TBitmap* AImage, TBitmap* AMask);
  void ReplaceMasked(Integer AIndex, TBitmap* AImage, TColor AMaskColor);
  void ReplaceIcon(Integer AIndex, TIcon* AIcon);
  void Move(Integer ACurIndex, Integer ANewIndex);
  // Index -1 deletes every image.
  void Delete(Integer AIndex);
  void Clear() { Delete(-1); }
  Boolean LoadImage(void* AInstance, const String& AResourceName, Integer AWidth, TColor AMaskColor,
                    TLoadResources AFlags);
  Boolean GetResource(TResType ResType, const String& Name, Integer Width, TLoadResources LoadFlags,
                      TColor MaskColor) override;
  Boolean GetInstRes(void* Instance, TResType ResType, const String& Name, Integer Width, TLoadResources LoadFlags,
                     TColor MaskColor) override;
  Boolean ResourceLoad(TResType ResType, const String& Name, TColor MaskColor) override;
  Boolean ResInstLoad(void* Instance, TResType ResType, const String& Name, TColor MaskColor) override;

  // The stored image and mask (32-bit infos), else the system list's.
  void GetImageInfo(Integer AIndex, TBitmap* AImage, TBitmap* AMask);
  void GetImage(Integer AIndex, TBitmap* AImage) { GetImageInfo(AIndex, AImage, nullptr); }
  void GetMask(Integer AIndex, TBitmap* AMask) { GetImageInfo(AIndex, nullptr, AMask); }
  // The system list's image and mask of AIndex (-1: the whole strip).
  static void GetImageInfo(win::HIMAGELIST AHandle, Integer AIndex, TBitmap* AMask, TBitmap* AImage);
  // The bits per pixel of the system list's image bitmap, 0 when unreadable.
  static Integer GetPixelFormat(win::HIMAGELIST AHandle);

  void Draw(TCanvas* ACanvas, const TRect& ARect, Integer AIndex, Boolean AStretch = true,
            Boolean ASmoothResize = false, Boolean AEnabled = true);
  using TCustomImageList::Draw;

  // Takes the list's images over; the handle is destroyed.
  void SetHandle(win::HIMAGELIST Value);

  Boolean AlphaBlending() const { return FAlphaBlending; }
  void SetAlphaBlending(Boolean Value) { FAlphaBlending = Value; }
  Boolean CompressData() const { return FImageInfo->CompressData(); }
  void SetCompressData(Boolean Value) { FImageInfo->SetCompressData(Value); }
  TvlImageInfoCollection* ImageInfo() const { return FImageInfo; }
  Integer FormatVersion() const { return FFormatVersion; }

 protected:
  void Initialize() override;
  void Change() override;
  void DoDraw(Integer Index, TCanvas* Canvas, Integer X, Integer Y, Cardinal Style, Boolean Enabled) override;
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;

 private:
  void AddToInfo(TBitmap* AImage, TBitmap* AMask, TColor AMaskColor);
  // Rebuilds the infos from the system list (older forms, resources).
  void ConvertInfoFromSystemList();
  // Rebuilds the system list from the infos.
  void SynchronizeSystemList();
  Integer ImagesIn(TBitmap* AImage);
  template <class TAdd>
  void InsertBy(Integer AIndex, Integer AImages, TAdd AAdd);
  void DrawImage(TCanvas* ACanvas, const TRect& ARect, Integer AIndex, Boolean AStretch, Boolean ASmoothResize,
                 Boolean AEnabled, Cardinal AStyle);
  void ReadFormatVersion(TReader* Reader);
  void WriteFormatVersion(TWriter* Writer);
  void ReadDesignInfo(TReader* Reader);
  void WriteDesignInfo(TWriter* Writer);
  void ReadImageInfo(TReader* Reader);
  void WriteImageInfo(TWriter* Writer);

  TvlImageInfoCollection* FImageInfo{};
  Boolean FAlphaBlending{};
  Integer FFormatVersion{};
  Integer FLockCount{};
  Boolean FSynchronizing{};
};

win::HBITMAP vlCopyImage(win::HBITMAP ABitmapHandle);
Boolean vlIsImageListsEqual(TCustomImageList* AImages1, TCustomImageList* AImages2);
