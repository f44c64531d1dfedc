#include "lib/foundation/vlGraphicsUtils.h"

#include <gtest/gtest.h>

#include <memory>

#include "lib/foundation/vlGraphics.h"
#include "platform/classes/StringLists.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "tests/lib/foundation/TextLayoutFixture.h"

namespace {

using namespace win;
using GraphicsText = TextLayoutFixture;

TEST_F(GraphicsText, TextRectForRows) {
  const String text = u"Ön ödemeli sayaç kartı yükleme programı";
  const int line = Width(text), height = 13;
  TRect r;
  vlCalcTextRectForRows(DC, text, 1, r);
  EXPECT_EQ(r, (TRect{0, 0, line, height}));
  // two rows: the narrowest width that keeps the text in two rows
  vlCalcTextRectForRows(DC, text, 2, r);
  EXPECT_EQ(r.Bottom, 2 * height);
  TRect narrower{0, 0, r.Right - 1, 0};
  DrawTextW(DC, text.c_str(), -1, &narrower, DT_CALCRECT | DT_WORDBREAK | DT_NOFULLWIDTHCHARBREAK);
  EXPECT_GT(narrower.bottom, 2 * height);
  EXPECT_LT(r.Right, line);
  // five rows ask for less width still; forcing the height gives all five
  TRect five;
  vlCalcTextRectForRows(DC, text, 5, five, true);
  EXPECT_LE(five.Right, r.Right);
  EXPECT_EQ(five.Bottom, 5 * height);
  // 0 rows: the widest word, the narrowest the text can be
  TRect any;
  vlCalcTextRectForRows(DC, text, 0, any);
  EXPECT_EQ(any.Right, Width(u"programı"));
}

TEST_F(GraphicsText, SplitTextToLines) {
  TCanvas* platformCanvas = New<TCanvas>();
  platformCanvas->SetHandle(DC);
  platformCanvas->Font()->SetHeight(-11);
  TvlCanvas* canvas = New<TvlCanvas>(platformCanvas);
  TStringList* lines = New<TStringList>();
  auto split = [&](const String& text, int width) {
    lines->Clear();
    vlSplitTextToLines(text, canvas, TRect{0, 0, width, 100}, lines);
    std::vector<String> result;
    for (Integer i = 0; i < lines->Count(); ++i) result.push_back(lines->Strings(i));
    return result;
  };
  EXPECT_EQ(split(u"aa aa aa", 35), (std::vector<String>{u"aa aa", u"aa"}));
  EXPECT_EQ(split(u"aa\r\naa aa", 100), (std::vector<String>{u"aa", u"aa aa"}));
  EXPECT_EQ(split(u"aaaaaaaaaa aa", 20), (std::vector<String>{u"aaaaaaaaaa", u"aa"}));  // a wide word keeps its line
  EXPECT_EQ(split(u"aa\n\n\naa", 100), (std::vector<String>{u"aa", u"aa"}));           // a run of breaks is one
  EXPECT_TRUE(split(u"", 100).empty());
  Free(lines);
  Free(canvas);
  platformCanvas->SetHandle(nullptr);
  Free(platformCanvas);
}

TEST(GraphicsUtils, MirroredCharSetText) {
  EXPECT_FALSE(vlIsMirroredCharSetText(178, u"Kart"));  // Latin first: never
  EXPECT_TRUE(vlIsMirroredCharSetText(178, u"\u0643\u0627\u0631\u062A"));
  EXPECT_TRUE(vlIsMirroredCharSetText(134, u"\u4E00"));
  EXPECT_FALSE(vlIsMirroredCharSetText(162, u"Ümit"));
  EXPECT_FALSE(vlIsMirroredCharSetText(1, u"Ümit"));  // the system's Turkish character set
  EXPECT_FALSE(vlIsMirroredCharSetText(178, u""));
}

TEST(GraphicsUtils, HighlightMixesFromTheSystemColours) {
  // face (240, 240, 240), highlight (51, 153, 255), window white
  EXPECT_EQ(vlGetLightHighlightColor(), Integer(RGB(158, 203, 248)));
  EXPECT_EQ(vlGetLighterHighlightColor(), Integer(RGB(194, 225, 255)));  // blue clamped at 255
  EXPECT_EQ(vlGetNearestScreenColor(clBtnFace), Integer(RGB(240, 240, 240)));
}

TEST(GraphicsUtils, BitmapColorsRoundTrip) {
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 3, 2);
  ReleaseDC(nullptr, screen);
  std::vector<RGBQUAD> pixels;
  vlGetBitmapColors(bmp, true, pixels);
  ASSERT_EQ(pixels.size(), 6u);
  pixels[0] = RGBQUAD{1, 2, 3, 0};  // top-left
  vlStoreBitmapColors(bmp, pixels, true);
  EXPECT_TRUE(pixels.empty());  // released
  vlGetBitmapColors(bmp, false, pixels);
  EXPECT_EQ(pixels[3].rgbBlue, 1);  // bottom-up: the top row comes second
  EXPECT_EQ(pixels[3].rgbRed, 3);
  BITMAP info{};
  EXPECT_TRUE(vlGetBitmapInfo(bmp, info));
  EXPECT_EQ(info.bmWidth, 3);
  DeleteObject(bmp);
  HBITMAP empty = CreateCompatibleBitmap(nullptr, 0, 0);
  vlGetBitmapColors(empty, true, pixels);
  EXPECT_TRUE(pixels.empty());
  LOGBRUSH lb{};
  EXPECT_TRUE(vlGetBrushInfo(vlSysColorBrush(COLOR_WINDOW), lb));
  EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(vlSysColorBrush(31), nullptr);
  EXPECT_TRUE(vlGetBrushInfo(vlCheckerBrush(), lb));
  EXPECT_EQ(vlGetScreenPixelsPerInch(), (TSize{96, 96}));
}

