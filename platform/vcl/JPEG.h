// JPEG pictures: the compressed data is kept as loaded and decoded into a
// bitmap when the picture is drawn or asked for its pixels; a picture made
// from a bitmap is compressed when it is saved.
#pragma once

#include <vector>

#include "platform/vcl/Graphics.h"

using TJPEGQuality = Integer;                // 1..100
CL_ENUM(TJPEGPerformance, Byte, jpBestQuality, jpBestSpeed)
CL_ENUM(TJPEGScale, Byte, jsFullSize, jsHalf, jsQuarter, jsEighth)
CL_ENUM(TJPEGPixelFormat, Byte, jf24Bit, jf8Bit)

RTL_EXCEPTION_CLASS(EJPEG, EInvalidGraphic);

class TJPEGImage : public TGraphic {
  CL_CLASS(TJPEGImage, TGraphic)
 public:
  void Create() override;
  void Destroy() override;
  // From another JPEG picture (its data) or from a bitmap (compressed on save).
  void Assign(TPersistent* Source) override;

  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  // Reads the rest of the stream as a JPEG file; bad data raises EJPEG.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

  // Decodes the picture into the bitmap (at Scale, Grayscale and PixelFormat).
  void DIBNeeded();
  // Compresses the bitmap when there is no data.
  void JPEGNeeded();
  // Compresses the bitmap again with the current settings.
  void Compress();
  // The decoded picture (owned by the image).
  TBitmap* Bitmap();

  TJPEGQuality CompressionQuality() const { return FQuality; }
  void SetCompressionQuality(TJPEGQuality Value);
  Boolean Grayscale() const { return FGrayscale; }
  void SetGrayscale(Boolean Value);
  TJPEGPerformance Performance() const { return FPerformance; }
  void SetPerformance(TJPEGPerformance Value) { FPerformance = Value; }
  TJPEGScale Scale() const { return FScale; }
  void SetScale(TJPEGScale Value);
  TJPEGPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TJPEGPixelFormat Value);
  Boolean ProgressiveEncoding() const { return FProgressive; }
  void SetProgressiveEncoding(Boolean Value) { FProgressive = Value; }
  // The size of the picture in the data, before scaling.
  Integer JPEGWidth() const { return FJpegWidth; }
  Integer JPEGHeight() const { return FJpegHeight; }

 protected:
  void AssignTo(TPersistent* Dest) override;
  Boolean GetEmpty() override;
  Integer GetWidth() override;
  Integer GetHeight() override;
  // A JPEG picture's size follows its data: EInvalidGraphicOperation.
  void DoSetWidth(Integer Value) override;
  void DoSetHeight(Integer Value) override;

 private:
  void FreeBitmap();
  std::vector<Byte> FData;
  TBitmap* FBitmap{};
  Integer FJpegWidth{};
  Integer FJpegHeight{};
  TJPEGQuality FQuality{};
  Boolean FGrayscale{};
  TJPEGPerformance FPerformance{};
  TJPEGScale FScale{};
  TJPEGPixelFormat FPixelFormat{};
  Boolean FProgressive{};
};
