// The program's name (also the folder name of its installed contents and of
// its settings), its version and, in a git checkout, the source revision
// (`git describe`; empty otherwise). Written by the build.
// kInstalledContentsFromBin: where an installation keeps the contents, seen
// from the installed program's folder ("../share/<name>/contents").
#pragma once

extern const char kProgramName[];
extern const char kProgramVersion[];
extern const char kSourceRevision[];
extern const char kInstalledContentsFromBin[];