TEST(GraphicsUtils, CursorSizeIsTheVisiblePartBelowTheHotSpot) {
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(GetCursor(), &info));
  TSize size;
  vlGetCursorSize(size);
  EXPECT_EQ(size.cx, GetSystemMetrics(SM_CXCURSOR));
  EXPECT_GT(size.cy, 0);
  EXPECT_LT(size.cy, GetSystemMetrics(SM_CYCURSOR) - Integer(info.yHotspot));
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
}

TEST(GraphicsUtils, AssignImageListMovesTheLinkAndTellsIt) {
  TComponent* owner = New<TComponent>(nullptr);
  TImageList* a = New<TImageList>(nullptr);
  TImageList* b = New<TImageList>(nullptr);
  TChangeLink* link = New<TChangeLink>();
  TCustomImageList* field = nullptr;
  vlAssignImageList(a, field, link, owner);
  EXPECT_EQ(field, a);
  EXPECT_EQ(link->Sender(), a);
  vlAssignImageList(b, field, link, owner);
  EXPECT_EQ(link->Sender(), b);
  EXPECT_TRUE(vlIsImageIndexValid(field, -1) == false);
  EXPECT_FALSE(vlIsImageIndexValid(nullptr, 0));
  vlAssignImageList(nullptr, field, link, owner);
  EXPECT_EQ(field, nullptr);
  Free(link);
  Free(a);
  Free(b);
  Free(owner);
  EXPECT_EQ(vlDeflateRectBy(TRect{0, 0, 10, 10}, TRect{1, 2, 3, 4}), (TRect{1, 2, 7, 6}));
}

// A parent panel with a sibling and the control over it: what the control's
// background shows without and with the siblings painted.
TEST_F(GraphicsText, TransparentBackgroundPicture) {
  TForm* form = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
  form->SetBounds(0, 0, 300, 200);
  auto panel = [&](TWinControl* parent, int x, int y, int w, int h, TColor color, const String& caption) {
    TPanel* p = New<TPanel>(form);
    p->SetParent(parent);
    p->SetBounds(x, y, w, h);
    p->SetColor(color);
    p->SetCaption(caption);
    p->Font()->SetHeight(-11);
    return p;
  };
  TPanel* back = panel(form, 10, 10, 200, 140, TColor(RGB(180, 210, 240)), u"Arka panel");
  back->SetBevelOuter(bvRaised);
  TPanel* sibling = panel(back, 20, 30, 90, 50, TColor(RGB(250, 220, 90)), u"Kardeş");
  sibling->SetBorderStyle(bsSingle);
  TPanel* control = panel(back, 60, 50, 120, 70, clWhite, u"");
  control->HandleNeeded();
  sibling->HandleNeeded();
  gditest::TCanvas picture(2 * 120 + 8, 70, RGB(255, 255, 255));
  TCanvas* platformCanvas = New<TCanvas>();
  platformCanvas->SetHandle(picture.DC);
  SetViewportOrgEx(picture.DC, 0, 0, nullptr);
  vlDrawTransparentBackground(control, platformCanvas, TRect{0, 0, 120, 70}, false);
  SetViewportOrgEx(picture.DC, 128, 0, nullptr);
  vlDrawTransparentBackground(control, platformCanvas, TRect{0, 0, 120, 70}, true);
  SetViewportOrgEx(picture.DC, 0, 0, nullptr);
  platformCanvas->SetHandle(nullptr);
  Free(platformCanvas);
  // the parent's colour where nothing else lies, the sibling's only when asked
  EXPECT_EQ(picture.At(110, 60), RGB(180, 210, 240));
  EXPECT_EQ(picture.At(5, 5), RGB(180, 210, 240));
  EXPECT_EQ(picture.At(128 + 20, 10), RGB(250, 220, 90));
  ExpectPictureMatches(picture, "background-transparent");
  Free(form);
}

