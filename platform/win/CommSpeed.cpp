#include "platform/win/CommSpeed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace win::comm_detail {

bool SetOtherSpeed(int fd, unsigned Baud) {
  struct termios2 t {};
  if (::ioctl(fd, TCGETS2, &t) != 0) return false;
  t.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  t.c_ispeed = Baud;
  t.c_ospeed = Baud;
  if (::ioctl(fd, TCSETS2, &t) != 0) return false;
  // A driver may round the speed to what it can do; one that kept a
  // different speed altogether did not take it.
  struct termios2 back {};
  if (::ioctl(fd, TCGETS2, &back) != 0) return false;
  return back.c_ospeed != 0;
}

unsigned GetSpeed(int fd) {
  struct termios2 t {};
  if (::ioctl(fd, TCGETS2, &t) != 0) return 0;
  return t.c_ospeed;
}

}  // namespace win::comm_detail
