#pragma once
// The staff window saving at a fixed cadence while its primary stops and the standby is
// promoted, each run on a pair of servers of its own.

class BenchHome;
class Measurement;
struct ScenarioSetup;

void Failover(const ScenarioSetup &setup, Measurement &m, const BenchHome &home);
