#include <gtest/gtest.h>

#include <cstring>

#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"
#include "platform/vcl/Graphics.h"
#include "tests/platform/vcl/VclTestSupport.h"

using namespace vcltest;

namespace {

// The graphics units register their classes, colour names and file formats
// in their start-up steps.
class TModulesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { StartModules(); }
  void TearDown() override { ShutdownModules(); }
};
[[maybe_unused]] ::testing::Environment* const kModules =
    ::testing::AddGlobalTestEnvironment(new TModulesEnvironment);

RawByteString SaveBytes(TGraphic* G) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  G->SaveToStream(s.get());
  return StreamBytes(s.get());
}

void LoadBytes(TGraphic* G, const RawByteString& Bytes) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteBuffer(Bytes.data(), Integer(Bytes.size()));
  s->SetPosition(0);
  G->LoadFromStream(s.get());
}

}  // namespace

// --- Colours ------------------------------------------------------------------------------

TEST(Colors, ColorToRGBResolvesSystemColoursOnly) {
  EXPECT_EQ(ColorToRGB(clBtnFace), Integer(win::RGB(240, 240, 240)));
  EXPECT_EQ(ColorToRGB(clHighlight), Integer(win::RGB(51, 153, 255)));
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(ColorToRGB(clDefault), clDefault);
  EXPECT_EQ(clBtnFace, Integer(0xFF00000Fu));
}

TEST(Colors, NamesBothWays) {
  struct Case {
    TColor Color;
    const char16_t* Name;
  };
  const Case cases[] = {{clBtnFace, u"clBtnFace"}, {clNone, u"clNone"},   {clDefault, u"clDefault"},
                        {clOlive, u"clOlive"},     {clGray, u"clGray"},   {cl3DDkShadow, u"cl3DDkShadow"},
                        {clMenuHighlight, u"clMenuHighlight"}, {clCream, u"clCream"}};
  for (const Case& c : cases) {
    String name;
    EXPECT_TRUE(ColorToIdent(c.Color, name));
    EXPECT_EQ(name, c.Name);
    Integer v = 0;
    EXPECT_TRUE(IdentToColor(c.Name, v));
    EXPECT_EQ(v, c.Color);
  }
  Integer v = 0;
  EXPECT_TRUE(IdentToColor(u"CLBTNFACE", v));
  EXPECT_EQ(v, clBtnFace);
  EXPECT_FALSE(IdentToColor(u"clNoSuchColour", v));
  EXPECT_EQ(ColorToString(clDkGray), u"clGray");
  EXPECT_EQ(ColorToString(0x123456), u"$00123456");
  EXPECT_EQ(StringToColor(u"$00FF0000"), clBlue);
  EXPECT_EQ(StringToColor(u"clYellow"), clYellow);
  EXPECT_EQ(StringToColor(u"255"), clRed);
  EXPECT_THROW(StringToColor(u"bright"), EConvertError);
}

TEST(Colors, TypeInformationCarriesTheNames) {
  const TTypeInfo* t = TypeInfoTColor();
  EXPECT_EQ(t->Name, u"TColor");
  EXPECT_EQ(t->Kind, tkInteger);
  ASSERT_NE(FindIntToIdent(t), nullptr);
  String name;
  EXPECT_TRUE(FindIntToIdent(t)(clWindow, name));
  EXPECT_EQ(name, u"clWindow");
  Integer cs = 0;
  ASSERT_NE(FindIdentToInt(TypeInfoTFontCharset()), nullptr);
  EXPECT_TRUE(FindIdentToInt(TypeInfoTFontCharset())(u"TURKISH_CHARSET", cs));
  EXPECT_EQ(cs, 162);
}

// --- Fonts, pens, brushes ------------------------------------------------------------------

TEST(Font, DefaultsAndSizeAt96PixelsPerInch) {
  Owned<TFont> f(New<TFont>());
  EXPECT_EQ(f->Name(), u"Tahoma");
  EXPECT_EQ(f->Height(), -11);
  EXPECT_EQ(f->Size(), 8);
  EXPECT_EQ(f->Color(), clWindowText);
  EXPECT_EQ(f->Charset(), DEFAULT_CHARSET);
  struct Case {
    Integer Size, Height;
  };
  for (Case c : {Case{8, -11}, Case{9, -12}, Case{10, -13}, Case{12, -16}, Case{72, -96}}) {
    f->SetSize(c.Size);
    EXPECT_EQ(f->Height(), c.Height) << c.Size;
    EXPECT_EQ(f->Size(), c.Size) << c.Size;
  }
  f->SetHeight(13);  // a cell height: the size reads negative
  EXPECT_EQ(f->Size(), -10);
}

TEST(Font, HandleFollowsPropertiesAndChangesNotify) {
  Owned<TFont> f(New<TFont>());
  TCounter counter;
  f->SetOnChange(TNotifyEvent(&counter, &TCounter::Notify));
  f->SetName(u"Arial");
  f->SetHeight(-20);
  f->SetStyle({fsBold, fsUnderline});
  f->SetCharset(TURKISH_CHARSET);
  f->SetHeight(-20);  // unchanged: no notification
  EXPECT_EQ(counter.Count, 4);
  win::HFONT h = f->Handle();
  EXPECT_EQ(f->Handle(), h);
  win::LOGFONTW lf{};
  ASSERT_TRUE(win::GetObjectW(h, sizeof(lf), &lf));
  EXPECT_EQ(lf.lfHeight, -20);
  EXPECT_EQ(lf.lfWeight, win::FW_BOLD);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(lf.lfCharSet, TURKISH_CHARSET);
  EXPECT_EQ(String(lf.lfFaceName), u"Arial");
  f->SetColor(clRed);  // the colour is no part of the handle
  EXPECT_EQ(counter.Count, 5);
  EXPECT_EQ(f->Handle(), h);
  f->SetStyle({fsItalic});
  win::LOGFONTW lf2{};
  ASSERT_TRUE(win::GetObjectW(f->Handle(), sizeof(lf2), &lf2));
  EXPECT_EQ(lf2.lfItalic, 1);
  EXPECT_EQ(lf2.lfWeight, win::FW_NORMAL);
}

