#pragma once

// How a subreport asks its child report for pages: one page at a time, by
// its number among the child's pages. Between two of the subreport's
// requests the child's engine stays marked as generating, so that nothing
// else starts or resets its run midway; a child that stopped is reset.

namespace report {

class TppEngine;

// Generates child page aChildPageNo (from 1).
void ppRequestChildPage(TppEngine &aChildEngine, int aChildPageNo);

} // namespace report
