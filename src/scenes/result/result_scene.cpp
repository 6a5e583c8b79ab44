#include "scenes/result/result_scene.h"

namespace result {

void ResultSceneFrame() {}

}  // namespace result
