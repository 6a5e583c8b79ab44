#include "art.h"
#include "gen.h"

namespace themegen {

void GeneratePictures() {
  DrawPlayPictures();
  DrawStagePictures();
  DrawSelectPictures();
  DrawResultPictures();
  DrawIcon();
}

}  // namespace themegen
