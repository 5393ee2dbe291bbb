// A log of what happened in a run, for the whole-program tests: when the
// environment variable TIDE_TEST_EVENTS names a file, each event appends one
// line to it ("scene title", "round end 12345", ...), so a test can wait for
// a scene or a round's end however briefly it lasts, instead of catching it on
// a screenshot. A browser page's hook (Module.onTestEvent) gets each line too.
//
// Thread rules: any thread; lines are written whole, one at a time, and reach
// the file before the call returns.
#pragma once

// Appends one line, printf-style, without its newline.
void TestEvent(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
