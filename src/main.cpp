// The program Kodoban. It takes no arguments.
#include "shell/app/app.h"

int main() { return app::RunGame(); }
