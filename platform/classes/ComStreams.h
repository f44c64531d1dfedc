// COM streams: the IStream interface and TStreamAdapter, which presents a
// TStream as an IStream (as the platform framework's adapter does).
//
// Positions and sizes are 64-bit (the platform's LARGE_INTEGER and
// ULARGE_INTEGER). The adapter answers Read, Write, Seek, SetSize, CopyTo and
// Stat; Commit succeeds without effect; Revert, LockRegion, UnlockRegion and
// Clone answer STG_E_INVALIDFUNCTION / STG_E_REVERTED / E_NOTIMPL as the
// platform's adapter does. A stream that raises inside a call gives an error
// code, never an exception out of the interface.
#pragma once

#include "platform/classes/Interfaces.h"
#include "platform/classes/WinRegistry.h"
#include "platform/rtl/Types.h"

class TStream;

using LARGE_INTEGER = Int64;
using ULARGE_INTEGER = UInt64;

constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001u);
constexpr HRESULT STG_E_ACCESSDENIED = static_cast<HRESULT>(0x80030005u);
constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009u);
constexpr HRESULT STG_E_WRITEFAULT = static_cast<HRESULT>(0x8003001Du);
constexpr HRESULT STG_E_READFAULT = static_cast<HRESULT>(0x8003001Eu);
constexpr HRESULT STG_E_INVALIDPARAMETER = static_cast<HRESULT>(0x80030057u);
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070u);
constexpr HRESULT STG_E_REVERTED = static_cast<HRESULT>(0x80030102u);
constexpr HRESULT STG_E_CANTSAVE = static_cast<HRESULT>(0x80030103u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

// Seek origins.
constexpr uint32_t STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2;
// Stat flags and storage kinds.
constexpr uint32_t STATFLAG_DEFAULT = 0, STATFLAG_NONAME = 1;
constexpr uint32_t STGTY_STORAGE = 1, STGTY_STREAM = 2, STGTY_LOCKBYTES = 3, STGTY_PROPERTY = 4;
constexpr uint32_t STGM_READ = 0x0, STGM_WRITE = 0x1, STGM_READWRITE = 0x2;

struct STATSTG {
  char16_t* pwcsName{};  // nil: names are never given
  uint32_t type{};
  ULARGE_INTEGER cbSize{};
  win::FILETIME mtime{};
  win::FILETIME ctime{};
  win::FILETIME atime{};
  uint32_t grfMode{};
  uint32_t grfLocksSupported{};
  TGUID clsid{};
  uint32_t grfStateBits{};
  uint32_t reserved{};
};

struct ISequentialStream : public virtual IInterface {
  CL_INTERFACE(ISequentialStream, "{0C733A30-2A1C-11CE-ADE5-00AA0044773D}")
 public:
  virtual HRESULT Read(void* pv, uint32_t cb, uint32_t* pcbRead) = 0;
  virtual HRESULT Write(const void* pv, uint32_t cb, uint32_t* pcbWritten) = 0;
};

struct IStream : public ISequentialStream {
  CL_INTERFACE(IStream, "{0000000C-0000-0000-C000-000000000046}")
 public:
  virtual HRESULT Seek(LARGE_INTEGER dlibMove, uint32_t dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
  virtual HRESULT SetSize(ULARGE_INTEGER libNewSize) = 0;
  virtual HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                         ULARGE_INTEGER* pcbWritten) = 0;
  virtual HRESULT Commit(uint32_t grfCommitFlags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, uint32_t dwLockType) = 0;
  virtual HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, uint32_t dwLockType) = 0;
  virtual HRESULT Stat(STATSTG* pstatstg, uint32_t grfStatFlag) = 0;
  virtual HRESULT Clone(IStream** ppstm) = 0;
};

enum TStreamOwnership : Byte { soReference, soOwned };

// A TStream presented as an IStream. With soOwned the adapter frees the
// stream when its last reference goes.
class TStreamAdapter : public TInterfacedObject, public IStream {
  CL_CLASS(TStreamAdapter, TInterfacedObject)
 public:
  void Create(TStream* AStream, TStreamOwnership Ownership = soReference);
  void Destroy() override;

  TStream* Stream() const { return FStream; }
  TStreamOwnership StreamOwnership() const { return FOwnership; }
  void SetStreamOwnership(TStreamOwnership Value) { FOwnership = Value; }

  HRESULT QueryInterface(const TGUID& AIID, void** Obj) override {
    return TInterfacedObject::QueryInterface(AIID, Obj);
  }
  Integer _AddRef() override { return TInterfacedObject::_AddRef(); }
  Integer _Release() override { return TInterfacedObject::_Release(); }

  HRESULT Read(void* pv, uint32_t cb, uint32_t* pcbRead) override;
  HRESULT Write(const void* pv, uint32_t cb, uint32_t* pcbWritten) override;
  HRESULT Seek(LARGE_INTEGER dlibMove, uint32_t dwOrigin, ULARGE_INTEGER* plibNewPosition) override;
  HRESULT SetSize(ULARGE_INTEGER libNewSize) override;
  HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                 ULARGE_INTEGER* pcbWritten) override;
  HRESULT Commit(uint32_t grfCommitFlags) override;
  HRESULT Revert() override;
  HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, uint32_t dwLockType) override;
  HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, uint32_t dwLockType) override;
  HRESULT Stat(STATSTG* pstatstg, uint32_t grfStatFlag) override;
  HRESULT Clone(IStream** ppstm) override;

 private:
  TStream* FStream = nullptr;
  TStreamOwnership FOwnership = soReference;
};
