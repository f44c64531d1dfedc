// Reads a form written in the text form format into a new form the caller frees.
#pragma once

#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"

inline TForm* NewFormFromText(const RawByteString& AText) {
  RawByteString bin = ObjectTextToBinary(AText);
  TMemoryStream* in = New<TMemoryStream>();
  Finally freeIn([&] { Free(in); });
  in->WriteBuffer(bin.data(), Integer(bin.size()));
  in->SetPosition(0);
  TForm* form = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
  try {
    ReadComponentFromStream(in, form);
  } catch (...) {
    Free(form);
    throw;
  }
  return form;
}
