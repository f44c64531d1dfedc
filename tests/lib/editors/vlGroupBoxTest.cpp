// The group box and panel on the headless screen: the port dialog's frame,
// the caption rectangle of every alignment, the client area given to child
// controls, the panel style's rules, the accelerator with real keys.
#include <gtest/gtest.h>

#include <string>

#include "lib/editors/vlGroupBox.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

namespace {

constexpr int kW = 185, kH = 105;

class GroupBoxTest : public controltest::ControlFixture {
 protected:
  TvlGroupBox* AddBox(const String& ACaption) {
    TvlGroupBox* b = Add<TvlGroupBox>(10, 10, kW, kH);
    b->Style()->LookAndFeel()->SetNativeStyle(false);
    b->Style()->LookAndFeel()->SetKind(lfUltraFlat);
    b->Style()->SetTransparentBorder(false);
    b->SetCaption(ACaption);
    Pump();
    return b;
  }
  // The height of "Wg" in the box's caption font.
  static int WgHeight(TvlGroupBox* B) { return vlMeasureTextHeight(B->CaptionFont(), u"Wg"); }
  TColor PixelAt(TControl* C, int X, int Y) {
    Display.Compose();
    const TPoint p = C->ClientToScreen(TPoint{X, Y});
    const uint32_t v = Display.Pixels()[size_t(p.Y) * size_t(Display.Width()) + size_t(p.X)];
    return TColor(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16));
  }
  void AltKey(win::UINT AKey) {
    Display.KeyDown(win::VK_MENU);
    Display.KeyDown(AKey);
    Pump();
    Display.KeyUp(AKey);
    Display.KeyUp(win::VK_MENU);
    Pump();
  }
};

// The port-choice dialog's group box: client-aligned, no caption, a bold
// 13-pixel font, no shadow, no transparent border, ultra-flat: a one-pixel
// frame in the highlight colour whose top line lies at half the caption height.
TEST_F(GroupBoxTest, ThePortDialogFrameIsOnePixelOfHighlightThroughHalfTheCaption) {
  TvlGroupBox* box = AddBox(u"");
  TFont* font = New<TFont>();
  font->SetName(u"MS Sans Serif");
  font->SetHeight(-13);
  font->SetStyle(TFontStyles{fsBold});
  box->Style()->SetFont(font);
  Free(font);
  box->Style()->SetShadow(false);
  box->SetAlign(alClient);
  Pump();
  ASSERT_EQ(box->Width(), Form->ClientWidth());
  const int h = WgHeight(box);
  const int top = h / 2;
  const TColor highlight = ColorToRGB(clHighlight);
  const TColor back = ColorToRGB(box->ViewInfo()->BackgroundColor());
  const int x = box->Width() / 2;
  EXPECT_EQ(PixelAt(box, x, top), highlight);
  EXPECT_EQ(PixelAt(box, x, top - 1), back);
  EXPECT_EQ(PixelAt(box, x, top + 1), back);
  EXPECT_EQ(PixelAt(box, 0, box->Height() / 2), highlight);
  EXPECT_EQ(PixelAt(box, box->Width() - 1, box->Height() / 2), highlight);
  EXPECT_EQ(PixelAt(box, x, box->Height() - 1), highlight);
  // An empty caption still reserves the band: the client area starts at the
  // "Wg" height plus 3 below the one-pixel top border.
  TEdit* child = Add<TEdit>(0, 0, 50, 21, box);
  child->SetAlign(alClient);
  Pump();
  EXPECT_EQ(child->BoundsRect(), vlMakeRect(1, h + 3 + 1, box->Width() - 1, box->Height() - 1));
}

// CaptionRect for every alignment (185 x 105, no shadow), with (w, h) the
// caption's extent.
TEST_F(GroupBoxTest, CaptionRectOfEveryAlignment) {
  TvlGroupBox* box = AddBox(u"Port");
  TSize e{};
  vlMeasureTextExtent(box->Style()->GetVisibleFont(), u"Port", 0, e);
  const int w = e.cx, h = e.cy, W = kW, H = kH;
  struct Case {
    TvlCaptionAlignment Alignment;
    TRect Expected;
  };
  const Case cases[] = {
      {alTopLeft, vlMakeRect(8, 0, 8 + w, h)},
      {alTopCenter, vlMakeRect((W - w) / 2, 0, (W - w) / 2 + w, h)},
      {alTopRight, vlMakeRect(W - 8 - w, 0, W - 8, h)},
      {alBottomLeft, vlMakeRect(8, H - h, 8 + w, H)},
      {alBottomCenter, vlMakeRect((W - w) / 2, H - h, (W - w) / 2 + w, H)},
      {alBottomRight, vlMakeRect(W - 8 - w, H - h, W - 8, H)},
      {alLeftTop, vlMakeRect(0, 8, h, 9 + w)},
      {alLeftCenter, vlMakeRect(0, H - (H - w) / 2 - w - 1, h, H - (H - w) / 2)},
      {alLeftBottom, vlMakeRect(0, H - 8 - w - 1, h, H - 8)},
      {alRightTop, vlMakeRect(W - h, 8, W, 8 + w)},
      {alRightCenter, vlMakeRect(W - h, (H - w) / 2, W, (H - w) / 2 + w)},
      {alRightBottom, vlMakeRect(W - h, H - 8 - w, W, H - 8)},
      {alCenterCenter, vlMakeRect((W - w) / 2, (H - h) / 2, (W - w) / 2 + w, (H - h) / 2 + h)},
  };
  for (const Case& c : cases) {
    box->SetAlignment(c.Alignment);
    Pump();
    SCOPED_TRACE(int(c.Alignment));
    EXPECT_EQ(box->ViewInfo()->CaptionRect, c.Expected);
    EXPECT_EQ(box->ViewInfo()->TextRect, c.Expected);
  }
}

