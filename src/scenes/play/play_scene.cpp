#include "scenes/play/play_scene.h"

#include "scenes/play/play_field.h"

namespace playscene {

void PlaySceneFrame() {}

}  // namespace playscene
