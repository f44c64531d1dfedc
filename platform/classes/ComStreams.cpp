#include "platform/classes/ComStreams.h"

#include <algorithm>
#include <cstring>

#include "platform/classes/Streams.h"

CL_IMPLEMENT_CLASS(TStreamAdapter)

void TStreamAdapter::Create(TStream* AStream, TStreamOwnership Ownership) {
  FStream = AStream;
  FOwnership = Ownership;
}

void TStreamAdapter::Destroy() {
  if (FOwnership == soOwned) FreeAndNil(FStream);
  inherited::Destroy();
}

HRESULT TStreamAdapter::Read(void* pv, uint32_t cb, uint32_t* pcbRead) {
  if (pcbRead) *pcbRead = 0;
  if (!pv) return STG_E_INVALIDPOINTER;
  try {
    // The stream's count is a 32-bit Integer: larger requests go in pieces.
    uint32_t done = 0;
    while (done < cb) {
      Integer want = Integer(std::min<uint32_t>(cb - done, 0x40000000u));
      Integer got = FStream->Read(static_cast<char*>(pv) + done, want);
      if (got <= 0) break;
      done += uint32_t(got);
    }
    if (pcbRead) *pcbRead = done;
    return S_OK;
  } catch (...) {
    return S_FALSE;
  }
}

HRESULT TStreamAdapter::Write(const void* pv, uint32_t cb, uint32_t* pcbWritten) {
  if (pcbWritten) *pcbWritten = 0;
  if (!pv) return STG_E_INVALIDPOINTER;
  try {
    uint32_t done = 0;
    while (done < cb) {
      Integer want = Integer(std::min<uint32_t>(cb - done, 0x40000000u));
      Integer put = FStream->Write(static_cast<const char*>(pv) + done, want);
      if (put <= 0) break;
      done += uint32_t(put);
    }
    if (pcbWritten) *pcbWritten = done;
    return done == cb ? S_OK : STG_E_CANTSAVE;
  } catch (...) {
    return STG_E_CANTSAVE;
  }
}

HRESULT TStreamAdapter::Seek(LARGE_INTEGER dlibMove, uint32_t dwOrigin, ULARGE_INTEGER* plibNewPosition) {
  if (dwOrigin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
  try {
    Int64 pos = FStream->Seek(dlibMove, TSeekOrigin(dwOrigin));
    if (plibNewPosition) *plibNewPosition = ULARGE_INTEGER(pos);
    return S_OK;
  } catch (...) {
    return STG_E_INVALIDPOINTER;
  }
}

HRESULT TStreamAdapter::SetSize(ULARGE_INTEGER libNewSize) {
  if (libNewSize > ULARGE_INTEGER(MaxInt64)) return STG_E_INVALIDFUNCTION;
  try {
    FStream->SetSize(Int64(libNewSize));
    return FStream->Size() == Int64(libNewSize) ? S_OK : E_FAIL;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT TStreamAdapter::CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                               ULARGE_INTEGER* pcbWritten) {
  if (pcbRead) *pcbRead = 0;
  if (pcbWritten) *pcbWritten = 0;
  if (!pstm) return STG_E_INVALIDPOINTER;
  char buffer[65536];
  ULARGE_INTEGER totalRead = 0, totalWritten = 0;
  HRESULT result = S_OK;
  while (cb > 0) {
    uint32_t chunk = uint32_t(std::min<ULARGE_INTEGER>(cb, sizeof buffer));
    uint32_t got = 0;
    Read(buffer, chunk, &got);
    if (got == 0) break;
    totalRead += got;
    uint32_t put = 0;
    result = pstm->Write(buffer, got, &put);
    totalWritten += put;
    if (result != S_OK || put != got) {
      if (result == S_OK) result = STG_E_MEDIUMFULL;
      break;
    }
    cb -= got;
  }
  if (pcbRead) *pcbRead = totalRead;
  if (pcbWritten) *pcbWritten = totalWritten;
  return result;
}

HRESULT TStreamAdapter::Commit(uint32_t) { return S_OK; }
HRESULT TStreamAdapter::Revert() { return STG_E_REVERTED; }
HRESULT TStreamAdapter::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, uint32_t) { return STG_E_INVALIDFUNCTION; }
HRESULT TStreamAdapter::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, uint32_t) {
  return STG_E_INVALIDFUNCTION;
}

HRESULT TStreamAdapter::Stat(STATSTG* pstatstg, uint32_t) {
  if (!pstatstg) return STG_E_INVALIDPOINTER;
  *pstatstg = STATSTG{};
  pstatstg->type = STGTY_STREAM;
  try {
    pstatstg->cbSize = ULARGE_INTEGER(std::max<Int64>(FStream->Size(), 0));
  } catch (...) {
    return STG_E_ACCESSDENIED;
  }
  pstatstg->grfMode = STGM_READWRITE;
  return S_OK;
}

HRESULT TStreamAdapter::Clone(IStream** ppstm) {
  if (ppstm) *ppstm = nullptr;
  return E_NOTIMPL;
}
