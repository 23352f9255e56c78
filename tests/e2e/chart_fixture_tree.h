// The tree of the option-combination fixture, for the tests that chart it in other ways.
#pragma once

#include "e2e_support.h"

// Makes folder "t" with about 300 folders and 2,700 files, up to 7 levels below it, names of
// every kind (bytes that are no UTF-8, control characters, Japanese); dot-folders and dot-files;
// a link to a folder and a dangling link. The same tree on every run.
void MakeFixtureTree(TempTree& tree);
