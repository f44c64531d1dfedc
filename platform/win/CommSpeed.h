// Speeds outside the termios table, through termios2 and BOTHER. Kept in a
// file of its own because the kernel's termios2 header cannot be included
// beside the C library's termios.h. Internal to the serial layer (Comm.cpp).
#pragma once

namespace win::comm_detail {

// Sets both directions of fd to Baud with BOTHER. False (errno set) when the
// kernel or the device refuses it.
bool SetOtherSpeed(int fd, unsigned Baud);
// The output speed of fd in bits per second, or 0 when unknown.
unsigned GetSpeed(int fd);

}  // namespace win::comm_detail
