// The ultra-flat painter: one-pixel frames in system colours; hot and
// pressed parts framed in the highlight colour on mixed backgrounds.
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "lib/lookandfeel/vlPainterHelpers.h"
#include "platform/vcl/Graphics.h"

using namespace vl_painters;

TvlLookAndFeelStyle TvlUltraFlatLookAndFeelPainter::LookAndFeelStyle() const { return lfsUltraFlat; }

TColor TvlUltraFlatLookAndFeelPainter::FilterDropDownButtonBorderColor(TvlButtonState AState) const {
  return AState == vlbsNormal ? clBtnShadow : clHighlight;
}

TColor TvlUltraFlatLookAndFeelPainter::TabBorderColor() const { return clBtnShadow; }
TColor TvlUltraFlatLookAndFeelPainter::TabBorderDarkColor() const { return clBtnText; }
TColor TvlUltraFlatLookAndFeelPainter::BorderHighlightColor() const { return clHighlight; }
