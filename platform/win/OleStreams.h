// ole32's streams on global memory: CreateStreamOnHGlobal and
// GetHGlobalFromStream.
//
// A stream made on a given block reads and writes that block; writing past
// its end grows the block only when the stream made it (hGlobal nil), since
// global blocks of this layer cannot be resized: a write beyond a caller's
// block fails with STG_E_MEDIUMFULL. With fDeleteOnRelease the block is
// freed when the stream's last reference goes.
#pragma once

#include "platform/classes/ComStreams.h"
#include "platform/win/Windows.h"

namespace win {

HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, IStream** ppstm);
HRESULT GetHGlobalFromStream(IStream* pstm, HGLOBAL* phglobal);

}  // namespace win
