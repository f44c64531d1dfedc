#include "lib/editors/vlExtEditUtils.h"

#include <cmath>

#include "lib/foundation/vlGraphics.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {
constexpr Double kMaxFloatTextValue = 1.7e308;
}  // namespace

Integer vlGetNonNegativeRectWidth(const TRect& R) { return R.Right > R.Left ? R.Right - R.Left : 0; }
Integer vlGetNonNegativeRectHeight(const TRect& R) { return R.Bottom > R.Top ? R.Bottom - R.Top : 0; }

Integer vlMakeTextFlags(Integer ABase, TAlignment AHorzAlignment, TvlEditVertAlignment AVertAlignment,
                        Boolean AShowPrefix, Boolean AWindowsFlags, Integer ATabWidth, Boolean AWordWrap,
                        Boolean AShowEndEllipsis) {
  Integer r = ABase;
  if (AWindowsFlags) {
    if (AHorzAlignment == taRightJustify) r |= DT_RIGHT;
    if (AHorzAlignment == taCenter) r |= DT_CENTER;
    if (AVertAlignment == taBottomJustify) r |= DT_BOTTOM;
    if (AVertAlignment == taVCenter) r |= DT_VCENTER;
    if (!AShowPrefix) r |= DT_NOPREFIX;
    if (AWordWrap) r |= DT_WORDBREAK;
    if (AShowEndEllipsis) r |= DT_END_ELLIPSIS;
    if (ATabWidth > 0) r |= DT_EXPANDTABS | DT_TABSTOP;
    return r;
  }
  r |= AHorzAlignment == taRightJustify ? vlAlignRight : AHorzAlignment == taCenter ? vlAlignHCenter : vlAlignLeft;
  r |= AVertAlignment == taBottomJustify ? vlAlignBottom : AVertAlignment == taVCenter ? vlAlignVCenter : vlAlignTop;
  if (AShowPrefix) r |= vlShowPrefix;
  if (AWordWrap) r |= vlWordBreak;
  if (AShowEndEllipsis) r |= vlShowEndEllipsis;
  if (ATabWidth > 0) r |= vlExpandTabs;
  return r;
}

Boolean vlIsVarEmptyOrNull(const Variant& AValue) { return VarIsNull(AValue) || VarIsEmpty(AValue); }

Boolean vlIsValidIntegerText(const String& AText) {
  const String s = Trim(AText);
  Integer value = 0;
  return !s.empty() && TryStrToInt(s, value);
}

Boolean vlIsValidFloatText(const String& AText) {
  const String s = Trim(AText);
  if (s.empty()) return false;
  const Char separator = FormatSettings().DecimalSeparator;
  Boolean separatorSeen = false, digitSeen = false;
  String normal;
  for (size_t i = 0; i < s.size(); ++i) {
    const Char c = s[i];
    if (c >= u'0' && c <= u'9') {
      digitSeen = true;
      normal += c;
    } else if (c == separator && !separatorSeen) {
      separatorSeen = true;
      normal += u'.';
    } else if (c == u'-' && i == 0)
      normal += c;
    else
      return false;
  }
  if (!digitSeen) return false;
  const std::string ascii(normal.begin(), normal.end());
  const Double value = std::strtod(ascii.c_str(), nullptr);
  return std::isfinite(value) && std::fabs(value) <= kMaxFloatTextValue;
}

Boolean vlSelectRotatedFont(TCanvas* ACanvas, TFont* AFont, Integer AAngle) {
  ACanvas->Font()->Assign(AFont);
  TEXTMETRICW tm{};
  GetTextMetricsW(ACanvas->Handle(), &tm);
  const Boolean trueType = (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
  if (trueType && AAngle % 360 != 0) {
    LOGFONTW lf{};
    GetObjectW(ACanvas->Font()->Handle(), sizeof(lf), &lf);
    lf.lfEscapement = ((AAngle % 360 + 360) % 360) * 10;
    lf.lfOrientation = lf.lfEscapement;
    ACanvas->Font()->SetHandle(CreateFontIndirectW(&lf));
  }
  return trueType;
}

Integer vlNormalizeTextAngle(Integer AAngle, Boolean AIsTrueType) {
  return AIsTrueType ? ((AAngle % 360) + 360) % 360 : 0;
}
