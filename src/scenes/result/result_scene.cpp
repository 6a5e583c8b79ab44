// The result scene's frame: the entry work on the first frame, the drawing, and the way back
// to the song select once the closing iris and the save picture have played.
#include "scenes/result/result_scene.h"

#include "chart/chart.h"
#include "scenes/result/result_draw.h"
#include "scenes/result/result_state.h"
#include "shell/scene_change.h"
#include "shell/state.h"

namespace result {

namespace {
// The worker stops at its next round; this is only a bound in case the machine stalls it.
constexpr int kWorkerStopWaitMs = 100;
}  // namespace

void EnterResult() {
  ReleaseResultPictures();
  BeginResult(ReadPlayOutcome());
  RecordPlay(chart::TheChart);
  StartResultWorker();
}

bool LeaveResultIfDone(const ResultFrameTimes& times) {
  if (!times.leaving || times.sinceLeave < kLeaveMs) return false;
  CountPlayInGlobalStats();
  // The loader releases every sound: the worker must be gone before it starts.
  StopResultWorker(kWorkerStopWaitMs);
  ReleaseResultPictures();
  shell::SceneChange(shell::kSceneSongSelect, true);
  return true;
}

void ResultSceneFrame() {
  if (shell::SceneFrame == 1) EnterResult();
  ResultFrameTimes times = CurrentFrameTimes();
  if (times.leaving && times.sinceLeave > kLeaveMs) times.sinceLeave = kLeaveMs;
  DrawResultScreen(times);
  LeaveResultIfDone(times);
}

}  // namespace result
