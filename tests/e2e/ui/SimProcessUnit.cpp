// The simulator runner shared with the simulator's own tests, compiled once into this program.
#include "vmusim/SimProcess.cpp"
