#include "shell/launch.h"

namespace shell {

LaunchRequest Launch;

}  // namespace shell