TEST(Font, AssignCopiesAndRescalesBetweenResolutions) {
  Owned<TFont> a(New<TFont>()), b(New<TFont>());
  a->SetName(u"Courier New");
  a->SetSize(8);
  a->SetStyle({fsStrikeOut});
  a->SetColor(clBlue);
  b->SetPixelsPerInch(120);
  b->Assign(a.get());
  EXPECT_EQ(b->Name(), u"Courier New");
  EXPECT_EQ(b->Height(), -13);  // 8 points at 120 pixels per inch
  EXPECT_EQ(b->Size(), 8);
  EXPECT_TRUE(b->Style() == TFontStyles{fsStrikeOut});
  EXPECT_EQ(b->Color(), clBlue);
  Owned<TPen> pen(New<TPen>());
  EXPECT_THROW(b->Assign(pen.get()), EConvertError);
}

TEST(Pen, ModesMapToMixes) {
  struct Case {
    TPenMode Mode;
    int Rop2;
  };
  const Case cases[] = {{pmBlack, win::R2_BLACK}, {pmWhite, win::R2_WHITE},       {pmNop, win::R2_NOP},
                        {pmNot, win::R2_NOT},     {pmCopy, win::R2_COPYPEN},      {pmNotCopy, win::R2_NOTCOPYPEN},
                        {pmMerge, win::R2_MERGEPEN}, {pmMask, win::R2_MASKPEN},   {pmXor, win::R2_XORPEN},
                        {pmNotXor, win::R2_NOTXORPEN}, {pmMaskPenNot, win::R2_MASKPENNOT},
                        {pmMergeNotPen, win::R2_MERGENOTPEN}};
  for (const Case& c : cases) {
    EXPECT_EQ(PenModeToROP2(c.Mode), c.Rop2);
    EXPECT_EQ(ROP2ToPenMode(c.Rop2), c.Mode);
  }
  EXPECT_EQ(ROP2ToPenMode(99), pmCopy);
}

TEST(Pen, ModesDrawOnPixels) {
  struct Case {
    TPenMode Mode;
    TColor Pen, Before, After;
  };
  const Case cases[] = {{pmCopy, clRed, clWhite, clRed},   {pmNot, clRed, clWhite, clBlack},
                        {pmXor, clRed, clWhite, clAqua},   {pmMask, clRed, clYellow, clRed},
                        {pmMerge, clRed, clBlue, clFuchsia}, {pmNop, clRed, clWhite, clWhite},
                        {pmBlack, clRed, clWhite, clBlack}, {pmNotCopy, clRed, clWhite, clAqua}};
  for (const Case& c : cases) {
    Owned<TBitmap> b = MakeBitmap(8, 3, c.Before);
    b->Canvas()->Pen()->SetColor(c.Pen);
    b->Canvas()->Pen()->SetMode(c.Mode);
    b->Canvas()->MoveTo(0, 1);
    b->Canvas()->LineTo(8, 1);
    EXPECT_EQ(Px(b.get(), 3, 1), c.After) << GetEnumName(TypeInfo<TPenMode>(), c.Mode).size();
    EXPECT_EQ(Px(b.get(), 3, 0), c.Before);
    DumpIfFailed(b.get());
  }
}

TEST(Brush, StylesOnPixels) {
  Owned<TBitmap> b = MakeBitmap(16, 16, clWhite);
  TCanvas* c = b->Canvas();
  c->Pen()->SetStyle(psClear);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(0, 0, 16, 16);
  EXPECT_EQ(Px(b.get(), 5, 5), clWhite);
  c->Brush()->SetStyle(bsHorizontal);
  c->Brush()->SetColor(clRed);
  c->Rectangle(0, 0, 17, 17);
  int red = 0, white = 0;
  for (int y = 0; y < 8; ++y) (Px(b.get(), 4, y) == clRed ? red : white)++;
  EXPECT_EQ(red, 1);  // one line in every 8 rows, the gaps left alone
  EXPECT_EQ(white, 7);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect{0, 0, 16, 16});
  EXPECT_EQ(Px(b.get(), 4, 4), ColorToRGB(clBtnFace));
  DumpIfFailed(b.get());
}

// --- Canvas ---------------------------------------------------------------------------------

TEST(Canvas, MeasuringMakesHandleAndFontValidFirst) {
  Owned<TBitmap> b = MakeBitmap(20, 20, clWhite);
  TCanvas* c = b->Canvas();
  c->Refresh();
  b->FreeContext();
  EXPECT_TRUE(c->State().Empty());
  Integer w = c->TextWidth(u"Hello");
  EXPECT_GT(w, 0);
  EXPECT_TRUE(c->State().Contains(csHandleValid));
  EXPECT_TRUE(c->State().Contains(csFontValid));
  EXPECT_FALSE(c->State().Contains(csPenValid));
  // The font selected is the canvas's: measure the same with the API.
  win::SIZE s{};
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HGDIOBJ old = win::SelectObject(dc, c->Font()->Handle());
  win::GetTextExtentPoint32W(dc, u"Hello", 5, &s);
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  EXPECT_EQ(w, s.cx);
  EXPECT_EQ(c->TextHeight(u"Hello"), s.cy);
  // A font change deselects it; the next measure takes the new one.
  c->Font()->SetHeight(-30);
  EXPECT_FALSE(c->State().Contains(csFontValid));
  EXPECT_GT(c->TextWidth(u"Hello"), w);
}

