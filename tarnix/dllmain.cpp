// The library's entry point does nothing on load or unload; the exports by
// ordinal.
#include <platform/dllmain.h>

namespace {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

}  // namespace

ORVANE_DLLMAIN(DllMain)

ORVANE_ORDINALS({2, "DnkConfigLoadFile"}, {3, "DnkConfigSaveFile"}, {4, "DnkConfigLoadListData"}, {5,
                "DnkConfigSaveListData"}, {6, "DnkConfigCheckListData"}, {7, "DnkConfigSelectBoardData"}, {8,
                "DnkConfigCheckBoardData"}, {9, "DnkConfigAddBoardData"}, {10, "DnkConfigModBoardData"}, {11,
                "DnkConfigInsBoardData"}, {12, "DnkConfigExchangeBoardData"}, {13, "DnkConfigDelBoardData"}, {14,
                "DnkConfigDelGrp"}, {15, "DnkConfigDelDrv"}, {16, "DnkConfigDelTool"}, {17, "DnkConfigGetGrpMax"}, {18,
                "DnkConfigGetBoardMax"}, {19, "DnkConfigGetGrpByObjName"}, {20, "DnkConfigGetBoardListFirst"}, {21,
                "DnkConfigGetBoardListNext"}, {22, "DnkConfigGetBoardListNum"}, {23, "DnkConfigGetExtError"}, {24,
                "DnkConfigGetDrvNo"}, {25, "DnkConfigIsDriverExist"}, {26, "DnkConfigGetMachine"}, {27,
                "DnkConfigSetMachine"}, {28, "DnkConfigGetBoardType"}, {29, "DnkConfigGetPciResource"}, {30,
                "DnkConfigGetPcmciaResource"}, {31, "DnkConfigGetBusType"}, {32, "DnkConfigGetDeviceID"}, {33,
                "DnkConfigCreateHardwareKey"}, {34, "DnkConfigLoadInfRegBoard"}, {35, "DnkConfigGetBoardInfo"}, {36,
                "DnkConfigGetInfoByObjectName"}, {37, "DnkConfigCheckBoardInfo"}, {38, "DnkConfigGetDnkVersion"}, {39,
                "DnkConfigGetFileVersion"}, {40, "DnkConfigWriteRegValue"}, {41, "DnkConfigReadRegValue"}, {42,
                "DnkConfigCreateConfigReg"}, {43, "DnkConfigGetOsVersion"}, {44, "DnkConfigDeleteDnkReg"}, {45,
                "DnkConfigSetBoardCheckMode"}, {46, "DnkConfigGetFileTime"}, {47, "DnkConfigIsDriverStarted"}, {48,
                "DnkConfigGetPciVersion"}, {49, "DnkConfigGetIsaResource"}, {50, "DnkConfigIsSB"}, {51,
                "DnkConfigGetFlnDevice"}, {52, "DnkConfigGetPciResourceNT"})
