// The message table pinned byte for byte: each expected Japanese text is
// written here in UTF-8 and turned into CP932 by iconv, a route apart from
// the library's own conversion.
#include "status_texts.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <cstring>
#include <iterator>
#include <string>

#include "halvik.h"

using namespace halvik;

namespace {

struct Expected {
  int32_t id;
  const char* english;   // "" for none
  const char* japanese;  // UTF-8, "" for none
};

const Expected kExpected[] = {
    {0, "Normality completion", "正常終了"},
    {1, "Failed in the acquisition of the resource", "リソースの取得に失敗しました"},
    {2, "Failed in the registration of the interruption routine", "割り込みルーチンの登録に失敗しました"},
    {3, "Failed in the allocation of the memory", "メモリの割り当てに失敗しました"},
    {4, "Failed in the access of registry", "レジストリのアクセスに失敗しました"},
    {5, "The value of Address is unusual at the time of bus-master registration", "バスマスタ登録時に設定するアドレスの値が異常です"},
    {6, "Failed in the creation of the adapter object", "アダプタオブジェクトの生成に失敗しました"},
    {7, "Execute XanResetDevice function because the device has recovered from standby mode", "スタンバイモードから復帰したため、XanResetDevice関数を実行してください"},
    {8, "Initialization failed because halvik.sys is not found", "halvik.sysファイルが見つからないため初期化できません"},
    {9, "Initialization failed because the file version of halvik.dll cannot be acquired", "halvik.dllファイルのバージョン情報が取得できないため初期化できません"},
    {10, "Initialization failed because the file version of halvik.sys cannot be acquired", "halvik.sysファイルのバージョン情報が取得できないため初期化できません"},
    {11, "Initialization failed because the file version of halvik.dll is not same as halvik.sys", "halvik.dllとhalvik.sysのバージョン情報が一致しないため初期化できません"},
    {10000, "The devicename which wasn't registered by a device manager or a setup-tool was specified", "デバイスマネージャーまたは設定ツールに登録されていないデバイス名が指定されました"},
    {10001, "Invalid ID was specified", "無効なIDが指定されました"},
    {10002, "XAN driver can't be called", "ドライバを呼び出せません"},
    {10003, "Failed in the creation of the file", "ファイルの作成に失敗しました"},
    {10004, "Failed in the closing of the file", "ファイルのクローズに失敗しました"},
    {10005, "Failed in the creation of the thread", "スレッドの作成に失敗しました"},
    {10006, "Device not found", "利用可能なデバイスが見つかりません"},
    {10007, "Pointer to DeviceName is NULL", "DeviceNameのポインタがNULLです"},
    {10008, "Pointer to Device is NULL", "DeviceのポインタがNULLです"},
    {10009, "Device not found", "利用可能なデバイスが見つかりません"},
    {10010, "Pointer to DeviceName is NULL", "DeviceNameのポインタがNULLです"},
    {10011, "Pointer to Device is NULL", "DeviceのポインタがNULLです"},
    {10012, "Pointer to BoardId is NULL", "BoardIdのポインタがNULLです"},
    {10013, "Could not get device type", "デバイスの種類を判別できません"},
    {10014, "Pointer to Device is NULL", "DeviceのポインタがNULLです"},
    {10015, "Pointer to DeviceType is NULL", "DeviceTypeのポインタがNULLです"},
    {10050, "Device not found", "利用可能なデバイスが見つかりません"},
    {10051, "Device not found", "利用可能なデバイスが見つかりません"},
    {10060, "There is no master config file.", "マスタコンフィグファイルが存在しません"},
    {10061, "There is no root element in master config file.", "マスタコンフィグファイル内にルートエレメントが存在しません"},
    {10062, "There is no device list in master config file.", "マスタコンフィグファイル内にデバイスリストが存在しません"},
    {10063, "There is no device node in master config file.", "マスタコンフィグファイル内にデバイスノードが存在しません"},
    {10064, "There is no user config file.", "ユーザーコンフィグファイルが存在しません"},
    {10065, "There is no root element in user config file.", "ユーザーコンフィグファイル内にルートエレメントが存在しません"},
    {10066, "There is no device node in user config file.", "ユーザーコンフィグファイル内にデバイスノードが存在しません"},
    {10067, "Failed in creating a clone node.", "クローンノードの作成に失敗しました"},
    {10068, "Failed in saving the user config file.", "ユーザーコンフィグファイルの保存に失敗しました"},
    {10069, "XML file for different devices.", "異なるデバイスのXMLファイルです"},
    {10070, "Unknown master config file version.", "マスタコンフィグファイルのバージョンが不明です"},
    {10071, "The version of master config file does not match.", "マスタコンフィグファイルのバージョンが一致しません"},
    {10100, "A device name isn't stored in DeviceName", "DeviceNameにデバイス名が格納されていません"},
    {10101, "Pointer to Id is NULL", "IdのポインタがNULLです"},
    {10180, "Pointer to ErrorString is NULL", "ErrorStringのポインタがNULLです"},
    {10220, "The value of Offset is a minus", "Offsetの値がマイナスです"},
    {10221, "Pointer to Data is NULL", "DataのポインタがNULLです"},
    {10222, "The value of Flag is outside the designated range of the function", "Flagの値が指定範囲外です"},
    {10240, "The value of Offset is a minus", "Offsetの値がマイナスです"},
    {10241, "Pointer to Data is NULL", "DataのポインタがNULLです"},
    {10242, "The value of Flag is outside the designated range of the function", "Flagの値が指定範囲外です"},
    {10260, "The value of Offset is a minus", "Offsetの値がマイナスです"},
    {10261, "Pointer to Data is NULL", "DataのポインタがNULLです"},
    {10262, "The value of Flag is outside the designated range of the function", "Flagの値が指定範囲外です"},
    {10280, "The value of Offset is a minus", "Offsetの値がマイナスです"},
    {10281, "The value of Flag is outside the designated range of the function", "Flagの値が指定範囲外です"},
    {10300, "The value of Offset is a minus", "Offsetの値がマイナスです"},
    {10301, "The value of Flag is outside the designated range of the function", "Flagの値が指定範囲外です"},
    {10320, "The value of Offset is a minus", "Offsetの値がマイナスです"},
    {10321, "The value of Flag is outside the designated range of the function", "Flagの値が指定範囲外です"},
    {10340, "The value of Signal is outside the designated range of the function", "Signalの値が関数の指定範囲外です"},
    {10341, "The value of Value is outside the designated range of the function", "Valueの値が関数の指定範囲外です"},
    {10350, "The value of Signal is outside the designated range of the function", "Signalの値が関数の指定範囲外です"},
    {10351, "Pointer to Value is NULL", "ValueのポインタがNULLです"},
    {10420, "Pointer to Revision is NULL", "RevisionのポインタがNULLです"},
    {11020, "The value of AiChannels is outside the designated range of the function", "AiChannelsの値が関数の指定範囲外です"},
    {11421, "Pointer to AiData is NULL", "AiDataのポインタがNULLです"},
    {12340, "The value of Mode is outside the designated range of the function", "Modeの値が関数の指定範囲外です"},
    {12350, "Pointer to Mode is NULL", "ModeのポインタがNULLです"},
    {12360, "The value of Time is a minus", "Timeの値がマイナスです"},
    {12370, "Pointer to Time is NULL", "TimeのポインタがNULLです"},
    {12382, "The time-out occured. It is necessary to reset the device.", "タイムアウトが発生しました。デバイスをリセットしてください"},
    {12383, "The time-out occured. It is necessary to reset the device.", "タイムアウトが発生しました。デバイスをリセットしてください"},
    {13521, "Pointer to AoData is NULL", "AoDataのポインタがNULLです"},
    {13780, "Pointer to AoClockEdge is NULL", "AoClockEdgeのポインタがNULLです"},
    {13800, "The value of Mode is outside the designated range of the function", "Modeの値が関数の指定範囲外です"},
    {13810, "Pointer to Mode is NULL", "ModeのポインタがNULLです"},
    {13820, "The value of Time is a minus", "Timeの値がマイナスです"},
    {13830, "Pointer to Time is NULL", "TimeのポインタがNULLです"},
    {17000, "The value of Destination is outside the designated range of the function", "Destinationの値が関数の指定範囲外です"},
    {17001, "The value of Source is outside the designated range of the function", "Sourceの値が関数の指定範囲外です"},
    {17010, "The value of Destination is outside the designated range of the function", "Destinationの値が関数の指定範囲外です"},
    {17011, "Pointer to Source is NULL", "SourceのポインタがNULLです"},
    {18000, "The mode is outside the settable range. Use the defined values to set the mode.", "モードが設定可能範囲外です。モードの設定には、定義値を使用してください。"},
    {18100, "The address of the data buffer is NULL(0). Check the source code of the application.", "データバッファのアドレスがNULL(0)です。アプリケーションのソースコードを確認してください。"},
    {18200, "Pointer to Source is NULL", "SourceのポインタがNULLです"},
    {18340, "Pointer to CntmChNo is NULL", "CntmChNoのポインタがNULLです"},
    {20000, "It failed in memory allocation for the object preparation", "オブジェクト作成用のメモリ確保に失敗しました"},
    {20001, "This function can't be used by this device.", "このデバイスではこの関数は使用できません"},
    {20002, "Can not use while by another device works", "デバイスが動作中のため実行できません"},
    {20003, "Can not use because another process is using the device", "他のプロセスがデバイスを使用しているため、実行できません"},
    {20020, "CRC error", "エンドポイントから受け取った最後のデータパケットにCRCエラーが存在しています"},
    {20021, "Bit pack error", "エンドポイントから受け取った最後のデータパケットにビット詰め違反のエラーが存在しています"},
    {20022, "Toggle mismatch", "エンドポイントから受け取った最後のデータパケットに期待した値にマッチしないデータトグルパケット識別子を含んでいます"},
    {20023, "Stall PID", "エンドポイントがSTALLパケット識別子を返しました"},
    {20024, "Device not responding", "デバイスがトークン(IN)に応答していないかハンドシェークをサポートしていません"},
    {20025, "PID check failure", "デバイスがトークン(IN)に応答していないかハンドシェークをサポートしていません"},
    {20026, "Unexpected PID", "受け取ったパケット識別子が無効か未定義です"},
    {20027, "Data overrun", "エンドポイントから戻されたデータの量が許容されたデータパケットの最大長あるいはバッファの残量を超えています"},
    {20028, "Data underrun", "エンドポイントから戻されたデータの量が期待したデータのサイズに足りません"},
    {20029, "Buffer overrun", "IN転送において指定されたバッファが小さすぎてデバイスから受け取ったデータをすべて格納することができません"},
    {20030, "Buffer underrun", "OUT転送において指定されたバッファにはデバイスに送出するための十分なデータが格納されていません"},
    {20031, "Endpoint halted", "エンドポイントがSTALL状態のため転送に失敗しました"},
    {20032, "Not found device information", "情報取得でデバイスの情報が見つかりませんでした"},
    {20033, "Access denied", "ハードウェアへのアクセスが拒否されました"},
    {20034, "Invalid handle", "指定したハンドルは無効です"},
    {20035, "It's need to upgrade the firmware", "ファームウェアが旧バージョンです、ファームウェアのバージョンアップが必要です"},
    {20036, "It's need to upgrade the host driver", "ホストドライバが旧バージョンです、ホストドライバのバージョンアップが必要です"},
    {20037, "It failed in USB transfer", "USB転送でエラーが発生しました"},
    {20100, "The number of processes met an upper limit", "プロセスの数が上限に達しました"},
    {20101, "BusMaster parameter error", "バスマスタパラメータエラーが発生しました"},
    {20160, "It failed in the reset of the device", "デバイスのリセットに失敗しました"},
    {20161, "It failed in the reset of the bus-master", "バスマスタのリセットに失敗しました"},
    {20162, "BusMaster parameter error", "バスマスタパラメータエラーが発生しました"},
    {20340, "The value of Signal is outside the designated range of the device being used", "Signalの値が使用しているデバイスの指定範囲外です"},
    {20341, "The value of Value is outside the designated range of the device being used", "Valueの値が使用しているデバイスの指定範囲外です"},
    {20350, "The value of Signal is outside the designated range of the device being used", "Signalの値が使用しているデバイスの指定範囲外です"},
    {21041, "The value of AiRange is outside the designated range of the device being used", "AiRangeの値が使用しているデバイスの指定範囲外です"},
    {21301, "Data to establish in the 12 bits device are within the range of 0 to 4095", "12ビットデバイスに設定するデータは0から4095の範囲です"},
    {21480, "A conversion can't be stopped with this command, use XanResetDevice function", "このコマンドでは変換を停止できません。XanResetDevice関数を使用してください"},
    {21585, "It tried to acquire data beyond the memory size. AiSamplingTimes is changed to the maximum value", "メモリサイズを超えてデータを取得しようとしました。AiSamplingTimesを最大値に変更します"},
    {21885, "FIFO is empty", "FIFOが空です"},
    {28100, "The mode is outside the settable range. A mode that the specified device cannot use was selected", "モードが設定可能範囲外です。指定したデバイスでは使用できないモードが選択されました"},
    {28201, "The channel number is outside the settable range. Check the channel number", "チャネル番号が設定可能範囲外です。チャネル番号を確認してください"},
    {28202, "The number of channels is outside the settable range. Check the number of channels", "チャネル数が設定可能範囲外です。チャネル数を確認してください"},
    {28203, "The counter value is outside the settable range", "カウンタ値が設定可能範囲外です"},
    {28204, "The compare register number is outside the settable range", "比較レジスタ番号が設定可能範囲外です"},
    {28300, "The timer value is outside the settable range", "タイマ値が設定可能範囲外です"},
    {28301, "The output logic of the control output signal is outside the settable range", "制御出力信号の出力論理が設定可能範囲外です"},
    {28302, "The kind of hardware event is outside the settable range", "ハードウェアイベントの種類が設定可能範囲外です"},
    {28303, "The pulse width factor of the one-shot pulse is outside the settable range", "ワンショットパルスのパルス幅の係数が設定可能範囲外です"},
    {28304, "The input logic of the control input signal is outside the settable range", "制御入力信号の入力論理が設定可能範囲外です"},
    {28305, "The output data is outside the settable range", "出力データが設定可能範囲外です"},
    {34463, "Reserved error code which isn't being used at present", "現在使用されていない予備のエラーコードです"},
};

std::string viaIconv(const char* utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
  std::string out(std::strlen(utf8) * 2 + 16, '\0');
  char* in = const_cast<char*>(utf8);
  std::size_t inLeft = std::strlen(utf8);
  char* to = out.data();
  std::size_t toLeft = out.size();
  const std::size_t result = iconv(cd, &in, &inLeft, &to, &toLeft);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1) || inLeft != 0) return "<not convertible>";
  out.resize(out.size() - toLeft);
  return out;
}

