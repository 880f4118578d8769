#pragma once
// The benchmark's data: staff, notices and online users generated inside the database itself, so
// that even a million rows take seconds. Every value is deterministic, so both engines and every
// run see the same rows.

#include <QDate>
#include <QString>

namespace DataSets {

// Notices are 90 seconds apart, going back from this moment.
inline constexpr char NewestNotice[] = "2024-06-30 12:00:00";
inline constexpr int NoticeSpacingSeconds = 90;
inline constexpr int Publishers = 50;

// The search the benchmark runs: one publisher of fifty, over the newest week.
QString SearchPublisher();
QDate SearchFrom();
QDate SearchTo();

// Creates the schema (the module's own scripts) and fills the tables. Online users get the
// addresses 127.0.0.2 and up, nothing outside 127.0.0.0/8.
void Fill(const QString &connection, bool postgres, qint64 staff, qint64 notices, qint64 online);

// The loopback address of online user number i (1-based).
QString OnlineAddress(qint64 i);

} // namespace DataSets
