#include "platform/win/OleStreams.h"

#include <algorithm>
#include <cstring>


namespace win {

namespace {

// An IStream over a global memory block.
class THGlobalStream : public TInterfacedObject, public IStream {
  CL_CLASS(THGlobalStream, TInterfacedObject)
 public:
  void Create(HGLOBAL Block, bool Own, bool DeleteOnRelease, Int64 Size) {
    FBlock = Block;
    FOwnBlock = Own;
    FDeleteOnRelease = DeleteOnRelease;
    FSize = Size;
  }
  void Destroy() override {
    if (FDeleteOnRelease && FBlock) GlobalFree(FBlock);
    FBlock = nullptr;
    inherited::Destroy();
  }
  HGLOBAL Block() const { return FBlock; }

  HRESULT Read(void* pv, uint32_t cb, uint32_t* pcbRead) override {
    if (pcbRead) *pcbRead = 0;
    if (!pv) return STG_E_INVALIDPOINTER;
    Int64 n = std::max<Int64>(0, std::min<Int64>(cb, FSize - FPos));
    if (n > 0) {
      auto* p = static_cast<BYTE*>(GlobalLock(FBlock));
      if (!p) return STG_E_READFAULT;
      std::memcpy(pv, p + FPos, size_t(n));
      GlobalUnlock(FBlock);
      FPos += n;
    }
    if (pcbRead) *pcbRead = uint32_t(n);
    return S_OK;
  }

  HRESULT Write(const void* pv, uint32_t cb, uint32_t* pcbWritten) override {
    if (pcbWritten) *pcbWritten = 0;
    if (!pv) return STG_E_INVALIDPOINTER;
    if (cb == 0) return S_OK;
    HRESULT hr = Reserve(FPos + cb);
    if (hr != S_OK) return hr;
    auto* p = static_cast<BYTE*>(GlobalLock(FBlock));
    if (!p) return STG_E_WRITEFAULT;
    std::memcpy(p + FPos, pv, cb);
    GlobalUnlock(FBlock);
    FPos += cb;
    FSize = std::max(FSize, FPos);
    if (pcbWritten) *pcbWritten = cb;
    return S_OK;
  }

  HRESULT Seek(LARGE_INTEGER dlibMove, uint32_t dwOrigin, ULARGE_INTEGER* plibNewPosition) override {
    Int64 base;
    switch (dwOrigin) {
      case STREAM_SEEK_SET:
        base = 0;
        break;
      case STREAM_SEEK_CUR:
        base = FPos;
        break;
      case STREAM_SEEK_END:
        base = FSize;
        break;
      default:
        return STG_E_INVALIDFUNCTION;
    }
    if ((dlibMove > 0 && base > MaxInt64 - dlibMove) || base + dlibMove < 0) return STG_E_INVALIDFUNCTION;
    FPos = base + dlibMove;
    if (plibNewPosition) *plibNewPosition = ULARGE_INTEGER(FPos);
    return S_OK;
  }

  HRESULT SetSize(ULARGE_INTEGER libNewSize) override {
    if (libNewSize > ULARGE_INTEGER(1) << 31) return STG_E_MEDIUMFULL;
    HRESULT hr = Reserve(Int64(libNewSize));
    if (hr != S_OK) return hr;
    FSize = Int64(libNewSize);
    return S_OK;
  }

  HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                 ULARGE_INTEGER* pcbWritten) override {
    if (pcbRead) *pcbRead = 0;
    if (pcbWritten) *pcbWritten = 0;
    if (!pstm) return STG_E_INVALIDPOINTER;
    Int64 n = std::max<Int64>(
        0, std::min<Int64>(Int64(std::min<ULARGE_INTEGER>(cb, ULARGE_INTEGER(MaxInt64))), FSize - FPos));
    if (n == 0) return S_OK;
    auto* p = static_cast<BYTE*>(GlobalLock(FBlock));
    if (!p) return STG_E_READFAULT;
    uint32_t put = 0;
    HRESULT hr = pstm->Write(p + FPos, uint32_t(n), &put);
    GlobalUnlock(FBlock);
    FPos += n;
    if (pcbRead) *pcbRead = ULARGE_INTEGER(n);
    if (pcbWritten) *pcbWritten = put;
    return hr;
  }

  HRESULT Commit(uint32_t) override { return S_OK; }
  HRESULT Revert() override { return S_OK; }
  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, uint32_t) override { return STG_E_INVALIDFUNCTION; }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, uint32_t) override { return STG_E_INVALIDFUNCTION; }

  HRESULT Stat(STATSTG* pstatstg, uint32_t) override {
    if (!pstatstg) return STG_E_INVALIDPOINTER;
    *pstatstg = STATSTG{};
    pstatstg->type = STGTY_STREAM;
    pstatstg->cbSize = ULARGE_INTEGER(FSize);
    pstatstg->grfMode = STGM_READWRITE;
    return S_OK;
  }

  HRESULT Clone(IStream** ppstm) override {
    if (ppstm) *ppstm = nullptr;
    return E_NOTIMPL;
  }

 private:
  // Makes the block hold at least n bytes.
  HRESULT Reserve(Int64 n) {
    if (n > (Int64(1) << 31)) return STG_E_MEDIUMFULL;
    if (Int64(GlobalSize(FBlock)) >= n) return S_OK;
    if (!FOwnBlock) return STG_E_MEDIUMFULL;
    size_t want = std::max<size_t>(size_t(n), GlobalSize(FBlock) * 2);
    HGLOBAL bigger = GlobalAlloc(GMEM_MOVEABLE, want);
    if (!bigger) return E_OUTOFMEMORY;
    auto* dst = static_cast<BYTE*>(GlobalLock(bigger));
    auto* src = static_cast<BYTE*>(GlobalLock(FBlock));
    if (dst && src && FSize > 0) std::memcpy(dst, src, size_t(FSize));
    GlobalUnlock(FBlock);
    GlobalUnlock(bigger);
    GlobalFree(FBlock);
    FBlock = bigger;
    return S_OK;
  }

  HGLOBAL FBlock = nullptr;
  bool FOwnBlock = false;
  bool FDeleteOnRelease = false;
  Int64 FPos = 0;
  Int64 FSize = 0;
};

}  // namespace

CL_IMPLEMENT_CLASS(THGlobalStream)

HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, IStream** ppstm) {
  if (!ppstm) return E_INVALIDARG;
  *ppstm = nullptr;
  bool own = hGlobal == nullptr;
  Int64 size = 0;
  if (own) {
    hGlobal = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (!hGlobal) return E_OUTOFMEMORY;
  } else {
    if (!GlobalLock(hGlobal)) return E_INVALIDARG;
    GlobalUnlock(hGlobal);
    size = Int64(GlobalSize(hGlobal));
  }
  THGlobalStream* s = New<THGlobalStream>(hGlobal, own, own || fDeleteOnRelease, size);
  IStream* i = s;
  i->_AddRef();  // the caller's reference
  *ppstm = i;
  return S_OK;
}

HRESULT GetHGlobalFromStream(IStream* pstm, HGLOBAL* phglobal) {
  if (!phglobal) return E_INVALIDARG;
  *phglobal = nullptr;
  auto* s = dynamic_cast<THGlobalStream*>(pstm);
  if (!s) return E_INVALIDARG;
  *phglobal = s->Block();
  return S_OK;
}

}  // namespace win
