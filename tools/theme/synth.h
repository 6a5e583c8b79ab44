// Instruments shared by the theme sounds and the demo songs. Each adds one note into a
// buffer at a frame position; `wrap` makes notes that run past the end continue at the
// start, so that loop files join seamlessly.
#pragma once
#include "audio.h"

namespace themegen {

struct NoteOpts {
  float gain = 0.5f;
  float pan = 0.0f;
  bool wrap = false;
};

// Low, round drum-face hit.
void AddDon(Audio& a, size_t at, NoteOpts o, float pitch = 1.0f);
// Short, bright rim hit.
void AddKat(Audio& a, size_t at, NoteOpts o, float pitch = 1.0f);
void AddKick(Audio& a, size_t at, NoteOpts o);
void AddSnare(Audio& a, size_t at, NoteOpts o, uint32_t seed);
void AddHat(Audio& a, size_t at, NoteOpts o, uint32_t seed, bool open = false);
void AddClap(Audio& a, size_t at, NoteOpts o, uint32_t seed);
// Pitched voices; duration in seconds.
void AddBass(Audio& a, size_t at, double midi, double dur, NoteOpts o);
void AddLead(Audio& a, size_t at, double midi, double dur, NoteOpts o, int timbre = 0);
void AddPad(Audio& a, size_t at, double midi, double dur, NoteOpts o);
void AddBell(Audio& a, size_t at, double midi, double dur, NoteOpts o);
void AddBrass(Audio& a, size_t at, double midi, double dur, NoteOpts o);
void AddNoiseSweep(Audio& a, size_t at, double dur, NoteOpts o, bool up, uint32_t seed);

}  // namespace themegen
