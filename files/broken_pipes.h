#pragma once

// Makes a write to a pipe or socket whose reader has gone fail with EPIPE,
// reported like any other failed write, instead of ending the program
// silently with SIGPIPE. Both programs call it first thing in main.
void IgnoreBrokenPipes();