TEST(Canvas, WithoutHandleRefusesToDraw) {
  Owned<TCanvas> c(New<TCanvas>());
  EXPECT_THROW(c->FillRect(TRect{0, 0, 1, 1}), EInvalidOperation);
  EXPECT_THROW(c->TextWidth(u"x"), EInvalidOperation);
}

TEST(Canvas, ForeignHandleAndEvents) {
  Owned<TBitmap> b = MakeBitmap(10, 10, clWhite);
  Owned<TCanvas> c(New<TCanvas>());
  TCounter changing, changed;
  c->SetOnChanging(TNotifyEvent(&changing, &TCounter::Notify));
  c->SetOnChange(TNotifyEvent(&changed, &TCounter::Notify));
  b->FreeContext();  // a bitmap is selected into one DC at a time
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HGDIOBJ old = win::SelectObject(dc, b->Handle());
  c->SetHandle(dc);
  c->Brush()->SetColor(clLime);
  c->FillRect(TRect{2, 2, 4, 4});
  c->SetPixels(0, 0, clBlue);
  EXPECT_EQ(c->Pixels(0, 0), clBlue);
  EXPECT_EQ(c->Pixels(3, 3), clLime);
  EXPECT_EQ(changed.Count, 2);
  EXPECT_EQ(changing.Count, 2);
  c->SetHandle(nullptr);  // deselects the canvas's objects from the DC
  EXPECT_TRUE(win::DeleteObject(c->Brush()->Handle()) || true);
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  EXPECT_EQ(Px(b.get(), 3, 3), clLime);
}

TEST(Canvas, ShapesAndLines) {
  Owned<TBitmap> b = MakeBitmap(12, 12, clWhite);
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clRed);
  c->Rectangle(1, 1, 6, 6);
  EXPECT_EQ(Px(b.get(), 1, 1), clBlack);
  EXPECT_EQ(Px(b.get(), 3, 3), clRed);
  EXPECT_EQ(Px(b.get(), 6, 6), clWhite);  // right and bottom edges are out
  c->MoveTo(0, 10);
  c->LineTo(5, 10);
  EXPECT_EQ(Px(b.get(), 4, 10), clBlack);
  EXPECT_EQ(Px(b.get(), 5, 10), clWhite);  // the end point is not drawn
  EXPECT_EQ(c->PenPos().X, 5);
  c->Polygon({TPoint{7, 1}, TPoint{11, 1}, TPoint{11, 5}});
  EXPECT_EQ(Px(b.get(), 10, 3), clRed);
  c->Brush()->SetColor(clBlack);
  c->FrameRect(TRect{0, 0, 12, 12});
  EXPECT_EQ(Px(b.get(), 11, 11), clBlack);
  DumpIfFailed(b.get());
}

TEST(Canvas, FloodFillSurfaceAndBorder) {
  Owned<TBitmap> b = MakeBitmap(10, 10, clWhite);
  TCanvas* c = b->Canvas();
  c->Brush()->SetStyle(bsClear);
  c->Pen()->SetColor(clBlack);
  c->Rectangle(2, 2, 8, 8);  // a closed black frame
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clRed);
  c->FloodFill(4, 4, clWhite, fsSurface);
  EXPECT_EQ(Px(b.get(), 4, 4), clRed);
  EXPECT_EQ(Px(b.get(), 6, 6), clRed);
  EXPECT_EQ(Px(b.get(), 0, 0), clWhite);  // outside the frame
  c->Brush()->SetColor(clLime);
  c->FloodFill(0, 0, clBlack, fsBorder);
  EXPECT_EQ(Px(b.get(), 9, 9), clLime);
  EXPECT_EQ(Px(b.get(), 2, 2), clBlack);
  EXPECT_EQ(Px(b.get(), 4, 4), clRed);
  DumpIfFailed(b.get());
}

TEST(Canvas, CopyRectUsesCopyMode) {
  Owned<TBitmap> src = MakeBitmap(4, 4, clRed);
  Owned<TBitmap> dst = MakeBitmap(8, 8, clWhite);
  dst->Canvas()->CopyRect(TRect{2, 2, 6, 6}, src->Canvas(), TRect{0, 0, 4, 4});
  EXPECT_EQ(Px(dst.get(), 2, 2), clRed);
  EXPECT_EQ(Px(dst.get(), 6, 6), clWhite);
  dst->Canvas()->SetCopyMode(cmDstInvert);
  dst->Canvas()->CopyRect(TRect{0, 0, 2, 2}, src->Canvas(), TRect{0, 0, 2, 2});
  EXPECT_EQ(Px(dst.get(), 0, 0), clBlack);
  DumpIfFailed(dst.get());
}

