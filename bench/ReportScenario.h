#pragma once
// report_pdf: the staff list report laid out and written as PDF, as the preview window's Export
// does, against a fetch of the same rows and their strings drawn bare.

class BenchHome;
class Measurement;
struct ScenarioSetup;

void ReportPdf(const ScenarioSetup &setup, Measurement &m, const BenchHome &home);
