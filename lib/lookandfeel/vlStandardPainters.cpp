// The standard painter (two-pixel bevels) and the flat painter (one-pixel
// bevels).
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "lib/lookandfeel/vlPainterHelpers.h"
#include "platform/vcl/Graphics.h"

using namespace vl_painters;

// --- Standard ----------------------------------------------------------------------------------

TvlLookAndFeelStyle TvlStandardLookAndFeelPainter::LookAndFeelStyle() const { return lfsStandard; }

// --- Flat ----------------------------------------------------------------------------------------

TvlLookAndFeelStyle TvlFlatLookAndFeelPainter::LookAndFeelStyle() const { return lfsFlat; }