TEST(Canvas, DrawTransparentBitmapAndBrushCopy) {
  // Red picture, bottom-left pixel red: the automatic transparent colour.
  Owned<TBitmap> glyph = MakeBitmap(4, 4, clRed, pf24bit);
  glyph->Canvas()->SetPixels(1, 1, clBlue);
  EXPECT_EQ(glyph->TransparentColor(), 0x020000FF);
  EXPECT_EQ(glyph->TransparentMode(), tmAuto);
  glyph->SetTransparent(true);
  Owned<TBitmap> dst = MakeBitmap(8, 8, clLime);
  dst->Canvas()->Draw(2, 2, glyph.get());
  EXPECT_EQ(Px(dst.get(), 3, 3), clBlue);
  EXPECT_EQ(Px(dst.get(), 2, 2), clLime);
  EXPECT_EQ(Px(dst.get(), 5, 5), clLime);
  // A fixed colour: now blue is see-through.
  glyph->SetTransparentColor(clBlue);
  EXPECT_EQ(glyph->TransparentMode(), tmFixed);
  Owned<TBitmap> dst2 = MakeBitmap(8, 8, clLime);
  dst2->Canvas()->Draw(0, 0, glyph.get());
  EXPECT_EQ(Px(dst2.get(), 1, 1), clLime);
  EXPECT_EQ(Px(dst2.get(), 0, 0), clRed);
  // BrushCopy paints the brush where the bitmap has the colour.
  Owned<TBitmap> dst3 = MakeBitmap(8, 8, clWhite);
  dst3->Canvas()->Brush()->SetColor(clYellow);
  dst3->Canvas()->BrushCopy(TRect{0, 0, 4, 4}, glyph.get(), TRect{0, 0, 4, 4}, clRed);
  EXPECT_EQ(Px(dst3.get(), 0, 0), clYellow);
  EXPECT_EQ(Px(dst3.get(), 1, 1), clBlue);
  EXPECT_EQ(Px(dst3.get(), 5, 5), clWhite);
  // With a clear brush the pixels of the colour let the destination show.
  dst3->Canvas()->Brush()->SetStyle(bsClear);
  dst3->Canvas()->BrushCopy(TRect{4, 4, 8, 8}, glyph.get(), TRect{0, 0, 4, 4}, clRed);
  EXPECT_EQ(Px(dst3.get(), 4, 4), clWhite);
  EXPECT_EQ(Px(dst3.get(), 5, 5), clBlue);
  DumpIfFailed(dst.get(), "draw");
  DumpIfFailed(dst3.get(), "brushcopy");
}

TEST(Canvas, TextOutMovesPenAndTextRectClips) {
  Owned<TBitmap> b = MakeBitmap(60, 20, clWhite);
  TCanvas* c = b->Canvas();
  c->Font()->SetColor(clBlack);
  c->Brush()->SetColor(clYellow);
  c->TextOut(0, 0, u"W");
  EXPECT_EQ(c->PenPos().X, c->TextWidth(u"W"));
  c->TextRect(TRect{30, 0, 40, 20}, 30, 0, u"WWWWWW");
  EXPECT_EQ(Px(b.get(), 41, 5), clWhite);  // clipped to the rectangle
  int ink = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 30; x < 40; ++x) ink += Px(b.get(), x, y) != clYellow && Px(b.get(), x, y) != clWhite;
  EXPECT_GT(ink, 0);
  TRect r{0, 0, 200, 0};
  String text = u"One line";
  c->TextRect(r, text, TTextFormat{tfCalcRect, tfSingleLine});
  EXPECT_EQ(r.Right, c->TextWidth(u"One line"));
  EXPECT_EQ(r.Bottom, c->TextHeight(u"One line"));
  DumpIfFailed(b.get());
}

// --- Bitmaps -------------------------------------------------------------------------------

TEST(Bitmap, NewPixelsAreWhiteAndResizeKeepsThePicture) {
  Owned<TBitmap> b(New<TBitmap>());
  EXPECT_TRUE(b->Empty());
  EXPECT_EQ(b->HandleType(), bmDDB);
  EXPECT_EQ(b->PixelFormat(), pfDevice);
  TCounter changes;
  b->SetOnChange(TNotifyEvent(&changes, &TCounter::Notify));
  b->SetSize(4, 3);
  EXPECT_EQ(changes.Count, 1);
  b->SetSize(4, 3);
  EXPECT_EQ(changes.Count, 1);
  EXPECT_FALSE(b->Empty());
  EXPECT_EQ(Px(b.get(), 3, 2), clWhite);
  b->Canvas()->SetPixels(1, 1, clRed);
  b->SetWidth(6);
  EXPECT_EQ(Px(b.get(), 1, 1), clRed);
  EXPECT_EQ(Px(b.get(), 5, 1), clWhite);
  b->SetHeight(0);
  EXPECT_TRUE(b->Empty());
}

TEST(Bitmap, FormatsScanLinesAndRoundTrips) {
  struct Case {
    TPixelFormat Format;
    int Bits;
  };
  const Case cases[] = {{pf1bit, 1},   {pf4bit, 4},   {pf8bit, 8},   {pf15bit, 16},
                        {pf16bit, 16}, {pf24bit, 24}, {pf32bit, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Bits);
    Owned<TBitmap> b = MakeBitmap(5, 3, clWhite, c.Format);
    b->Canvas()->SetPixels(0, 0, clBlack);
    EXPECT_EQ(b->PixelFormat(), c.Format);
    EXPECT_EQ(b->HandleType(), bmDIB);
    EXPECT_EQ(b->Monochrome(), c.Format == pf1bit);
    auto* row0 = static_cast<Byte*>(b->ScanLine(0));
    auto* row1 = static_cast<Byte*>(b->ScanLine(1));
    EXPECT_EQ(row0 - row1, ((5 * c.Bits + 31) / 32) * 4);  // bottom-up rows, top row first
    EXPECT_THROW(b->ScanLine(3), EInvalidGraphicOperation);
    EXPECT_THROW(b->ScanLine(-1), EInvalidGraphicOperation);
    RawByteString file = SaveBytes(b.get());
    ASSERT_GT(file.size(), 54u);
    EXPECT_EQ(file.substr(0, 2), "BM");
    Owned<TBitmap> back(New<TBitmap>());
    LoadBytes(back.get(), file);
    EXPECT_EQ(back->PixelFormat(), c.Format);
    EXPECT_EQ(back->Width(), 5);
    EXPECT_EQ(back->Height(), 3);
    EXPECT_EQ(Px(back.get(), 0, 0), clBlack);
    EXPECT_EQ(Px(back.get(), 4, 2), clWhite);
    EXPECT_EQ(SaveBytes(back.get()), file);
  }
}

