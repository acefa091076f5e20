// DCB fields to and from termios.
#include "kernel32/serial_termios.h"

namespace plat {

namespace {

struct BaudSpeed {
  DWORD baud;
  speed_t speed;
};

// Rates of the Windows DCB that Linux serial drivers take as they are.
constexpr BaudSpeed kBaudSpeeds[] = {
    {110, B110},       {300, B300},         {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},     {9600, B9600},       {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400},   {460800, B460800}, {500000, B500000}, {576000, B576000},
    {921600, B921600},
};

struct ByteSizeFlag {
  BYTE size;
  tcflag_t flag;
};

constexpr ByteSizeFlag kByteSizes[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};

}  // namespace

bool dcbToTermios(const DCB& dcb, termios& tio) {
  const BaudSpeed* rate = nullptr;
  for (const BaudSpeed& entry : kBaudSpeeds) {
    if (entry.baud == dcb.BaudRate) rate = &entry;
  }
  const ByteSizeFlag* size = nullptr;
  for (const ByteSizeFlag& entry : kByteSizes) {
    if (entry.size == dcb.ByteSize) size = &entry;
  }
  if (rate == nullptr || size == nullptr) return false;
  if (dcb.Parity > EVENPARITY || (dcb.StopBits != ONESTOPBIT && dcb.StopBits != TWOSTOPBITS)) return false;

  cfsetspeed(&tio, rate->speed);
  tio.c_cflag = (tio.c_cflag & ~CSIZE) | size->flag;
  tio.c_cflag &= ~(PARENB | PARODD | CSTOPB | CRTSCTS);
  if (dcb.Parity == ODDPARITY) tio.c_cflag |= PARENB | PARODD;
  if (dcb.Parity == EVENPARITY) tio.c_cflag |= PARENB;
  if (dcb.StopBits == TWOSTOPBITS) tio.c_cflag |= CSTOPB;
  if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) tio.c_cflag |= CRTSCTS;
  // Parity is checked by the line only when the DCB asks for it.
  tio.c_iflag &= ~(INPCK | IGNPAR);
  if (dcb.fParity && dcb.Parity != NOPARITY) tio.c_iflag |= INPCK;
  return true;
}

void termiosToDcb(const termios& tio, DCB& dcb) {
  const speed_t speed = cfgetospeed(&tio);
  for (const BaudSpeed& entry : kBaudSpeeds) {
    if (entry.speed == speed) dcb.BaudRate = entry.baud;
  }
  for (const ByteSizeFlag& entry : kByteSizes) {
    if (entry.flag == (tio.c_cflag & CSIZE)) dcb.ByteSize = entry.size;
  }
  if (!(tio.c_cflag & PARENB)) {
    dcb.Parity = NOPARITY;
  } else {
    dcb.Parity = (tio.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
  }
  dcb.StopBits = (tio.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
  if (!(tio.c_cflag & CRTSCTS)) {
    dcb.fOutxCtsFlow = 0;
    if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) dcb.fRtsControl = RTS_CONTROL_ENABLE;
  } else if (!dcb.fOutxCtsFlow && dcb.fRtsControl != RTS_CONTROL_HANDSHAKE) {
    dcb.fOutxCtsFlow = 1;
  }
}

void makeRaw(termios& tio) {
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~(CRTSCTS | CSTOPB);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
}

}  // namespace plat
