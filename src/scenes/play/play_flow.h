// Test hooks of the play scene's flow.
#pragma once

namespace playscene {

// What the first frame of a play calls to start the PlayWorker; the default starts the
// thread. Tests give their own and run the worker's passes themselves on a virtual clock.
// nullptr restores the default.
using WorkerStarter = void (*)();
void SetWorkerStarter(WorkerStarter starter);

}  // namespace playscene