TEST(Bitmap, ScanLineWritesShowOnTheCanvas) {
  Owned<TBitmap> b = MakeBitmap(3, 2, clWhite, pf24bit);
  auto* row = static_cast<Byte*>(b->ScanLine(1));
  row[0] = 0xFF, row[1] = 0, row[2] = 0;  // B, G, R: blue at (0, 1)
  EXPECT_EQ(Px(b.get(), 0, 1), clBlue);
  EXPECT_EQ(Px(b.get(), 0, 0), clWhite);
  Owned<TBitmap> d(New<TBitmap>());
  d->SetSize(2, 2);
  EXPECT_EQ(d->HandleType(), bmDDB);
  *static_cast<uint32_t*>(d->ScanLine(0)) = 0x000000FF;  // BGRA word: blue  // a device bitmap becomes a DIB
  EXPECT_EQ(d->HandleType(), bmDIB);
  EXPECT_EQ(Px(d.get(), 0, 0), clBlue);
}

TEST(Bitmap, DataIsALengthThenABitmapFile) {
  Owned<TBitmap> b = MakeBitmap(2, 2, clRed, pf24bit);
  RawByteString file = SaveBytes(b.get());
  Owned<TMemoryStream> s(New<TMemoryStream>());
  b->WriteData(s.get());
  RawByteString data = StreamBytes(s.get());
  ASSERT_EQ(data.size(), 4 + file.size());
  uint32_t n = 0;
  std::memcpy(&n, data.data(), 4);
  EXPECT_EQ(n, file.size());
  EXPECT_EQ(data.substr(4), file);
  // 14 + 40 header bytes and two rows of 8 bytes (6 padded to 8).
  EXPECT_EQ(file.size(), 14u + 40u + 16u);
  s->SetPosition(0);
  Owned<TBitmap> back(New<TBitmap>());
  back->ReadData(s.get());
  EXPECT_EQ(s->Position(), s->Size());
  EXPECT_EQ(Px(back.get(), 1, 1), clRed);
  // An empty bitmap writes a zero length and reads back empty.
  Owned<TBitmap> empty(New<TBitmap>());
  Owned<TMemoryStream> e(New<TMemoryStream>());
  empty->WriteData(e.get());
  EXPECT_EQ(StreamBytes(e.get()), RawByteString(4, '\0'));
  e->SetPosition(0);
  back->ReadData(e.get());
  EXPECT_TRUE(back->Empty());
  // A length beyond the data is refused.
  Owned<TMemoryStream> bad(New<TMemoryStream>());
  uint32_t big = 1000;
  bad->WriteBuffer(&big, 4);
  bad->WriteBuffer(file.data(), Integer(file.size()));
  bad->SetPosition(0);
  EXPECT_THROW(back->ReadData(bad.get()), EInvalidGraphic);
}

TEST(Bitmap, HostileStreamsRaiseInvalidGraphic) {
  Owned<TBitmap> good = MakeBitmap(3, 3, clRed, pf8bit);
  RawByteString file = SaveBytes(good.get());
  RawByteString huge = file;
  int32_t w = 100000, h = 100000;
  std::memcpy(&huge[18], &w, 4);
  std::memcpy(&huge[22], &h, 4);
  RawByteString badBits = file;
  badBits[28] = 7;  // bit count
  const RawByteString cases[] = {"BM", "XX" + file.substr(2), file.substr(0, 30), file.substr(0, file.size() - 5),
                                 huge, badBits, RawByteString(100, '\xFF')};
  for (const RawByteString& c : cases) {
    Owned<TBitmap> b = MakeBitmap(2, 2, clLime);
    EXPECT_THROW(LoadBytes(b.get(), c), EInvalidGraphic) << c.size();
    EXPECT_EQ(Px(b.get(), 0, 0), clLime);  // the old picture stays
  }
}

TEST(Bitmap, AssignIsADeepCopy) {
  Owned<TBitmap> a = MakeBitmap(3, 3, clRed, pf24bit);
  a->SetTransparentColor(clBlue);
  Owned<TBitmap> b(New<TBitmap>());
  b->Assign(a.get());
  EXPECT_NE(b->Handle(), a->Handle());
  EXPECT_EQ(b->PixelFormat(), pf24bit);
  EXPECT_EQ(b->TransparentMode(), tmFixed);
  a->Canvas()->SetPixels(0, 0, clBlack);
  EXPECT_EQ(Px(b.get(), 0, 0), clRed);
  b->Assign(nullptr);
  EXPECT_TRUE(b->Empty());
}

