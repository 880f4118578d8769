#pragma once
// The staff window's scenarios: loading the directory, saving every row or one cell, opening a
// row's history, and pasting a block of new rows.

#include "common/DBType.h"

class Measurement;
struct ScenarioSetup;

void StaffLoad(const ScenarioSetup &setup, Measurement &m);
// Saves every row in two fields as the dialect's session would.
void StaffSave(const ScenarioSetup &setup, Measurement &m, DBType dialect);
void StaffSaveOne(const ScenarioSetup &setup, Measurement &m);
// Needs a million rows of history: every thousandth on one staff row.
void HistoryOpen(const ScenarioSetup &setup, Measurement &m);
void StaffPaste(const ScenarioSetup &setup, Measurement &m);
