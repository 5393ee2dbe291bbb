// The program's name (also the folder name of its installed contents and of
// its settings), its version and, in a git checkout, the source revision
// (`git describe`; empty otherwise). Written by the build.
#pragma once

extern const char kProgramName[];
extern const char kProgramVersion[];
extern const char kSourceRevision[];
