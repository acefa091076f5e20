// Message texts of the status codes.
//
// The texts are written here in UTF-8 and turned into CP932 when a message
// is built; failures are rare, so no converted copy is kept.
#include "status/status_texts.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "vekmath.h"

namespace vekmath {
namespace {

template <typename Code>
struct CodeText {
  Code code;
  const char* text;
};

constexpr CodeText<int32_t> kOwnTexts[] = {
    {30000, "エラー内容 = パラメータエラー。\nSetupSamplingのパラメータが異常です\n"},
    {30007,
     "エラー内容 = 下記の条件が成り立っていません。\n"
     "サンプリングクロック　≧　スキャンクロック　×　取り込みチャネル数　＋　１(μsec)\n"},
    {30009,
     "エラー内容 = Ruk635,Ruk634,Ruk657,Ruk656で必要なDLLがロードできません。\n"
     "必要なライブラリ(DAQmx)がインストールされているかを確認してください。\n"},
    {30010, "エラー内容 = BCCが異常です。\n"},
    {30011,
     "エラー内容 = COMポートがオープンできません。\n"
     "正しいCOMポートが指定されているかを確認してください。\n"},
    {30012,
     "エラー内容 = 受信データフォーマットエラー(Ruk904)\n"
     "コマンドは受け付けられましたが、戻り値のフォーマットが異常です。\n"},
    {30013,
     "エラー内容 = ステータスエラー\n"
     "コマンドは受け付けられましたが、戻り値のステータスが0x21ではありません。\n"},
    {30014,
     "エラー内容 = ファイル作成エラー\n"
     "メモリへのファイル作成ができません。ロガーのメモリを初期化してください。\n"},
    {30015,
     "エラー内容 = ファイル作成エラー\n"
     "メモリへのファイル作成ができません。ロガーのメモリを初期化してください。\n"},
};
constexpr const char* kOwnOther = "エラー内容 = その他のエラー";

constexpr CodeText<uint32_t> kWdmInputTexts[] = {
    {0x10000, "エラー内容 = オーバーフロー\n"},
    {0x20000, "エラー内容 = サンプリングクロックエラー\n"},
    {0x40000, "エラー内容 = AD変換エラー\n"},
    {1, "デバイス動作中 : \n"},
    {2, "エラー内容 = 開始トリガ待ち\n"},
    {16, "エラー内容 = 指定個数以上データ格納\n"},
};
constexpr const char* kUnexpected = "エラー内容 = Unexpected error!";

#define VEKMATH_FILE_ACCESS_LINE \
  "ファイルアクセス時に何らかのエラーが発生しました。データファイルに以上がないかご確認ください。\n"

constexpr CodeText<uint32_t> kVendorBTexts[] = {
    {0, "正常終了 : The operation was successfully completed.\n"},
    {0xC0000001,
     "エラー内容 = The specified device could not be found.\n"
     "指定されたデバイスが見つかりませんでした。指定しているデバイス名が存在するかどうかを確認してください。\n"},
    {0xC0000002,
     "エラー内容 = Failed to open the device.\n"
     "デバイスのオープン時に何らかのエラーが発生しました。ドライバの内部作業領域の確保に失敗したなど。\n"},
    {0xC0000003,
     "エラー内容 = The specified device handle is invalid.\n"
     "不正なデバイスハンドルで呼び出しを行おうとしました。オープン関数で返されたデバイスハンドルを使用してください。\n"},
    {0xC0000004,
     "エラー内容 = The device has already been opened.\n"
     "既にオープンされているデバイスをオープンしようとしました。\n"},
    {0xC0000009,
     "エラー内容 = This function is not supported.\n"
     "ボードがサポートしていない機能を制御する関数です。\n"},
    {0xC0001001,
     "エラー内容 = The sampling is running.\n"
     "サンプリング実行中に再度サンプリングを実行しようとしました。サンプリング実行中に実行できない関数を呼び出そうとしました。\n"},
    {0xC0001002,
     "エラー内容 = The sampling has been stopped.\n"
     "サンプリング停止中に実行できない関数を呼び出そうとしました。\n"},
    {0xC0001003,
     "エラー内容 = The sampling could not be done.\n"
     "サンプリングを実行できませんでした"},
    {0xC0001004,
     "エラー内容 = The time-out interval elapsed while the sampling is running.\n"
     "サンプリング中においてタイムアウトが発生しました"},
    {0xC0001005, "サンプリング周波数が正しくありません。ボード仕様以上のサンプリング周波数が設定された。\n"},
    {0xC0001021,
     "エラー内容 = The parameters are invalid.\n"
     "引数の値が不正です。引数の値が指定範囲外です。\n"},
    {0xC0001022,
     "エラー内容 = Sampling request conditions are invalid.\n"
     "サンプリング設定値が正しくありません。サンプリング設定に矛盾があります。\n"},
    {0xC0001023,
     "エラー内容 = A null pointer is specified.\n"
     "サンプリングデータ領域の指定にNULLを指定しました。データ変換関数において、データ変換元となるデータへのポインタがNULLで"
     "指定された。変換後のデータを返すためのポインタがNULLで指定された。\n"},
    {0xC0001024,
     "エラー内容 = Failed to retrieve the sampled data.\n"
     "まだ、サンプリングが行われていないのでサンプリングデータの取得ができませんでした。サンプリングバッファがクリアされているので"
     "サンプリングデータが取得できませんでした。\n"},
    {0xC0001041,
     "エラー内容 = Failed to open the file.\n"
     "ファイルのパス名が存在しません。存在しないドライブを指定しました。\n"},
    {0xC0001042, "エラー内容 = Failed to close the file.\n" VEKMATH_FILE_ACCESS_LINE},
    {0xC0001043, "エラー内容 = Failed to read data from the file.\n" VEKMATH_FILE_ACCESS_LINE},
    {0xC0001044, "エラー内容 = Failed to write data to the file.\n" VEKMATH_FILE_ACCESS_LINE},
    {0xC0001061,
     "エラー内容 = The data format is invalid.\n"
     "データ形式が無効です。データ形式をご確認ください。\n"},
    {0xC0001062,
     "エラー内容 = The specified averaging or smoothing is invalid.\n"
     "平均またはスムージングの回数が0またはデータ件数を超えている。平均またはスムージングが指定されているのにも関わらず、"
     "平均またはスムージングの件数が0に指定された。\n"},
    {0xC0001063,
     "エラー内容 = Source data to convert is invalid.\n"
     "データ変換元のアドレス指定箇所などに間違いがないかご確認ください。\n"},
    {0xC0001081,
     "エラー内容 = Failed to allocate memory.\n"
     "ドライバ内部で作業するためのメモリの確保に失敗しました。\n"},
    {0xC0001082,
     "エラー内容 = Failed to load DLL.\n"
     "DLLのロードに失敗しました。DLLが見つかりませんでした。\n"},
    {0xC0001083,
     "エラー内容 = Failed to call DLL.\n"
     "DLL呼び出し時にサポートしていない機能を制御する関数です。\n"},
};
#undef VEKMATH_FILE_ACCESS_LINE

// Title lines only; a code without a row gets the code line alone.
constexpr CodeText<int32_t> kOlderVendorATexts[] = {
    {0, "エラー内容 = 正常終了\n"},
    {1, "エラー内容 = ドライバ番号指定エラー\n"},
    {2, "エラー内容 = ドライバオープンエラー\n"},
    {3, "エラー内容 = グループ番号指定エラー\n"},
    {5, "エラー内容 = スレッドオープンエラー\n"},
    {12, "エラー内容 = メッセージ値の設定エラー\n"},
    {16, "エラー内容 = PCIバス対応ボードのBoardIDの設定エラー\n"},
    {17, "エラー内容 = PCIバス対応ボードのBoardID重複エラー\n"},
    {768, "エラー内容 = ボード異常エラー\n"},
    {769, "エラー内容 = 論理チャネル番号指定エラー\n"},
    {770, "エラー内容 = チャネル数指定エラー\n"},
    {771, "エラー内容 = 関数実行中エラー\n"},
    {772, "エラー内容 = サンプリングモード指定エラー\n"},
    {773, "エラー内容 = サンプリング回数指定エラー\n"},
    {774, "エラー内容 = サンプリングクロック指定エラー\n"},
    {775, "エラー内容 = 割り込み要因指定エラー\n"},
    {776, "エラー内容 = バッファメモリ形式指定エラー\n"},
    {777, "エラー内容 = スキャンクロック指定エラー\n"},
    {778, "エラー内容 = 変換データ形式指定エラー\n"},
    {779, "エラー内容 = リピート回数指定エラー\n"},
    {780, "エラー内容 = トリガディレイ回数、遅延サンプリング回数指定エラー\n"},
    {781, "エラー内容 = 外部信号タイプ指定エラー\n"},
    {782, "エラー内容 = 比較チャネル番号指定エラー\n"},
    {783, "エラー内容 = 比較データ指定エラー\n"},
    {784, "エラー内容 = トリガモード指定エラー\n"},
    {785, "エラー内容 = サンプリング番号指定エラー\n"},
    {815, "エラー内容 = サンプリング番号指定エラー\n"},
    {786, "エラー内容 = 取得するサンプリングの回数指定エラー\n"},
    {787, "エラー内容 = ゲイン設定単位の指定エラー\n"},
    {788, "エラー内容 = ゲイン設定チャネル指定エラー\n"},
    {789, "エラー内容 = ゲイン設定値指定エラー\n"},
    {790, "エラー内容 = デジタル機能指定エラー\n"},
    {791, "エラー内容 = XanStop実行エラー\n"},
    {800, "エラー内容 = XanSts実行エラー\n"},
    {801, "エラー内容 = ＡＤ機能使用エラー\n"},
    {802, "エラー内容 = ＤＡ機能使用エラー\n"},
    {803, "エラー内容 = ＤＡ変換データ個数指定エラー\n"},
    {804, "エラー内容 = ＤＡ変換リピート回数指定エラー\n"},
    {805, "エラー内容 = ＡＤ，ＤＡタイマモード指定エラー\n"},
    {806, "エラー内容 = ＡＤ，ＤＡタイマデータ指定エラー\n"},
    {807, "エラー内容 = ゲイン機能使用エラー\n"},
    {808, "エラー内容 = ＤＩ機能使用エラー\n"},
    {809, "エラー内容 = ＤＯ機能使用エラー\n"},
    {810, "エラー内容 = レンジ機能使用エラー\n"},
    {811, "エラー内容 = 出力レンジの論理チャネル番号指定エラー\n"},
    {812, "エラー内容 = 出力レンジコード指定エラー\n"},
    {813, "エラー内容 = 出力レンジのチャネル個数指定エラー\n"},
    {814, "エラー内容 = XanInpBdMemサンプリングモード指定エラー\n"},
    {821, "エラー内容 = デジタル入出力ポート番号指定エラー\n"},
    {822, "エラー内容 = カウンタ番号指定範囲エラー\n"},
    {823, "エラー内容 = カウンタ設定データ指定範囲エラー\n"},
    {824, "エラー内容 = ゲートオープン重複エラー\n"},
    {825, "エラー内容 = カウンタ機能指定エラー\n"},
    {826, "エラー内容 = XanIsDataReady関数は使用できません。\n"},
    {827, "エラー内容 = メモリの確保ができません。\n"},
    {848, "エラー内容 = AD変換に失敗しました。\n"},
    {849, "エラー内容 = DA変換に失敗しました。\n"},
    {1280, "エラー内容 = ドライバ内部エラーです。インフォメーションセンターまでご相談ください。\n"},
    {10000, "エラー内容 = レンジモード指定エラー\n"},
    {10001, "エラー内容 = レンジタイプ指定エラー\n"},
    {10002, "エラー内容 = レンジ設定チャネル指定エラー\n"},
    {10003, "エラー内容 = XanSetRange、XanGetRangeで設定したレンジが設定範囲外です。\n"},
};

// Where the older library raised the code, the allowed range and what to
// check, after the title line.
#define VEKMATH_BDMEM "対象関数 = XanInpBdMem\n"
constexpr CodeText<int32_t> kOlderVendorAHints[] = {
    {1, "対象関数 = XanOpen\n設定範囲(0 ≦ドライバ番号≦30 )\n"},
    {2, "対象関数 = XanOpen\nドライバが組み込まれているか、ボードの設定を確認してください。\n"},
    {3, "対象関数 = XanOpen\n設定範囲(1 ≦グループ番号≦16 )\n"},
    {769, VEKMATH_BDMEM "設定範囲(0 ≦論理チャネル番号≦入力チャネル数－１ )\n"},
    {770, VEKMATH_BDMEM "設定範囲(1 ≦チャネル数≦入力チャネル数 )\n"},
    {771, VEKMATH_BDMEM "サンプリング実行中です。XanStopで停止してから実行してください。\n"},
    {772, VEKMATH_BDMEM "設定範囲(0 ≦サンプリングモード≦4 )\n"},
    {773, VEKMATH_BDMEM "設定範囲(1 ≦サンプリング回数≦16777215 )\n"},
    {774, VEKMATH_BDMEM "設定範囲(サンプリングクロック ≧ (スキャンクロック＋１)×チャネル数－１ )\n"},
    {777, VEKMATH_BDMEM "ボードの種類ごとのスキャンクロックの設定範囲を確認してください。\n"},
    {785, "対象関数 = XanReadBuf\n取得済みデータの範囲内のサンプリング番号を指定してください。\n"},
    {786, "対象関数 = XanReadBuf\n設定範囲(1 ≦取得するサンプリングの回数≦取得済みの回数 )\n"},
    {791, "対象関数 = XanStop\nサンプリングが実行されていません。\n"},
    {800, "対象関数 = XanSts\nボードの状態を取得できません。ボードの設定を確認してください。\n"},
    {827, "ドライバ内部で作業するためのメモリが不足しています。\n"},
};
#undef VEKMATH_BDMEM

constexpr const char* kInitialText = "この変数に状態を表す文字列を設定してください。";

template <typename Code, std::size_t N>
const char* find(const CodeText<Code> (&table)[N], Code code) {
  auto it = std::find_if(std::begin(table), std::end(table), [code](const CodeText<Code>& e) { return e.code == code; });
  return it == std::end(table) ? nullptr : it->text;
}

std::string toCp932(const char* utf8) {
  int wide = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (wide <= 0) return {};
  std::u16string buffer(static_cast<std::size_t>(wide), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, buffer.data(), wide);
  int bytes = WideCharToMultiByte(932, 0, buffer.data(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(932, 0, buffer.data(), -1, out.data(), bytes, nullptr, nullptr);
  out.pop_back();  // the terminator
  return out;
}

// One message under construction, in CP932.
class Message {
 public:
  Message(const char* label, uint32_t code) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%x", code);
    text_ = toCp932(label);
    text_ += digits;
    text_ += '\n';
  }
  Message& add(const char* utf8) {
    if (utf8 != nullptr) text_ += toCp932(utf8);
    return *this;
  }
  Message& addCp932(const char* bytes) {
    if (bytes != nullptr) text_ += bytes;
    return *this;
  }
  void publish();

 private:
  std::string text_;
};

struct MessageBuffer {
  std::mutex lock;
  char bytes[kMessageBufferSize] = {};
  MessageBuffer() { store(toCp932(kInitialText)); }
  // Caller holds the lock (or is the constructor).
  void store(const std::string& text) {
    std::size_t length = cp932PrefixLength(text, kMessageBufferSize - 1);
    std::memcpy(bytes, text.data(), length);
    std::memset(bytes + length, 0, kMessageBufferSize - length);
  }
};

MessageBuffer& messageBuffer() {
  static MessageBuffer buffer;
  return buffer;
}

void Message::publish() {
  MessageBuffer& buffer = messageBuffer();
  std::lock_guard<std::mutex> guard(buffer.lock);
  buffer.store(text_);
}

constexpr const char* kCodeLabel = "エラーコード = ";
constexpr const char* kDetailLabel = "エラー内容 = ";

}  // namespace

std::size_t cp932PrefixLength(const std::string& text, std::size_t limit) {
  std::size_t end = 0;
  while (end < text.size()) {
    std::size_t width = IsDBCSLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1;
    // A lead byte cut off by the end of the text is no character either.
    if (end + width > limit || end + width > text.size()) break;
    end += width;
  }
  return end;
}

void setOwnStatusText(int32_t status) {
  const char* lines = find(kOwnTexts, status);
  Message(kCodeLabel, static_cast<uint32_t>(status)).add(lines ? lines : kOwnOther).publish();
}

void setNiStatusText(int32_t code, const char* detail) {
  Message(kCodeLabel, static_cast<uint32_t>(code)).add(kDetailLabel).addCp932(detail).publish();
}

void setWdmStatusText(int32_t code, const char* detail) {
  Message(kCodeLabel, static_cast<uint32_t>(code)).add(kDetailLabel).addCp932(detail).publish();
}

void setWdmInputStatusText(uint32_t status) {
  const char* line = find(kWdmInputTexts, status);
  Message("ステータスコード = ", status).add(line ? line : kUnexpected).publish();
}

void setVendorBStatusText(uint32_t code) {
  const char* lines = find(kVendorBTexts, code);
  Message(kCodeLabel, code).add(lines ? lines : kUnexpected).publish();
}

void setOlderVendorAStatusText(int32_t code) {
  Message(kCodeLabel, static_cast<uint32_t>(code))
      .add(find(kOlderVendorATexts, code))
      .add(find(kOlderVendorAHints, code))
      .publish();
}

std::string messageText() {
  MessageBuffer& buffer = messageBuffer();
  std::lock_guard<std::mutex> guard(buffer.lock);
  return std::string(buffer.bytes, strnlen(buffer.bytes, kMessageBufferSize));
}

void copyMessageBuffer(char* out) {
  if (out == nullptr) return;
  MessageBuffer& buffer = messageBuffer();
  std::lock_guard<std::mutex> guard(buffer.lock);
  std::memcpy(out, buffer.bytes, kMessageBufferSize);
}

}  // namespace vekmath

DLL_EXPORT void WINAPI GetErrorText(char* text) { vekmath::copyMessageBuffer(text); }
