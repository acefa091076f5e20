// Process attach and detach, and the exports by ordinal.
#include <platform/dllmain.h>

#include "library.h"

namespace {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    morvel::library();
  } else if (reason == DLL_PROCESS_DETACH) {
    // Every open slot is really closed, whatever its count.
    morvel::closeAllSlots();
    DeleteCriticalSection(&morvel::library().lock);
  }
  return TRUE;
}

}  // namespace

ORVANE_DLLMAIN(DllMain)

ORVANE_ORDINALS({2, "XanOpen"}, {3, "XanInp"}, {4, "XanInpBdMem"}, {5, "XanReadBuf"}, {6, "XanSetGain"},
                {7, "XanOut"}, {8, "XanDI"}, {9, "XanDO"}, {10, "XanSts"}, {11, "XanStop"}, {12, "XanClose"},
                {13, "BinaryToVI"}, {14, "VIToBinary"}, {15, "XanInpBack"}, {16, "XanOutBack"}, {17, "XanRange"},
                {18, "XanRelay"}, {19, "XanIsDataReady"}, {20, "XanOpenCntGate"}, {21, "XanCloseCntGate"},
                {22, "XanSetCntData"}, {23, "XanGetCntData"}, {24, "XanGetCntSts"}, {25, "XanResetCntSts"},
                {26, "XanSetCntCommand"}, {27, "XanIsCntDataReady"}, {28, "XanLatchCntData"},
                {29, "XanChangeCntErrLimit"}, {30, "XanSetCntDataB"}, {31, "XanGetCntDataB"}, {32, "XanOpenEx"},
                {33, "XanReset"}, {34, "XanMemoryReset"}, {35, "XanSetWriteAddress"}, {36, "XanGetWriteAddress"},
                {37, "XanSetReadAddress"}, {38, "XanGetReadAddress"}, {39, "XanGetTrgWriteAddress"},
                {40, "XanGetAIData"}, {41, "XanSaveData"}, {42, "XanLoadData"}, {43, "XanSetFileMode1"},
                {44, "XanGetFileMode1"}, {45, "XanSetFileMode2"}, {46, "XanGetFileMode2"}, {47, "XanSaveDataEx"},
                {48, "XanSetRange"}, {49, "XanGetRange"}, {50, "XanSetAI"}, {51, "XanBinaryToVolt"},
                {52, "XanSetBackPriority"})
