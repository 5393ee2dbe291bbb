// The scores of the three music loops. Each bar of a melody or chord line is
// written between bars "|" and holds 16 sixteenth-note steps; the last bar
// leads back into the first, so the loop runs on musically.
#include "music.h"

#include "song.h"

AudioBuffer MusicTitle() {
  const Song song{
      112, 16,
      // A bright, walking tune in C over a I-vi-IV-V progression.
      "E5:4 G5:4 C6:6 B5:2 | A5:4 G5:2 E5:2 C5:6 r:2 | F5:4 A5:4 C6:4 A5:2 F5:2 | G5:6 D5:2 G5:4 r:4 |"
      "E5:2 F5:2 G5:4 E5:2 G5:2 C6:4 | B5:2 A5:2 G5:4 E5:4 A5:4 | F5:4 D5:4 G5:4 B4:4 | C5:8 r:4 G4:2 A4:2 |"
      "C5:4 A4:2 C5:2 F5:4 E5:2 F5:2 | G5:4 D5:2 G5:2 B5:6 r:2 | B5:4 G5:4 C6:4 A5:4 | A5:2 G5:2 F5:4 D5:4 B4:4 |"
      "G5:2 E5:2 C5:2 E5:2 G5:4 C6:4 | E6:4 D6:2 C6:2 A5:8 | A5:4 C6:4 B5:4 D6:4 | C6:8 G5:2 F5:2 D5:4",
      "C:16 Am:16 F:16 G:16 C:16 Am:16 Dm:8 G:8 C:16 F:16 G:16 Em:8 Am:8 Dm:8 G:8 C:16 Am:16 F:8 G:8 C:8 G7:8",
      "R...R.F.R...O.F.",
      "..x...x...x...x.",
      "x.....x.....x...",
      "k.......k.k.....",
      "....s.......s...",
      "h.h.h.h.h.h.h.hh",
      "....s.......s.ss",
      0.2f, 0.04f, 0.035f, 101};
  return RenderSong(song);
}

AudioBuffer MusicGame() {
  const Song song{
      140, 24,
      // Quick eighth-note runs in G, a climbing middle part, then the theme
      // again pushed up an octave at the end.
      "D5:2 G5:2 B5:2 G5:2 D6:4 B5:2 G5:2 | E5:2 G5:2 B5:2 G5:2 E6:4 D6:2 B5:2 |"
      "C6:2 B5:2 A5:2 G5:2 E5:4 G5:2 C6:2 | D6:4 C6:2 B5:2 A5:6 r:2 |"
      "B5:2 A5:2 G5:2 A5:2 B5:4 D6:4 | E6:2 D6:2 B5:2 G5:2 E5:6 r:2 |"
      "C6:2 C6:2 B5:2 A5:2 D6:2 C6:2 B5:2 A5:2 | G5:6 r:2 D5:2 G5:2 A5:2 B5:2 |"
      "C6:4 E6:4 D6:2 C6:2 G5:4 | A5:4 D6:4 C6:2 B5:2 A5:4 | B5:4 D6:2 B5:2 F#5:4 A5:4 |"
      "G5:2 F#5:2 E5:2 F#5:2 G5:4 B5:4 | E6:4 D6:2 C6:2 B5:2 A5:2 G5:4 |"
      "F#5:2 G5:2 A5:2 B5:2 C6:2 D6:2 E6:2 F#6:2 | E6:4 C6:4 D6:4 A5:4 | G5:4 B5:4 A5:2 F#5:2 D5:4 |"
      "D5:2 G5:2 B5:2 G5:2 D6:4 B5:2 G5:2 | E5:2 G5:2 B5:2 G5:2 E6:4 D6:2 B5:2 |"
      "C6:2 B5:2 A5:2 G5:2 E5:4 G5:2 C6:2 | D6:4 E6:2 F#6:2 G6:6 r:2 | G6:2 F#6:2 D6:2 B5:2 G5:4 B5:4 |"
      "D#6:4 B5:4 E6:4 B5:4 | C6:2 E6:2 G6:2 E6:2 D6:2 F#6:2 A6:2 F#6:2 | G6:6 r:2 F#5:2 A5:2 C6:2 A5:2",
      "G:16 Em:16 C:16 D:16 G:16 Em:16 C:8 D:8 G:16 "
      "C:16 D:16 Bm:16 Em:16 C:16 D:16 Am:8 D:8 G:8 D:8 "
      "G:16 Em:16 C:16 D:16 G:16 B7:8 Em:8 C:8 D:8 G:8 D7:8",
      "R.R.O.R.R.R.O.F.",
      "..x...x...x..x.x",
      "",
      "k...k...k...k...",
      "....s.......s...",
      "h.hoh.h.h.hoh.hh",
      "....s.....s.ssss",
      0.17f, 0.03f, 0.0f, 202};
  return RenderSong(song);
}

AudioBuffer MusicClear() {
  const Song song{
      120, 16,
      // A proud little march in D with chimes doubling the tune.
      "A5:2 F#5:2 A5:2 D6:6 C#6:2 D6:2 | B5:4 G5:2 B5:2 D6:4 B5:4 | C#6:4 A5:2 C#6:2 E6:4 C#6:4 |"
      "D6:6 A5:2 F#5:4 r:4 | F#5:2 G5:2 A5:2 B5:2 D6:4 B5:4 | G5:2 A5:2 B5:2 D6:2 G6:4 D6:4 |"
      "E6:4 D6:2 B5:2 C#6:4 A5:4 | D6:8 r:4 A5:2 B5:2 | D6:4 B5:2 D6:2 G6:4 F#6:2 E6:2 |"
      "E6:4 C#6:2 E6:2 A6:4 G6:2 F#6:2 | F#6:4 C#6:4 D6:4 B5:4 | G6:4 F#6:2 E6:2 E6:4 C#6:4 |"
      "D6:2 F#6:2 A6:4 F#6:2 D6:2 A5:4 | B5:2 D6:2 G6:4 D6:2 B5:2 G5:4 | G5:4 B5:4 A5:4 C#6:4 |"
      "D6:8 r:4 G5:2 G#5:2",
      "D:16 G:16 A:16 D:16 Bm:16 G:16 Em:8 A:8 D:16 G:16 A:16 F#m:8 Bm:8 G:8 A:8 D:16 G:16 Em:8 A:8 D:8 A7:8",
      "R...F...R...F.O.",
      "x.x...x.x.x...x.",
      "..........x.x.x.",
      "k.......k.......",
      "....c.......c...",
      "hhhohhhohhhohhho",
      "....c.......s.ss",
      0.18f, 0.07f, 0.03f, 303};
  return RenderSong(song);
}
