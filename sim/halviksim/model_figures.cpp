#include "model_figures.h"

namespace halviksim {

int32_t serveModelFigure(Record& record, const Row& row, const FigureCodes& codes, int channels, int bits) {
  if (row.code == codes.channels || row.code == codes.channelsCommand) {
    record.write(row.layout.value, channels);
  } else if (row.code == codes.resolution || row.code == codes.resolutionCommand) {
    record.write(row.layout.value, bits);
  } else {
    record.write(row.layout.value, (bits + 7) / 8);
  }
  return 0;
}

}  // namespace halviksim