// The client area children get: the caption side takes "Wg" height plus 3
// plus the border; the centred caption and the panel add nothing for it.
TEST_F(GroupBoxTest, AdjustClientRectByCaptionSideAndPanel) {
  TvlGroupBox* box = AddBox(u"Port");
  TEdit* child = Add<TEdit>(0, 0, 50, 21, box);
  child->SetAlign(alClient);
  const int band = WgHeight(box) + 3 + 1;
  struct Case {
    TvlCaptionAlignment Alignment;
    bool Panel;
    int BorderWidth;
    TRect Expected;
  };
  const Case cases[] = {
      {alTopLeft, false, 0, vlMakeRect(1, band, kW - 1, kH - 1)},
      {alBottomCenter, false, 0, vlMakeRect(1, 1, kW - 1, kH - band)},
      {alRightTop, false, 0, vlMakeRect(1, 1, kW - band, kH - 1)},
      {alCenterCenter, false, 0, vlMakeRect(1, 1, kW - 1, kH - 1)},
      {alTopLeft, true, 0, vlMakeRect(1, 1, kW - 1, kH - 1)},
      {alTopLeft, true, 4, vlMakeRect(5, 5, kW - 5, kH - 5)},
  };
  for (const Case& c : cases) {
    box->PanelStyle()->SetActive(c.Panel);
    box->PanelStyle()->SetBorderWidth(c.BorderWidth);
    box->SetAlignment(c.Alignment);
    Pump();
    EXPECT_EQ(child->BoundsRect(), c.Expected) << int(c.Alignment) << " panel " << c.Panel;
  }
  // A left caption is vertical: its font is rotated to read bottom to top.
  box->PanelStyle()->SetActive(false);
  box->SetAlignment(alLeftCenter);
  Pump();
  EXPECT_TRUE(box->IsVerticalCaption());
  win::LOGFONTW lf{};
  win::GetObject(box->CaptionFont()->Handle(), sizeof(lf), &lf);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(child->BoundsRect(), vlMakeRect(band, 1, kW - 1, kH - 1));
}

TEST_F(GroupBoxTest, PanelStyleValues) {
  TvlGroupBox* box = AddBox(u"Port");
  TvlPanelStyle* p = box->PanelStyle();
  for (int v : {0, 1, -7}) {
    p->SetCaptionIndent(v);
    EXPECT_EQ(p->CaptionIndent(), 2);
  }
  p->SetCaptionIndent(9);
  EXPECT_EQ(p->CaptionIndent(), 9);
  // Assign copies all five values.
  TvlGroupBox* other = AddBox(u"");
  other->PanelStyle()->SetActive(true);
  other->PanelStyle()->SetBorderWidth(3);
  other->PanelStyle()->SetWordWrap(true);
  other->PanelStyle()->SetOfficeBackgroundKind(pobkGradient);
  box->SetPanelStyle(other->PanelStyle());
  EXPECT_TRUE(p->Active());
  EXPECT_EQ(p->BorderWidth(), 3);
  EXPECT_EQ(p->CaptionIndent(), 2);
  EXPECT_TRUE(p->WordWrap());
  EXPECT_EQ(p->OfficeBackgroundKind(), pobkGradient);
  // A panel with alRightBottom: the caption sits CaptionIndent (plus the
  // border) from the right and bottom edges.
  p->SetWordWrap(false);
  box->SetAlignment(alRightBottom);
  Pump();
  const TRect c = box->ViewInfo()->CaptionRect;
  EXPECT_EQ(c.Right, kW - 1 - 2);
  EXPECT_EQ(c.Bottom, kH - 1 - 2);
}

TEST_F(GroupBoxTest, DisabledUsesTheDisabledStyleAndAGreyBorder) {
  TvlGroupBox* box = AddBox(u"Port");
  EXPECT_EQ(box->ViewInfo()->BorderColor, clHighlight);
  box->SetEnabledProp(false);
  Pump();
  EXPECT_EQ(box->ViewInfo()->ContainerState, TvlContainerState{csDisabled});
  EXPECT_EQ(box->ViewInfo()->BorderColor, clBtnShadow);
  // A click never focuses the box, and it is no tab stop by default.
  box->SetEnabledProp(true);
  EXPECT_FALSE(box->TabStop());
  TEdit* outside = Add<TEdit>(250, 200, 60, 21);
  outside->SetFocus();
  ClickAt(box, 50, 50);
  EXPECT_TRUE(outside->Focused());
}

// Alt with the caption's accelerator focuses the first child in tab order and
// consumes the key.
TEST_F(GroupBoxTest, TheAcceleratorFocusesTheFirstChild) {
  TvlGroupBox* box = AddBox(u"&Port");
  TEdit* second = Add<TEdit>(20, 60, 60, 21, box);
  TEdit* first = Add<TEdit>(20, 30, 60, 21, box);
  first->SetTabOrder(0);
  TEdit* outside = Add<TEdit>(250, 200, 60, 21);
  outside->SetFocus();
  Pump();
  AltKey('P');
  EXPECT_TRUE(first->Focused());
  EXPECT_FALSE(second->Focused());
  EXPECT_TRUE(outside->Text().empty());
  EXPECT_FALSE(box->IsAccelCharHandling());
}

}  // namespace
