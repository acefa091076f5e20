#include "backends/vendor_b/status_texts.h"

#include "status/message.h"

namespace vekmath {
namespace {

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

constexpr const char* kUnexpected = "エラー内容 = Unexpected error!";

}  // namespace

void setVendorBStatusText(uint32_t code) {
  const char* lines = findText(kVendorBTexts, code);
  StatusMessage(kCodeLabel, code).add(lines ? lines : kUnexpected).publish();
}

}  // namespace vekmath
