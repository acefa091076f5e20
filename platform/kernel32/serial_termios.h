// DCB fields to and from termios.
#pragma once
#include <termios.h>
#include <windows.h>

namespace plat {

// false for a baud rate, byte size, parity or stop-bit setting the port
// cannot take.
bool dcbToTermios(const DCB& dcb, termios& tio);
// Overwrites the fields termios knows (rate, byte size, parity, stop bits,
// hardware flow control) and leaves the others as they were.
void termiosToDcb(const termios& tio, DCB& dcb);
// Raw 8N1 without flow control, receiver on, modem lines ignored.
void makeRaw(termios& tio);

}  // namespace plat
