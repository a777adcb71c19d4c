// The commands of torva-fuzz. Each takes its own arguments (argv[0] is the
// command's name) and returns the program's exit status: 0 when no run
// failed, 1 when one did (the failing cases are kept), 2 on bad arguments.
#pragma once

// Random instances of every profile and shape, decided through the chosen
// paths and checked against the reference evaluator and enumeration.
int runRandomCampaign(int argc, char** argv);
// Random incremental sessions, by an incremental solver and by enumeration.
int runSessionCampaign(int argc, char** argv);
// Random call sequences of the C++ interface against a model of the solver.
int runApiCampaign(int argc, char** argv);
// Mutated inputs of one language run through a torva binary, each judged
// by the rules of fuzz/verdicts.h.
int runReaderFuzzing(int argc, char** argv);