// The export's text; checks that nothing past the 256 bytes was written.
std::string exported(LONG code) {
  char buffer[kErrorStringSize + 8];
  std::memset(buffer, 0x7F, sizeof buffer);
  EXPECT_EQ(XanGetErrorString(code, buffer), 0) << code;
  for (std::size_t i = kErrorStringSize; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0x7F) << code;
  return buffer;
}

}  // namespace

TEST(StatusTexts, EveryIdReadsItsTextsInBothLanguages) {
  EXPECT_EQ(kStatusTextRowCount, std::size(kExpected));
  for (const Expected& e : kExpected) {
    EXPECT_EQ(messageText(e.id, Language::English), e.english) << e.id;
    EXPECT_EQ(messageText(e.id, Language::Japanese), viaIconv(e.japanese)) << e.id;
  }
  for (std::size_t i = 0; i < kIdsWithoutTextCount; ++i) {
    EXPECT_EQ(messageIdOf(kIdsWithoutText[i]), kIdsWithoutText[i]);
    EXPECT_EQ(messageText(kIdsWithoutText[i], Language::Japanese), "") << kIdsWithoutText[i];
  }
}

TEST(StatusTexts, CodesMapToTheirMessageIds) {
  const int32_t cases[][2] = {
      {-1, kStatusReserved}, {12, kStatusReserved}, {99999, kStatusReserved}, {28000, 28100}, {28001, 28201},
      {28010, 28202},        {28032, 28305},        {28100, kStatusReserved}, {10002, 10002}, {13521, 13521},
  };
  for (const auto& c : cases) EXPECT_EQ(messageIdOf(c[0]), c[1]) << c[0];
}

