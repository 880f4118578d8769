#pragma once
// The scenarios timed on a real screen (the xcb platform on the driver's Xvfb): the staff window
// opened by the host program from process start to its first painted row, against a bare Qt
// program; and paging down through it, step by step, against a bare table view.

#include <QString>

class BenchHome;
class Measurement;
struct ScenarioSetup;

bool NeedsScreen(const QString &scenario);

void StaffOpen(const ScenarioSetup &setup, Measurement &m, const BenchHome &home);
void StaffScroll(const ScenarioSetup &setup, Measurement &m);
