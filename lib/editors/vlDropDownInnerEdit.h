// The inner edit of the drop-down editors: it shows no hint while the popup
// is open.
#pragma once

#include "lib/editors/vlInnerTextEdit.h"

class TvlCustomDropDownInnerEdit : public TvlCustomInnerTextEdit {
  CL_CLASS(TvlCustomDropDownInnerEdit, TvlCustomInnerTextEdit)
 public:
  void Dispatch(TMessage& Message) override;
};