TEST(ErrorStringExport, AnswersInTheUserLanguageWithinTheBuffer) {
  const Language language = userLanguage();
  EXPECT_EQ(exported(10002), messageText(10002, language));
  EXPECT_EQ(exported(-1), messageText(kStatusReserved, language));
  EXPECT_EQ(exported(28010), messageText(28202, language));
  EXPECT_EQ(exported(11000), "");
  EXPECT_EQ(XanGetErrorString(0, nullptr), kStatusErrorStringNull);
}

TEST(ErrorStringExport, LongTextIsCutOnACharacterBoundary) {
  const std::string text = viaIconv("AあいA");  // 1 + 2 + 2 + 1 bytes
  const std::size_t cases[][2] = {{7, 6}, {6, 5}, {5, 3}, {4, 3}, {2, 1}, {1, 0}};
  for (const auto& c : cases) {
    char out[8];
    std::memset(out, 0x7F, sizeof out);
    EXPECT_EQ(copyCut(text, out, c[0]), c[1]) << c[0];
    EXPECT_EQ(std::string(out), text.substr(0, c[1])) << c[0];
    EXPECT_EQ(out[c[0]], 0x7F) << c[0];
  }
  char untouched = 0x7F;
  EXPECT_EQ(copyCut(text, &untouched, 0), 0u);
  EXPECT_EQ(untouched, 0x7F);
}
