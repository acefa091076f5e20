// Stands at the fixed library path in the device-list tests: two devices
// whose lists carry the blanks around them that the board class trims.
#include <windef.h>

#include <cstring>

DLL_EXPORT void WINAPI SelectBoardNAME(char* names, char* models) {
  std::strcpy(names, " XAN001,SKORRA1 ");
  std::strcpy(models, "TX-4297ZB-USB,MWU-459793");
}
