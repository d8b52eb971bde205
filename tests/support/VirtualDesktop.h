#pragma once

namespace test {

// Runs the test program's tests inside a Wine virtual desktop of 1024x768,
// which offers a range of display modes (a bare X display offers one).
// Call it from main: the first call starts the program again inside the
// desktop and returns that run's exit code; inside the desktop it runs the
// tests and returns their result.
int runTestsInVirtualDesktop(int argc, char** argv);

} // namespace test
