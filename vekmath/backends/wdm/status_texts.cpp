#include "backends/wdm/status_texts.h"

#include "status/message.h"

namespace vekmath {
namespace {

constexpr CodeText<uint32_t> kWdmInputTexts[] = {
    {0x10000, "エラー内容 = オーバーフロー\n"},
    {0x20000, "エラー内容 = サンプリングクロックエラー\n"},
    {0x40000, "エラー内容 = AD変換エラー\n"},
    {1, "デバイス動作中 : \n"},
    {2, "エラー内容 = 開始トリガ待ち\n"},
    {16, "エラー内容 = 指定個数以上データ格納\n"},
};
constexpr const char* kUnexpected = "エラー内容 = Unexpected error!";

}  // namespace

void setWdmStatusText(int32_t code, const char* detail) {
  StatusMessage(kCodeLabel, static_cast<uint32_t>(code)).add(kDetailLabel).addCp932(detail).publish();
}

void setWdmInputStatusText(uint32_t status) {
  const char* line = findText(kWdmInputTexts, status);
  StatusMessage("ステータスコード = ", status).add(line ? line : kUnexpected).publish();
}

}  // namespace vekmath
