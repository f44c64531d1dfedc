#include "platform/classes/Delegates.h"

#include <cstddef>
#include <cstring>

#include "platform/rtl/Exceptions.h"

bool TMethodCode::operator==(const TMethodCode& O) const {
  if (Signature != O.Signature) return false;
  if (Entry && O.Entry) return Entry == O.Entry;
  return Thunk == O.Thunk && std::memcmp(Pmf, O.Pmf, sizeof(Pmf)) == 0;
}

// A member function pointer of the Itanium C++ ABI (the one ABI of the build):
// a function address, or for a virtual function its offset in the table plus
// one (on ARM the offset, with the flag in the lowest bit of Adj), and the
// adjustment of the object pointer.
void TMethodCode::Resolve(void* Data) {
  std::ptrdiff_t ptr, adj;
  std::memcpy(&ptr, Pmf, sizeof ptr);
  std::memcpy(&adj, Pmf + sizeof ptr, sizeof adj);
#if defined(__arm__) || defined(__aarch64__)
  bool isVirtual = (adj & 1) != 0;
  adj >>= 1;
  std::ptrdiff_t slot = ptr;
#else
  bool isVirtual = (ptr & 1) != 0;
  std::ptrdiff_t slot = ptr - 1;
#endif
  if (!isVirtual) {
    std::memcpy(&Entry, &ptr, sizeof Entry);
    return;
  }
  Entry = nullptr;
  if (!Data) return;
  const char* object = static_cast<const char*>(Data) + adj;
  const char* table;
  std::memcpy(&table, object, sizeof table);
  std::memcpy(&Entry, table + slot, sizeof Entry);
}

namespace delegates_detail {

void RaiseUnassignedCall() { throw EInvalidPointer(u"Call of an unassigned method pointer"); }

void RaiseSignatureMismatch() { throw EInvalidCast(u"Method pointer of another signature"); }

void CopyBits(void* Dst, const void* Src, size_t N) { std::memcpy(Dst, Src, N); }

}  // namespace delegates_detail