TEST(Bitmap, DormantReleaseAndMask) {
  Owned<TBitmap> b = MakeBitmap(4, 4, clWhite, pf24bit);
  b->Canvas()->SetPixels(2, 2, clRed);
  b->Dormant();
  EXPECT_FALSE(b->HandleAllocated());
  EXPECT_FALSE(b->Empty());
  EXPECT_EQ(Px(b.get(), 2, 2), clRed);
  win::HBITMAP h = b->ReleaseHandle();
  ASSERT_NE(h, nullptr);
  EXPECT_NE(b->Handle(), h);
  EXPECT_EQ(Px(b.get(), 2, 2), clRed);
  win::DeleteObject(h);
  b->SetTransparentColor(clRed);
  win::HBITMAP mask = b->MaskHandle();
  win::BITMAP bm{};
  ASSERT_TRUE(win::GetObjectW(mask, sizeof(bm), &bm));
  EXPECT_EQ(bm.bmBitsPixel, 1);
  b->Mask(clRed);
  EXPECT_TRUE(b->Monochrome());
  EXPECT_EQ(Px(b.get(), 2, 2), clWhite);
  EXPECT_EQ(Px(b.get(), 0, 0), clBlack);
}

// --- Icons -----------------------------------------------------------------------------------

namespace {

// An icon of 16 x 16: red, with a transparent left half (black in the
// colour image, white in the mask).
Owned<TIcon> MakeIcon() {
  Owned<TBitmap> color = MakeBitmap(16, 16, clRed, pf32bit);
  color->Canvas()->Brush()->SetColor(clBlack);
  color->Canvas()->FillRect(TRect{0, 0, 8, 16});
  Owned<TBitmap> mask = MakeBitmap(16, 16, clBlack, pf1bit);
  mask->Canvas()->Brush()->SetColor(clWhite);
  mask->Canvas()->FillRect(TRect{0, 0, 8, 16});
  win::ICONINFO ii{win::TRUE, 0, 0, mask->Handle(), color->Handle()};
  Owned<TIcon> icon(New<TIcon>());
  icon->SetHandle(win::CreateIconIndirect(&ii));
  return icon;
}

}  // namespace

TEST(Icon, SavesLoadsAndDrawsWithItsMask) {
  Owned<TIcon> icon = MakeIcon();
  EXPECT_EQ(icon->Width(), 16);
  EXPECT_EQ(icon->Height(), 16);
  EXPECT_TRUE(icon->Transparent());
  EXPECT_THROW(icon->SetWidth(32), EInvalidGraphicOperation);
  RawByteString file = SaveBytes(icon.get());
  ASSERT_GE(file.size(), 22u);
  EXPECT_EQ(file.substr(0, 6), RawByteString("\0\0\1\0\1\0", 6));
  Owned<TIcon> back(New<TIcon>());
  LoadBytes(back.get(), file);
  EXPECT_EQ(back->Width(), 16);
  EXPECT_EQ(SaveBytes(back.get()), file);  // the file as loaded
  Owned<TBitmap> dst = MakeBitmap(20, 20, clLime);
  dst->Canvas()->Draw(2, 2, back.get());
  EXPECT_EQ(Px(dst.get(), 4, 4), clLime);
  EXPECT_EQ(Px(dst.get(), 14, 4), clRed);
  DumpIfFailed(dst.get());
}

TEST(Icon, HostileFilesRaiseInvalidGraphic) {
  Owned<TIcon> icon = MakeIcon();
  RawByteString file = SaveBytes(icon.get());
  RawByteString count = file, offset = file, dib = file;
  count[4] = 100;  // a directory longer than the file
  offset[18] = '\x7F';
  dib[22 + 8] = '\xFF';  // a height beyond the data
  dib[22 + 11] = '\x7F';
  const RawByteString cases[] = {"", RawByteString("\0\0\1\0", 4), count, offset, dib, file.substr(0, 60)};
  for (const RawByteString& c : cases) {
    Owned<TIcon> i(New<TIcon>());
    EXPECT_THROW(LoadBytes(i.get(), c), EInvalidGraphic) << c.size();
    EXPECT_TRUE(i->Empty());
  }
}

// --- Pictures ---------------------------------------------------------------------------------

namespace {

// A graphic of our own for the format registry: its file is its width as one byte.
class TTestGraphic : public TGraphic {
  CL_CLASS(TTestGraphic, TGraphic)
 public:
  void LoadFromStream(TStream* Stream) override {
    Byte w = 0;
    Stream->ReadBuffer(&w, 1);
    FW = w;
  }
  void SaveToStream(TStream* Stream) override {
    Byte w = Byte(FW);
    Stream->WriteBuffer(&w, 1);
  }
  void Draw(TCanvas*, const TRect&) override {}

 protected:
  Boolean GetEmpty() override { return FW == 0; }
  Integer GetWidth() override { return FW; }
  Integer GetHeight() override { return 1; }
  void DoSetWidth(Integer V) override { FW = V; }
  void DoSetHeight(Integer) override {}

 private:
  Integer FW = 0;
};
CL_IMPLEMENT_CLASS(TTestGraphic)

}  // namespace

