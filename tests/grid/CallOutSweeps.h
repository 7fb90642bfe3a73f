#pragma once

// The names of the entries of the sweeps that free the grid from its
// call-outs; the check of the grid's call-out sites finds each site's
// entries among them.

#include <map>
#include <string>
#include <vector>

namespace gridtest {

// The drawing events and hooks of a paint (test_tree_list_paint.cpp).
std::vector<std::string> PaintSweepNames();
// Events whose handler freeing the grid still reads it, with what goes
// wrong; the sweep leaves out that victim for them.
const std::map<std::string, std::string> &PaintSweepKnownFaults();

// The virtuals whose override frees the grid in the scene of
// test_tree_list_virtual_sweep.cpp, each as owner::member.
std::vector<std::string> VirtualSweepNames();
// The virtuals that scene reaches whose caller still reads the grid their
// override freed, with what goes wrong.
std::map<std::string, std::string> VirtualSweepKnownFaults();

} // namespace gridtest
