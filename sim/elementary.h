// sin, cos, atan2 and acos for the simulation, the same bits on every build.
//
// The C libraries of our two builds disagree in the last bit of these functions for a few in
// ten arguments (the desktop's glibc and the browser build's libc). Rounded to float as the
// simulation stores them, the results almost always agree, but a single differing bit would
// split a replay's worlds, so the simulation calls these instead: one implementation,
// compiled into both builds, in plain double arithmetic that every IEEE-754 target rounds
// alike (the core is compiled without contracting a*b+c into fused multiply-adds).
// sqrt needs no copy: IEEE-754 fixes its result to the bit.
#pragma once

namespace vantrel::elementary {

double sin(double x);
double cos(double x);
double atan2(double y, double x);
double acos(double x);

}  // namespace vantrel::elementary