TEST(Picture, FileFormatsByExtensionAndClassName) {
  TClassOf<TPicture> pic = ClassOf<TPicture>();
  EXPECT_EQ(pic->FindExtension(u"BMP").Class(), TBitmap::StaticClass());
  EXPECT_EQ(pic->FindExtension(u"ico").Class(), TIcon::StaticClass());
  EXPECT_EQ(pic->GetGraphicClass(u"tbitmap").Class(), TBitmap::StaticClass());
  EXPECT_EQ(pic->FindExtension(u"tst").Class(), nullptr);
  pic->RegisterFileFormat(u"TST", u"Test pictures", ClassOf<TTestGraphic>());
  EXPECT_EQ(pic->FindExtension(u"tst").Class(), TTestGraphic::StaticClass());
  EXPECT_EQ(GraphicExtension(ClassOf<TTestGraphic>()), u"tst");
  EXPECT_EQ(GraphicFilter(ClassOf<TTestGraphic>()), u"Test pictures (*.tst)|*.tst");
  EXPECT_EQ(GraphicFileMask(ClassOf<TBitmap>()), u"*.bmp");
  String all = GraphicFilter(ClassOf<TGraphic>());
  EXPECT_EQ(all.rfind(u"All (", 0), 0u);
  EXPECT_NE(all.find(u"Bitmaps (*.bmp)|*.bmp"), String::npos);

  String path = TempPath("picture", "p.tst");
  Owned<TTestGraphic> g(New<TTestGraphic>());
  g->SetWidth(7);
  g->SaveToFile(path);
  Owned<TPicture> p(New<TPicture>());
  TCounter changes;
  p->SetOnChange(TNotifyEvent(&changes, &TCounter::Notify));
  p->LoadFromFile(path);
  ASSERT_TRUE(Is<TTestGraphic>(p->Graphic()));
  EXPECT_EQ(p->Width(), 7);
  EXPECT_EQ(changes.Count, 1);
  pic->UnregisterGraphicClass(ClassOf<TTestGraphic>());
  EXPECT_EQ(pic->FindExtension(u"tst").Class(), nullptr);
  try {
    p->LoadFromFile(path);
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), u"Unknown picture file extension (.tst)");
  }
  ASSERT_TRUE(Is<TTestGraphic>(p->Graphic()));  // unchanged
}

TEST(Picture, GraphicsAreCopiedAndForcedToAType) {
  Owned<TPicture> p(New<TPicture>());
  Owned<TBitmap> b = MakeBitmap(3, 2, clRed);
  p->SetGraphic(b.get());
  ASSERT_NE(p->Graphic(), b.get());
  EXPECT_EQ(p->Width(), 3);
  EXPECT_EQ(p->Bitmap()->Height(), 2);
  TIcon* icon = p->Icon();  // another type: replaced by an empty icon
  EXPECT_TRUE(icon->Empty());
  EXPECT_EQ(p->Width(), 0);
  String path = TempPath("picture2", "b.bmp");
  b->SaveToFile(path);
  p->LoadFromFile(path);
  ASSERT_TRUE(Is<TBitmap>(p->Graphic()));
  EXPECT_EQ(Px(p->Bitmap(), 2, 1), clRed);
  Owned<TPicture> q(New<TPicture>());
  q->Assign(p.get());
  EXPECT_EQ(Px(q->Bitmap(), 0, 0), clRed);
  q->Assign(nullptr);
  EXPECT_EQ(q->Graphic(), nullptr);
}

// --- Form streaming -----------------------------------------------------------------------------

namespace {

class TGraphHolder : public TComponent {
  CL_CLASS(TGraphHolder, TComponent)
 public:
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    FBitmap = New<TBitmap>();
    FFont = New<TFont>();
    FPicture = New<TPicture>();
  }
  void Destroy() override {
    FreeAndNil(FBitmap);
    FreeAndNil(FFont);
    FreeAndNil(FPicture);
    inherited::Destroy();
  }
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* V) { FBitmap->Assign(V); }
  TFont* Font() const { return FFont; }
  void SetFont(TFont* V) { FFont->Assign(V); }
  TPicture* Picture() const { return FPicture; }
  void SetPicture(TPicture* V) { FPicture->Assign(V); }

 private:
  TBitmap* FBitmap{};
  TFont* FFont{};
  TPicture* FPicture{};
};

CL_IMPLEMENT_CLASS_PUBLISHED(TGraphHolder, P) {
  P.Property(u"Bitmap", &TGraphHolder::Bitmap, &TGraphHolder::SetBitmap);
  P.Property(u"Font", &TGraphHolder::Font, &TGraphHolder::SetFont);
  P.Property(u"Picture", &TGraphHolder::Picture, &TGraphHolder::SetPicture);
}

std::string Hex(const RawByteString& Bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (unsigned char c : Bytes) s += digits[c >> 4], s += digits[c & 15];
  return s;
}

}  // namespace