// A sibling that answers whether a frame is drawn for it (as the editors'
// inner memo does, answering false) and counts the questions.
class TFrameQueryPanel : public TPanel, public IvlParentFrameQuery {
  CL_CLASS(TFrameQueryPanel, TPanel)
 public:
  Boolean NeedsParentFrame() override {
    ++Asked;
    return Needs;
  }
  Boolean Needs = true;
  Integer Asked = 0;
};
CL_IMPLEMENT_CLASS(TFrameQueryPanel)

// The frame of a bordered sibling painted under a control is drawn unless the
// sibling answers that it needs none; the control's own background never asks.
TEST_F(GraphicsText, SiblingFrameFollowsItsParentFrameQuery) {
  TForm* form = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
  form->SetBounds(0, 0, 300, 200);
  const TColor backColor = TColor(RGB(180, 210, 240)), siblingColor = TColor(RGB(250, 220, 90));
  TPanel* back = New<TPanel>(form);
  back->SetParent(form);
  back->SetBounds(10, 10, 200, 140);
  back->SetBevelOuter(bvNone);
  back->SetColor(backColor);
  TFrameQueryPanel* sibling = New<TFrameQueryPanel>(form);
  sibling->SetParent(back);
  sibling->SetBounds(20, 30, 90, 50);
  sibling->SetBevelOuter(bvNone);
  sibling->SetBorderStyle(bsSingle);
  sibling->SetColor(siblingColor);
  TPanel* control = New<TPanel>(form);
  control->SetParent(back);
  control->SetBounds(60, 50, 120, 70);
  control->HandleNeeded();
  sibling->HandleNeeded();
  auto paint = [&](Boolean ASiblings) {
    auto picture = std::make_unique<gditest::TCanvas>(120, 70, RGB(255, 255, 255));
    TCanvas* canvas = New<TCanvas>();
    canvas->SetHandle(picture->DC);
    vlDrawTransparentBackground(control, canvas, TRect{0, 0, 120, 70}, ASiblings);
    canvas->SetHandle(nullptr);
    Free(canvas);
    return picture;
  };

  EXPECT_EQ(paint(false)->At(49, 10), COLORREF(backColor));
  EXPECT_EQ(sibling->Asked, 0) << "no sibling painted, nothing asked";

  // The sibling's window covers x -40..49 and y -20..29 of the picture; its
  // frame is two pixels wide and its client area is painted inside it.
  const auto framed = paint(true);
  EXPECT_GT(sibling->Asked, 0);
  EXPECT_EQ(framed->At(47, 10), COLORREF(siblingColor));
  EXPECT_EQ(framed->At(10, 27), COLORREF(siblingColor));
  for (const COLORREF edge : {framed->At(48, 10), framed->At(49, 10), framed->At(10, 28), framed->At(10, 29)}) {
    EXPECT_NE(edge, COLORREF(siblingColor)) << "the frame's right and bottom edges";
    EXPECT_NE(edge, COLORREF(backColor));
  }

  // No frame: the client area is painted from the window's corner and the
  // border's place keeps the parent's colour.
  sibling->Needs = false;
  sibling->Asked = 0;
  const auto frameless = paint(true);
  EXPECT_GT(sibling->Asked, 0);
  EXPECT_EQ(frameless->At(45, 10), COLORREF(siblingColor));
  EXPECT_EQ(frameless->At(10, 25), COLORREF(siblingColor));
  for (const COLORREF edge : {frameless->At(48, 10), frameless->At(49, 10), frameless->At(10, 28), frameless->At(10, 29)})
    EXPECT_EQ(edge, COLORREF(backColor));
  Free(form);
}

}  // namespace
