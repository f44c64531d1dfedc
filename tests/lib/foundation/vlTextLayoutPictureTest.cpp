// Reference pictures of what the text layout engine draws: alignment, line
// breaking, justification, the end ellipsis, highlighted ranges and pattern
// bars. docs/text-layout.md shows them.
#include <functional>

#include <gtest/gtest.h>

#include "lib/foundation/vlTextLayout.h"
#include "platform/vcl/Graphics.h"
#include "tests/lib/foundation/TextLayoutFixture.h"

namespace {

using namespace win;

class TextLayoutPictures : public TextLayoutFixture {
 protected:
  // The text in a box: the box's outline in grey, then the text inside.
  void Box(const TRect& R, const String& AText, Cardinal AFormat, Integer AHighlightStart = 0,
           Integer AHighlightLength = 0) {
    HBRUSH grey = CreateSolidBrush(RGB(200, 200, 200));
    const RECT frame{R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1};
    FrameRect(DC, &frame, grey);
    DeleteObject(grey);
    TRect r = R;
    vlRenderTextHighlighted(DC, AText, r, AFormat, AHighlightStart, AHighlightLength, nullptr, clHighlight,
                            clHighlightText);
  }
};

const String Sentence = u"Kart okuyucu cihaza bağlanıyor";

TEST_F(TextLayoutPictures, Alignment) {
  const Cardinal horz[] = {VLTO_LEFT, VLTO_CENTER_HORIZONTALLY, VLTO_RIGHT};
  const Cardinal vert[] = {VLTO_TOP, VLTO_CENTER_VERTICALLY, VLTO_BOTTOM};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x)
      Box(TRect{6 + 104 * x, 6 + 64 * y, 6 + 104 * x + 96, 6 + 64 * y + 56}, Sentence,
          horz[x] | vert[y] | VLTO_WORDBREAK);
  ExpectPictureMatches(*Canvas, "text-alignment");
}

TEST_F(TextLayoutPictures, Breaking) {
  // words; characters; a long word without character breaking (clipped);
  // Far-East units; line ends; the spreadsheet-style rule
  Box(TRect{6, 6, 96, 90}, u"Ön ödemeli sayaç kartı yükleme", VLTO_WORDBREAK);
  Box(TRect{110, 6, 200, 90}, u"Çokuzunbirkelimeburada", VLTO_WORDBREAK | VLTO_CHARBREAK);
  Box(TRect{214, 6, 304, 90}, u"Çokuzunbirkelimeburada ve", VLTO_WORDBREAK);
  Box(TRect{6, 104, 40, 194}, u"aa一二。三四五六七八", VLTO_WORDBREAK);
  Box(TRect{110, 104, 200, 194}, u"bir\r\niki\n\rüç\rdört\nbeş", 0);
  Box(TRect{214, 104, 304, 194}, u"Sayaç      numarası      girin", VLTO_WORDBREAK | VLTO_EXCELSTYLE);
  ExpectPictureMatches(*Canvas, "text-breaking");
}

TEST_F(TextLayoutPictures, JustificationAndDistribution) {
  const String text = u"Kontör yüklemesi tamamlandı ve kart okundu, kayıt eklendi";
  Box(TRect{6, 6, 154, 94}, text, VLTO_JUSTIFY_HORIZONTALLY);
  Box(TRect{166, 6, 314, 94}, text, VLTO_DISTRIBUTE_HORIZONTALLY);
  Box(TRect{6, 106, 154, 194}, u"bir\niki\nüç", VLTO_DISTRIBUTE_VERTICALLY | VLTO_CENTER_HORIZONTALLY);
  Box(TRect{166, 106, 314, 194}, text, VLTO_WORDBREAK | VLTO_CENTER_HORIZONTALLY);
  ExpectPictureMatches(*Canvas, "text-justify");
}

TEST_F(TextLayoutPictures, EndEllipsis) {
  // one line cut; cut between rows (the last visible row ends with "...");
  // a word wider than the row; right-aligned; an edit control's whole rows
  Box(TRect{6, 6, 110, 20}, Sentence, VLTO_SINGLELINE | VLTO_END_ELLIPSIS);
  Box(TRect{6, 30, 110, 58}, Sentence + u" ve kart okunuyor", VLTO_WORDBREAK | VLTO_END_ELLIPSIS);
  Box(TRect{6, 70, 110, 112}, u"Kısa\nÇokuzunbirkelimeburada\nson", VLTO_WORDBREAK | VLTO_END_ELLIPSIS);
  Box(TRect{130, 6, 234, 20}, Sentence, VLTO_SINGLELINE | VLTO_END_ELLIPSIS | VLTO_RIGHT);
  Box(TRect{130, 30, 234, 64}, Sentence + u" ve kart okunuyor",
      VLTO_WORDBREAK | VLTO_END_ELLIPSIS | VLTO_EDITCONTROL);
  Box(TRect{130, 76, 234, 90}, u"bir\niki", VLTO_END_ELLIPSIS);
  ExpectPictureMatches(*Canvas, "text-ellipsis");
}

TEST_F(TextLayoutPictures, Highlight) {
  // a range over two rows; a range clamped at the text end; a range under
  // the ellipsis; centred text
  Box(TRect{6, 6, 126, 60}, Sentence, VLTO_WORDBREAK, 13, 12);
  Box(TRect{140, 6, 260, 60}, Sentence, VLTO_WORDBREAK, 26, 10);
  Box(TRect{6, 76, 126, 90}, Sentence, VLTO_SINGLELINE | VLTO_END_ELLIPSIS, 13, 10);
  Box(TRect{6, 100, 126, 114}, Sentence, VLTO_SINGLELINE | VLTO_END_ELLIPSIS | VLTO_RIGHT, 13, 10);
  Box(TRect{140, 76, 260, 130}, Sentence, VLTO_WORDBREAK | VLTO_CENTER_HORIZONTALLY, 0, 4);
  ExpectPictureMatches(*Canvas, "text-highlight");
}

TEST_F(TextLayoutPictures, PatternBars) {
  UseFont(-4);
  Box(TRect{6, 6, 110, 60}, Sentence + u" ve kart okunuyor", VLTO_WORDBREAK | VLTO_PATTERNEDTEXT);
  UseFont(-4, 700);
  Box(TRect{130, 6, 234, 60}, Sentence + u" ve kart okunuyor", VLTO_WORDBREAK | VLTO_PATTERNEDTEXT);
  UseFont(-11);
  Box(TRect{6, 76, 110, 130}, Sentence, VLTO_WORDBREAK | VLTO_PATTERNEDTEXT);  // readable: characters
  ExpectPictureMatches(*Canvas, "text-pattern");
}

}  // namespace
