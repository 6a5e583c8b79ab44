#include "scenes/play/play_field.h"

namespace playscene {

void RunBackgroundScript(const FrameView&) {}
void DrawPlayField(const FrameView&) {}

}  // namespace playscene
