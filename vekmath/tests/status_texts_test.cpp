// The expected texts are the CP932 bytes of the library's messages.
#include "backends/ni/status_texts.h"
#include "backends/older_vendor_a/status_texts.h"
#include "backends/vendor_b/status_texts.h"
#include "backends/wdm/status_texts.h"
#include "status/status_texts.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "vekmath.h"

using namespace vekmath;

namespace {

// "エラーコード = " and "エラー内容 = "
const std::string kCodeLine = "\x83\x47\x83\x89\x81\x5b\x83\x52\x81\x5b\x83\x68\x20\x3d\x20";
const std::string kDetail = "\x83\x47\x83\x89\x81\x5b\x93\xe0\x97\x65\x20\x3d\x20";

class StatusText : public ::testing::Test {};

TEST(MessageBuffer, StartsWithTheRequestToSetIt) {
  // Other tests of this program write the buffer; a fresh run of the
  // program sees it as it is after load.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string initial =
      "\x82\xb1\x82\xcc\x95\xcf\x90\x94\x82\xc9\x8f\xf3\x91\xd4\x82\xf0\x95\x5c\x82\xb7\x95\xb6\x8e\x9a\x97\xf1"
      "\x82\xf0\x90\xdd\x92\xe8\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42";
  EXPECT_EXIT(std::exit(messageText() == initial ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

TEST_F(StatusText, OwnCodes) {
  const std::string clockLines =
      kDetail +
      "\x89\xba\x8b\x4c\x82\xcc\x8f\xf0\x8c\x8f\x82\xaa\x90\xac\x82\xe8\x97\xa7\x82\xc1\x82\xc4\x82\xa2\x82\xdc\x82"
      "\xb9\x82\xf1\x81\x42\x0a"
      "\x83\x54\x83\x93\x83\x76\x83\x8a\x83\x93\x83\x4f\x83\x4e\x83\x8d\x83\x62\x83\x4e\x81\x40\x81\x86\x81\x40\x83"
      "\x58\x83\x4c\x83\x83\x83\x93\x83\x4e\x83\x8d\x83\x62\x83\x4e\x81\x40\x81\x7e\x81\x40\x8e\xe6\x82\xe8\x8d\x9e"
      "\x82\xdd\x83\x60\x83\x83\x83\x6c\x83\x8b\x90\x94\x81\x40\x81\x7b\x81\x40\x82\x50\x28\x83\xca\x73\x65\x63\x29"
      "\x0a";
  const std::string parameterLines =
      kDetail +
      "\x83\x70\x83\x89\x83\x81\x81\x5b\x83\x5e\x83\x47\x83\x89\x81\x5b\x81\x42\x0a"
      "\x53\x65\x74\x75\x70\x53\x61\x6d\x70\x6c\x69\x6e\x67\x82\xcc\x83\x70\x83\x89\x83\x81\x81\x5b\x83\x5e\x82\xaa"
      "\x88\xd9\x8f\xed\x82\xc5\x82\xb7\x0a";
  const std::string otherLine = kDetail + "\x82\xbb\x82\xcc\x91\xbc\x82\xcc\x83\x47\x83\x89\x81\x5b";  // no line end
  struct Case {
    int32_t status;
    std::string expected;
  };
  const Case cases[] = {
      {30007, kCodeLine + "7537\n" + clockLines},
      {30000, kCodeLine + "7530\n" + parameterLines},
      {12345, kCodeLine + "3039\n" + otherLine},
      {30001, kCodeLine + "7531\n" + otherLine},
  };
  for (const Case& c : cases) {
    setOwnStatusText(c.status);
    EXPECT_EQ(messageText(), c.expected) << c.status;
  }
}

TEST_F(StatusText, RingLengthSharesTheLoggerFileText) {
  setOwnStatusText(30014);
  std::string logger = messageText();
  setOwnStatusText(30015);
  std::string ring = messageText();
  ASSERT_EQ(logger.substr(0, kCodeLine.size() + 5), kCodeLine + "753e\n");
  EXPECT_EQ(ring.substr(0, kCodeLine.size() + 5), kCodeLine + "753f\n");
  EXPECT_EQ(logger.substr(kCodeLine.size() + 5), ring.substr(kCodeLine.size() + 5));
}

TEST_F(StatusText, VendorBCodes) {
  setVendorBStatusText(0xC0001099);
  EXPECT_EQ(messageText(), kCodeLine + "c0001099\n" + kDetail + "Unexpected error!");

  setVendorBStatusText(0xC0001003);
  EXPECT_EQ(messageText(), kCodeLine + "c0001003\n" + kDetail +
                               "The sampling could not be done.\n"
                               "\x83\x54\x83\x93\x83\x76\x83\x8a\x83\x93\x83\x4f\x82\xf0\x8e\xc0\x8d\x73\x82\xc5\x82"
                               "\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd");

  // The three file codes end with the same access line.
  setVendorBStatusText(0xC0001042);
  std::string closeText = messageText();
  setVendorBStatusText(0xC0001044);
  std::string writeText = messageText();
  const std::string closeTitle = kDetail + "Failed to close the file.\n";
  ASSERT_EQ(closeText.find(closeTitle), kCodeLine.size() + 9);
  std::string accessLine = closeText.substr(kCodeLine.size() + 9 + closeTitle.size());
  EXPECT_EQ(accessLine.back(), '\n');
  EXPECT_EQ(writeText.substr(writeText.size() - accessLine.size()), accessLine);
}

TEST_F(StatusText, WdmInputStatusBits) {
  const std::string statusLine = "\x83\x58\x83\x65\x81\x5b\x83\x5e\x83\x58\x83\x52\x81\x5b\x83\x68\x20\x3d\x20";
  setWdmInputStatusText(0x10000);
  EXPECT_EQ(messageText(), statusLine + "10000\n" + kDetail + "\x83\x49\x81\x5b\x83\x6f\x81\x5b\x83\x74\x83\x8d\x81\x5b\n");
  setWdmInputStatusText(3);  // two bits together are no known state
  EXPECT_EQ(messageText(), statusLine + "3\n" + kDetail + "Unexpected error!");
}

TEST_F(StatusText, OlderVendorACodes) {
  setOlderVendorAStatusText(805);
  EXPECT_EQ(messageText(), kCodeLine + "325\n" + kDetail +
                               "\x82\x60\x82\x63\x81\x43\x82\x63\x82\x60\x83\x5e\x83\x43\x83\x7d\x83\x82\x81\x5b\x83"
                               "\x68\x8e\x77\x92\xe8\x83\x47\x83\x89\x81\x5b\x0a");
  setOlderVendorAStatusText(999);
  EXPECT_EQ(messageText(), kCodeLine + "3e7\n");
}

TEST_F(StatusText, OlderVendorARangeAndHintLines) {
  // Title, the function concerned, then the allowed range.
  setOlderVendorAStatusText(1);
  EXPECT_EQ(messageText(),
            kCodeLine + "1\n" +
                "\x83\x47\x83\x89\x81\x5b\x93\xe0\x97\x65\x20\x3d\x20\x83\x68\x83\x89\x83\x43\x83\x6f\x94\xd4\x8d"
                "\x86\x8e\x77\x92\xe8\x83\x47\x83\x89\x81\x5b\x0a\x91\xce\x8f\xdb\x8a\xd6\x90\x94\x20\x3d\x20\x58"
                "\x61\x6e\x4f\x70\x65\x6e\x0a\x90\xdd\x92\xe8\x94\xcd\x88\xcd\x28\x30\x20\x81\x85\x83\x68\x83\x89"
                "\x83\x43\x83\x6f\x94\xd4\x8d\x86\x81\x85\x33\x30\x20\x29\x0a");
  setOlderVendorAStatusText(774);
  const std::string clock =
      "\x90\xdd\x92\xe8\x94\xcd\x88\xcd\x28\x83\x54\x83\x93\x83\x76\x83\x8a\x83\x93\x83\x4f\x83\x4e\x83"
      "\x8d\x83\x62\x83\x4e\x20\x81\x86\x20\x28\x83\x58\x83\x4c\x83\x83\x83\x93\x83\x4e\x83\x8d\x83\x62"
      "\x83\x4e\x81\x7b\x82\x50\x29\x81\x7e\x83\x60\x83\x83\x83\x6c\x83\x8b\x90\x94\x81\x7c\x82\x50\x20"
      "\x29\x0a";
  const std::string text = messageText();
  ASSERT_GE(text.size(), clock.size());
  EXPECT_EQ(text.substr(text.size() - clock.size()), clock);
  EXPECT_NE(text.find("XanInpBdMem\n"), std::string::npos);

  // Every hinted code converts whole (no replacement characters) and ends
  // its last line.
  for (int32_t code : {1, 2, 3, 769, 770, 771, 772, 773, 774, 777, 785, 786, 791, 800, 827}) {
    setOlderVendorAStatusText(code);
    const std::string t = messageText();
    EXPECT_EQ(t.find('?'), std::string::npos) << code;
    EXPECT_EQ(t.back(), '\n') << code;
    EXPECT_GE(std::count(t.begin(), t.end(), '\n'), 3) << code;
  }
}

TEST_F(StatusText, BackEndTextsPassThroughUnchanged) {
  setNiStatusText(-200000, "\x82\xa0 device");
  EXPECT_EQ(messageText(), kCodeLine + "fffcf2c0\n" + kDetail + "\x82\xa0 device");
  setWdmStatusText(7, nullptr);
  EXPECT_EQ(messageText(), kCodeLine + "7\n" + kDetail);
}

TEST_F(StatusText, LongTextIsCutOnACharacterBoundary) {
  // The fixed part before the detail is 37 bytes: "fffcf2c0\n" and the labels.
  std::string wide;
  for (int i = 0; i < 1100; ++i) wide += "\x82\xa0";
  setNiStatusText(-200000, wide.c_str());
  EXPECT_EQ(messageText().size(), 2047u);  // 1005 whole characters fill it

  setNiStatusText(-200000, ("A" + wide).c_str());
  std::string cut = messageText();
  ASSERT_EQ(cut.size(), 2046u);  // the character across the end is dropped whole
  EXPECT_EQ(cut.substr(cut.size() - 2), "\x82\xa0");

  char out[kMessageBufferSize];
  std::memset(out, 'x', sizeof out);
  GetErrorText(out);
  EXPECT_EQ(std::string(out), cut);
  EXPECT_EQ(out[2046], '\0');
  EXPECT_EQ(out[2047], '\0');
  GetErrorText(nullptr);
}

// Every text the library builds, as written out for its code, turned into
// CP932 here by iconv rather than by the library's own conversion.
enum class Builder { Own, Bits, VendorB, OlderA };

struct TextRow {
  Builder builder;
  uint32_t code;
  const char* utf8;
};

const TextRow kTextRows[] = {
    {Builder::Own, 30000, "エラー内容 = パラメータエラー。\n" "SetupSamplingのパラメータが異常です\n"},
    {Builder::Own, 30007, "エラー内容 = 下記の条件が成り立っていません。\n" "サンプリングクロック　≧　スキャンクロック　×　取り込みチャネル数　＋　１(μsec)\n"},
    {Builder::Own, 30009, "エラー内容 = Ruk635,Ruk634,Ruk657,Ruk656で必要なDLLがロードできません。\n" "必要なライブラリ(DAQmx)がインストールされているかを確認してください。\n"},
    {Builder::Own, 30010, "エラー内容 = BCCが異常です。\n"},
    {Builder::Own, 30011, "エラー内容 = COMポートがオープンできません。\n" "正しいCOMポートが指定されているかを確認してください。\n"},
    {Builder::Own, 30012, "エラー内容 = 受信データフォーマットエラー(Ruk904)\n" "コマンドは受け付けられましたが、戻り値のフォーマットが異常です。\n"},
    {Builder::Own, 30013, "エラー内容 = ステータスエラー\n" "コマンドは受け付けられましたが、戻り値のステータスが0x21ではありません。\n"},
    {Builder::Own, 30014, "エラー内容 = ファイル作成エラー\n" "メモリへのファイル作成ができません。ロガーのメモリを初期化してください。\n"},
    {Builder::Own, 30015, "エラー内容 = ファイル作成エラー\n" "メモリへのファイル作成ができません。ロガーのメモリを初期化してください。\n"},
    {Builder::Own, 30008, "エラー内容 = その他のエラー"},
    {Builder::Bits, 0x10000, "エラー内容 = オーバーフロー\n"},
    {Builder::Bits, 0x20000, "エラー内容 = サンプリングクロックエラー\n"},
    {Builder::Bits, 0x40000, "エラー内容 = AD変換エラー\n"},
    {Builder::Bits, 1, "デバイス動作中 : \n"},
    {Builder::Bits, 2, "エラー内容 = 開始トリガ待ち\n"},
    {Builder::Bits, 16, "エラー内容 = 指定個数以上データ格納\n"},
    {Builder::Bits, 0x10001, "エラー内容 = Unexpected error!"},
    {Builder::VendorB, 0, "正常終了 : The operation was successfully completed.\n"},
    {Builder::VendorB, 0xC0000001, "エラー内容 = The specified device could not be found.\n" "指定されたデバイスが見つかりませんでした。指定しているデバイス名が存在するかどうかを確認してください。\n"},
    {Builder::VendorB, 0xC0000002, "エラー内容 = Failed to open the device.\n" "デバイスのオープン時に何らかのエラーが発生しました。ドライバの内部作業領域の確保に失敗したなど。\n"},
    {Builder::VendorB, 0xC0000003, "エラー内容 = The specified device handle is invalid.\n" "不正なデバイスハンドルで呼び出しを行おうとしました。オープン関数で返されたデバイスハンドルを使用してください。\n"},
    {Builder::VendorB, 0xC0000004, "エラー内容 = The device has already been opened.\n" "既にオープンされているデバイスをオープンしようとしました。\n"},
    {Builder::VendorB, 0xC0000009, "エラー内容 = This function is not supported.\n" "ボードがサポートしていない機能を制御する関数です。\n"},
    {Builder::VendorB, 0xC0001001, "エラー内容 = The sampling is running.\n" "サンプリング実行中に再度サンプリングを実行しようとしました。サンプリング実行中に実行できない関数を呼び出そうとしました。\n"},
    {Builder::VendorB, 0xC0001002, "エラー内容 = The sampling has been stopped.\n" "サンプリング停止中に実行できない関数を呼び出そうとしました。\n"},
    {Builder::VendorB, 0xC0001003, "エラー内容 = The sampling could not be done.\n" "サンプリングを実行できませんでした"},
    {Builder::VendorB, 0xC0001004, "エラー内容 = The time-out interval elapsed while the sampling is running.\n" "サンプリング中においてタイムアウトが発生しました"},
    {Builder::VendorB, 0xC0001005, "サンプリング周波数が正しくありません。ボード仕様以上のサンプリング周波数が設定された。\n"},
    {Builder::VendorB, 0xC0001021, "エラー内容 = The parameters are invalid.\n" "引数の値が不正です。引数の値が指定範囲外です。\n"},
    {Builder::VendorB, 0xC0001022, "エラー内容 = Sampling request conditions are invalid.\n" "サンプリング設定値が正しくありません。サンプリング設定に矛盾があります。\n"},
    {Builder::VendorB, 0xC0001023, "エラー内容 = A null pointer is specified.\n" "サンプリングデータ領域の指定にNULLを指定しました。データ変換関数において、データ変換元となるデータへのポインタがNULLで指定された。変換後のデータを返すためのポインタがNULLで指定された。\n"},
    {Builder::VendorB, 0xC0001024, "エラー内容 = Failed to retrieve the sampled data.\n" "まだ、サンプリングが行われていないのでサンプリングデータの取得ができませんでした。サンプリングバッファがクリアされているのでサンプリングデータが取得できませんでした。\n"},
    {Builder::VendorB, 0xC0001041, "エラー内容 = Failed to open the file.\n" "ファイルのパス名が存在しません。存在しないドライブを指定しました。\n"},
    {Builder::VendorB, 0xC0001042, "エラー内容 = Failed to close the file.\n" "ファイルアクセス時に何らかのエラーが発生しました。データファイルに以上がないかご確認ください。\n"},
    {Builder::VendorB, 0xC0001043, "エラー内容 = Failed to read data from the file.\n" "ファイルアクセス時に何らかのエラーが発生しました。データファイルに以上がないかご確認ください。\n"},
    {Builder::VendorB, 0xC0001044, "エラー内容 = Failed to write data to the file.\n" "ファイルアクセス時に何らかのエラーが発生しました。データファイルに以上がないかご確認ください。\n"},
    {Builder::VendorB, 0xC0001061, "エラー内容 = The data format is invalid.\n" "データ形式が無効です。データ形式をご確認ください。\n"},
    {Builder::VendorB, 0xC0001062, "エラー内容 = The specified averaging or smoothing is invalid.\n" "平均またはスムージングの回数が0またはデータ件数を超えている。平均またはスムージングが指定されているのにも関わらず、平均またはスムージングの件数が0に指定された。\n"},
    {Builder::VendorB, 0xC0001063, "エラー内容 = Source data to convert is invalid.\n" "データ変換元のアドレス指定箇所などに間違いがないかご確認ください。\n"},
    {Builder::VendorB, 0xC0001081, "エラー内容 = Failed to allocate memory.\n" "ドライバ内部で作業するためのメモリの確保に失敗しました。\n"},
    {Builder::VendorB, 0xC0001082, "エラー内容 = Failed to load DLL.\n" "DLLのロードに失敗しました。DLLが見つかりませんでした。\n"},
    {Builder::VendorB, 0xC0001083, "エラー内容 = Failed to call DLL.\n" "DLL呼び出し時にサポートしていない機能を制御する関数です。\n"},
    {Builder::VendorB, 0xC0000005, "エラー内容 = Unexpected error!"},
    {Builder::OlderA, 0, "エラー内容 = 正常終了\n"},
    {Builder::OlderA, 1, "エラー内容 = ドライバ番号指定エラー\n"},
    {Builder::OlderA, 2, "エラー内容 = ドライバオープンエラー\n"},
    {Builder::OlderA, 3, "エラー内容 = グループ番号指定エラー\n"},
    {Builder::OlderA, 5, "エラー内容 = スレッドオープンエラー\n"},
    {Builder::OlderA, 12, "エラー内容 = メッセージ値の設定エラー\n"},
    {Builder::OlderA, 16, "エラー内容 = PCIバス対応ボードのBoardIDの設定エラー\n"},
    {Builder::OlderA, 17, "エラー内容 = PCIバス対応ボードのBoardID重複エラー\n"},
    {Builder::OlderA, 768, "エラー内容 = ボード異常エラー\n"},
    {Builder::OlderA, 769, "エラー内容 = 論理チャネル番号指定エラー\n"},
    {Builder::OlderA, 770, "エラー内容 = チャネル数指定エラー\n"},
    {Builder::OlderA, 771, "エラー内容 = 関数実行中エラー\n"},
    {Builder::OlderA, 772, "エラー内容 = サンプリングモード指定エラー\n"},
    {Builder::OlderA, 773, "エラー内容 = サンプリング回数指定エラー\n"},
    {Builder::OlderA, 774, "エラー内容 = サンプリングクロック指定エラー\n"},
    {Builder::OlderA, 775, "エラー内容 = 割り込み要因指定エラー\n"},
    {Builder::OlderA, 776, "エラー内容 = バッファメモリ形式指定エラー\n"},
    {Builder::OlderA, 777, "エラー内容 = スキャンクロック指定エラー\n"},
    {Builder::OlderA, 778, "エラー内容 = 変換データ形式指定エラー\n"},
    {Builder::OlderA, 779, "エラー内容 = リピート回数指定エラー\n"},
    {Builder::OlderA, 780, "エラー内容 = トリガディレイ回数、遅延サンプリング回数指定エラー\n"},
    {Builder::OlderA, 781, "エラー内容 = 外部信号タイプ指定エラー\n"},
    {Builder::OlderA, 782, "エラー内容 = 比較チャネル番号指定エラー\n"},
    {Builder::OlderA, 783, "エラー内容 = 比較データ指定エラー\n"},
    {Builder::OlderA, 784, "エラー内容 = トリガモード指定エラー\n"},
    {Builder::OlderA, 785, "エラー内容 = サンプリング番号指定エラー\n"},
    {Builder::OlderA, 815, "エラー内容 = サンプリング番号指定エラー\n"},
    {Builder::OlderA, 786, "エラー内容 = 取得するサンプリングの回数指定エラー\n"},
    {Builder::OlderA, 787, "エラー内容 = ゲイン設定単位の指定エラー\n"},
    {Builder::OlderA, 788, "エラー内容 = ゲイン設定チャネル指定エラー\n"},
    {Builder::OlderA, 789, "エラー内容 = ゲイン設定値指定エラー\n"},
    {Builder::OlderA, 790, "エラー内容 = デジタル機能指定エラー\n"},
    {Builder::OlderA, 791, "エラー内容 = XanStop実行エラー\n"},
    {Builder::OlderA, 800, "エラー内容 = XanSts実行エラー\n"},
    {Builder::OlderA, 801, "エラー内容 = ＡＤ機能使用エラー\n"},
    {Builder::OlderA, 802, "エラー内容 = ＤＡ機能使用エラー\n"},
    {Builder::OlderA, 803, "エラー内容 = ＤＡ変換データ個数指定エラー\n"},
    {Builder::OlderA, 804, "エラー内容 = ＤＡ変換リピート回数指定エラー\n"},
    {Builder::OlderA, 805, "エラー内容 = ＡＤ，ＤＡタイマモード指定エラー\n"},
    {Builder::OlderA, 806, "エラー内容 = ＡＤ，ＤＡタイマデータ指定エラー\n"},
    {Builder::OlderA, 807, "エラー内容 = ゲイン機能使用エラー\n"},
    {Builder::OlderA, 808, "エラー内容 = ＤＩ機能使用エラー\n"},
    {Builder::OlderA, 809, "エラー内容 = ＤＯ機能使用エラー\n"},
    {Builder::OlderA, 810, "エラー内容 = レンジ機能使用エラー\n"},
    {Builder::OlderA, 811, "エラー内容 = 出力レンジの論理チャネル番号指定エラー\n"},
    {Builder::OlderA, 812, "エラー内容 = 出力レンジコード指定エラー\n"},
    {Builder::OlderA, 813, "エラー内容 = 出力レンジのチャネル個数指定エラー\n"},
    {Builder::OlderA, 814, "エラー内容 = XanInpBdMemサンプリングモード指定エラー\n"},
    {Builder::OlderA, 821, "エラー内容 = デジタル入出力ポート番号指定エラー\n"},
    {Builder::OlderA, 822, "エラー内容 = カウンタ番号指定範囲エラー\n"},
    {Builder::OlderA, 823, "エラー内容 = カウンタ設定データ指定範囲エラー\n"},
    {Builder::OlderA, 824, "エラー内容 = ゲートオープン重複エラー\n"},
    {Builder::OlderA, 825, "エラー内容 = カウンタ機能指定エラー\n"},
    {Builder::OlderA, 826, "エラー内容 = XanIsDataReady関数は使用できません。\n"},
    {Builder::OlderA, 827, "エラー内容 = メモリの確保ができません。\n"},
    {Builder::OlderA, 848, "エラー内容 = AD変換に失敗しました。\n"},
    {Builder::OlderA, 849, "エラー内容 = DA変換に失敗しました。\n"},
    {Builder::OlderA, 1280, "エラー内容 = ドライバ内部エラーです。インフォメーションセンターまでご相談ください。\n"},
    {Builder::OlderA, 10000, "エラー内容 = レンジモード指定エラー\n"},
    {Builder::OlderA, 10001, "エラー内容 = レンジタイプ指定エラー\n"},
    {Builder::OlderA, 10002, "エラー内容 = レンジ設定チャネル指定エラー\n"},
    {Builder::OlderA, 10003, "エラー内容 = XanSetRange、XanGetRangeで設定したレンジが設定範囲外です。\n"},
};

std::string viaIconv(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
  std::string out(utf8.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* to = out.data();
  std::size_t toLeft = out.size();
  const std::size_t result = iconv(cd, &in, &inLeft, &to, &toLeft);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1) || inLeft != 0) return "<not convertible>";
  out.resize(out.size() - toLeft);
  return out;
}

std::string build(const TextRow& row) {
  switch (row.builder) {
    case Builder::Own:
      setOwnStatusText(static_cast<int32_t>(row.code));
      break;
    case Builder::Bits:
      setWdmInputStatusText(row.code);
      break;
    case Builder::VendorB:
      setVendorBStatusText(row.code);
      break;
    case Builder::OlderA:
      setOlderVendorAStatusText(static_cast<int32_t>(row.code));
      break;
  }
  char out[kMessageBufferSize];
  GetErrorText(out);
  return std::string(out, strnlen(out, sizeof out));
}

TEST(StatusTextBytes, EveryTableRowMatchesItsIndependentConversion) {
  for (const TextRow& row : kTextRows) {
    char codeLine[64];
    std::snprintf(codeLine, sizeof codeLine, "%s%x\n",
                  row.builder == Builder::Bits ? "ステータスコード = " : "エラーコード = ", row.code);
    const std::string expected = viaIconv(std::string(codeLine) + row.utf8);
    const std::string text = build(row);
    SCOPED_TRACE(codeLine);
    // The older library's title may be followed by its range and hint lines.
    if (row.builder == Builder::OlderA) {
      EXPECT_EQ(text.substr(0, expected.size()), expected);
    } else {
      EXPECT_EQ(text, expected);
    }
  }
}

TEST(Cp932Prefix, CountsLeadAndSingleBytes) {
  const std::string text = "a\xb1\x82\xa0z";  // half-width katakana is one byte
  EXPECT_EQ(cp932PrefixLength(text, 2), 2u);
  EXPECT_EQ(cp932PrefixLength(text, 3), 2u);
  EXPECT_EQ(cp932PrefixLength(text, 4), 4u);
  EXPECT_EQ(cp932PrefixLength(text, 100), 5u);
  EXPECT_EQ(cp932PrefixLength("\xe0", 5), 0u);  // a lone lead byte is dropped
}

}  // namespace
