#pragma once

// reportdemo on the screen device: every requested page drawn at 100 %
// into PNG files, or the preview window a person pages through.

#include <QString>

namespace report {
class TppPageRequest;
class TppReport;
} // namespace report

namespace reportdemo {

// "out.png" and page 3 give "out-3.png"; a name without ".png" gets it.
QString PagePngName(const QString &aBase, int aPageNo);

// Draws the requested pages through a screen device without a window and
// writes each to PagePngName(aBase, its number). False with a message when
// a file cannot be written; generation errors pass through.
bool RenderPagesToPng(report::TppReport &aReport, const report::TppPageRequest &aRequest, const QString &aBase,
                      QString &aError);

} // namespace reportdemo