TEST(FormStreaming, FontAndBitmapRoundTrip) {
  Owned<TBitmap> pattern = MakeBitmap(3, 2, clWhite, pf24bit);
  pattern->Canvas()->SetPixels(2, 1, clBlue);
  Owned<TMemoryStream> data(New<TMemoryStream>());
  pattern->WriteData(data.get());
  std::string text = "object Holder: TGraphHolder\r\n"
                     "  Bitmap.Data = {" + Hex(StreamBytes(data.get())) + "}\r\n"
                     "  Font.Charset = TURKISH_CHARSET\r\n"
                     "  Font.Color = clRed\r\n"
                     "  Font.Height = -16\r\n"
                     "  Font.Name = 'Arial'\r\n"
                     "  Font.Style = [fsBold, fsItalic]\r\n"
                     "end\r\n";
  Owned<TMemoryStream> bin(New<TMemoryStream>());
  {
    Owned<TMemoryStream> in(New<TMemoryStream>());
    in->WriteBuffer(text.data(), Integer(text.size()));
    in->SetPosition(0);
    ObjectTextToBinary(in.get(), bin.get());
  }
  bin->SetPosition(0);
  Owned<TGraphHolder> h(static_cast<TGraphHolder*>(CreateFrom(ClassOf<TGraphHolder>(), &TComponent::Create, nullptr)));
  ReadComponentFromStream(bin.get(), h.get());
  EXPECT_EQ(h->Font()->Height(), -16);
  EXPECT_EQ(h->Font()->Size(), 12);
  EXPECT_EQ(h->Font()->Color(), clRed);
  EXPECT_EQ(h->Font()->Name(), u"Arial");
  EXPECT_EQ(h->Font()->Charset(), TURKISH_CHARSET);
  EXPECT_TRUE(h->Font()->Style() == (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(h->Bitmap()->Width(), 3);
  EXPECT_EQ(Px(h->Bitmap(), 2, 1), clBlue);
  EXPECT_EQ(Px(h->Bitmap(), 0, 0), clWhite);

  // Written back: the colour and charset by name, Size never, the bitmap's data.
  h->Picture()->SetGraphic(pattern.get());
  Owned<TMemoryStream> out(New<TMemoryStream>());
  WriteComponentToStream(out.get(), h.get());
  RawByteString written = ObjectBinaryToText(StreamBytes(out.get()));
  EXPECT_NE(written.find("Font.Color = clRed"), std::string::npos);
  EXPECT_NE(written.find("Font.Charset = TURKISH_CHARSET"), std::string::npos);
  EXPECT_NE(written.find("Font.Style = [fsBold, fsItalic]"), std::string::npos);
  EXPECT_EQ(written.find("Font.Size"), std::string::npos);
  EXPECT_NE(written.find("Bitmap.Data = {"), std::string::npos);
  EXPECT_NE(written.find("Picture.Data = {"), std::string::npos);
  out->SetPosition(0);
  Owned<TGraphHolder> h2(static_cast<TGraphHolder*>(CreateFrom(ClassOf<TGraphHolder>(), &TComponent::Create, nullptr)));
  ReadComponentFromStream(out.get(), h2.get());
  EXPECT_EQ(h2->Font()->Height(), -16);
  ASSERT_TRUE(Is<TBitmap>(h2->Picture()->Graphic()));
  EXPECT_EQ(Px(h2->Picture()->Bitmap(), 2, 1), clBlue);
  EXPECT_EQ(Px(h2->Bitmap(), 2, 1), clBlue);
}

TEST(FormStreaming, DefaultsAreNotWritten) {
  Owned<TGraphHolder> h(static_cast<TGraphHolder*>(CreateFrom(ClassOf<TGraphHolder>(), &TComponent::Create, nullptr)));
  Owned<TMemoryStream> out(New<TMemoryStream>());
  WriteComponentToStream(out.get(), h.get());
  RawByteString written = ObjectBinaryToText(StreamBytes(out.get()));
  EXPECT_EQ(written.find("Bitmap.Data"), std::string::npos);  // empty
  EXPECT_EQ(written.find("Picture.Data"), std::string::npos);
  EXPECT_EQ(written.find("Font.Charset"), std::string::npos);  // DEFAULT_CHARSET
  EXPECT_NE(written.find("Font.Color = clWindowText"), std::string::npos);
  EXPECT_NE(written.find("Font.Height = -11"), std::string::npos);
}

// Streams of valid pictures with random bytes changed, cut or inserted must
// load or raise an exception of the framework, never crash (the sanitizers
// watch the test).
TEST(HostileInput, MutatedPicturesLoadOrRaise) {
  Owned<TBitmap> bmp8 = MakeBitmap(7, 5, clRed, pf8bit);
  Owned<TBitmap> bmp16 = MakeBitmap(6, 4, clBlue, pf16bit);
  Owned<TIcon> icon = MakeIcon();
  Owned<TPicture> pic(New<TPicture>());
  pic->SetGraphic(bmp16.get());
  Owned<TMemoryStream> picData(New<TMemoryStream>());
  pic->WriteData(picData.get());
  struct Seed {
    RawByteString Bytes;
    int Kind;  // 0 bitmap, 1 icon, 2 picture data
  };
  const Seed seeds[] = {{SaveBytes(bmp8.get()), 0}, {SaveBytes(bmp16.get()), 0}, {SaveBytes(icon.get()), 1},
                        {StreamBytes(picData.get()), 2}};
  uint32_t state = 12345;
  auto next = [&] { return state = state * 1664525u + 1013904223u; };
  int raised = 0, loaded = 0;
  for (const Seed& seed : seeds) {
    for (int round = 0; round < 150; ++round) {
      RawByteString b = seed.Bytes;
      for (int k = 0, n = 1 + int(next() % 4); k < n && !b.empty(); ++k) {
        size_t at = next() % b.size();
        switch (next() % 3) {
          case 0: b[at] = char(next() >> 24); break;
          case 1: b.resize(at); break;
          default: b.insert(at, 1, char(next() >> 24)); break;
        }
      }
      Owned<TMemoryStream> s(New<TMemoryStream>());
      if (!b.empty()) s->WriteBuffer(b.data(), Integer(b.size()));
      s->SetPosition(0);
      try {
        if (seed.Kind == 0) {
          Owned<TBitmap> g(New<TBitmap>());
          g->LoadFromStream(s.get());
          if (!g->Empty()) g->Canvas()->Pixels(0, 0);
        } else if (seed.Kind == 1) {
          Owned<TIcon> g(New<TIcon>());
          g->LoadFromStream(s.get());
        } else {
          Owned<TPicture> g(New<TPicture>());
          g->ReadData(s.get());
        }
        ++loaded;
      } catch (const Exception&) {
        ++raised;
      }
    }
  }
  EXPECT_GT(raised, 0);
  EXPECT_GT(loaded, 0);
}
