// Message texts of the library's own status codes.
#include "status/status_texts.h"

namespace vekmath {
namespace {

constexpr CodeText<int32_t> kOwnTexts[] = {
    {kStatusParameter, "エラー内容 = パラメータエラー。\nSetupSamplingのパラメータが異常です\n"},
    {kStatusClock,
     "エラー内容 = 下記の条件が成り立っていません。\n"
     "サンプリングクロック　≧　スキャンクロック　×　取り込みチャネル数　＋　１(μsec)\n"},
    {kStatusDaqmxMissing,
     "エラー内容 = Ruk635,Ruk634,Ruk657,Ruk656で必要なDLLがロードできません。\n"
     "必要なライブラリ(DAQmx)がインストールされているかを確認してください。\n"},
    {kStatusBcc, "エラー内容 = BCCが異常です。\n"},
    {kStatusComPort,
     "エラー内容 = COMポートがオープンできません。\n"
     "正しいCOMポートが指定されているかを確認してください。\n"},
    {kStatusReplyFormat,
     "エラー内容 = 受信データフォーマットエラー(Ruk904)\n"
     "コマンドは受け付けられましたが、戻り値のフォーマットが異常です。\n"},
    {kStatusReplyStatus,
     "エラー内容 = ステータスエラー\n"
     "コマンドは受け付けられましたが、戻り値のステータスが0x21ではありません。\n"},
    {kStatusLoggerFile,
     "エラー内容 = ファイル作成エラー\n"
     "メモリへのファイル作成ができません。ロガーのメモリを初期化してください。\n"},
    {kStatusRingLength,
     "エラー内容 = ファイル作成エラー\n"
     "メモリへのファイル作成ができません。ロガーのメモリを初期化してください。\n"},
};
constexpr const char* kOwnOther = "エラー内容 = その他のエラー";

constexpr CodeText<StepText> kStepTexts[] = {
    {StepText::SamplingConfigured, "サンプリング条件設定　：　正常終了\n"},
};

}  // namespace

void setOwnStatusText(int32_t status) {
  const char* lines = findText(kOwnTexts, status);
  StatusMessage(kCodeLabel, static_cast<uint32_t>(status)).add(lines ? lines : kOwnOther).publish();
}

void setStepText(StepText step) { publishPlainText(findText(kStepTexts, step)); }

}  // namespace vekmath
