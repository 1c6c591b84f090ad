#pragma once

// Converts the picture named by argv[1] into the tape image named by argv[2], with argv[3] as
// the optional screen name, printing the banner and a progress line before each stage.
// Returns 0 after a conversion. Every other outcome ends the process from within: status 0
// after the usage text, status 1 after a file problem.
int run_conversion(int argc, char** argv);
