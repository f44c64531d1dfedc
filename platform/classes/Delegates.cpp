#include "platform/classes/Delegates.h"

#include <cstring>

#include "platform/rtl/Exceptions.h"

bool TMethodCode::operator==(const TMethodCode& O) const {
  return Thunk == O.Thunk && Signature == O.Signature && std::memcmp(Pmf, O.Pmf, sizeof(Pmf)) == 0;
}

namespace delegates_detail {

void RaiseUnassignedCall() { throw EInvalidPointer(u"Call of an unassigned method pointer"); }

void RaiseSignatureMismatch() { throw EInvalidCast(u"Method pointer of another signature"); }

void CopyBits(void* Dst, const void* Src, size_t N) { std::memcpy(Dst, Src, N); }

}  // namespace delegates_detail
