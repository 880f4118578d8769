#pragma once
// The notice board's scenarios: loading the board, a notice arriving in the open board, the
// notice search, and the broadcast to every user online.

class BenchHome;
class Measurement;
struct ScenarioSetup;

void NoticeLoad(const ScenarioSetup &setup, Measurement &m);
void NoticeUpdate(const ScenarioSetup &setup, Measurement &m);
void NoticeSearch(const ScenarioSetup &setup, Measurement &m);
void Broadcast(const ScenarioSetup &setup, Measurement &m, const BenchHome &home);
