// The program Kodoban. Without arguments it starts on the song select; with a chart it goes
// straight into the play of that chart (see ParseCommandLine).
#include "app/app.h"

int main(int argc, char** argv) {
  const int parsed = app::ParseCommandLine(argc, argv);
  if (parsed != 0) return parsed == 1 ? 0 : 2;
  return app::RunGame();
}
