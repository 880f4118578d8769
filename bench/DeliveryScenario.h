#pragma once
// notice_delivery: how long a notice takes from its insert in one process to the notice watch's
// finding in a host program (ardenta) running beside it, before any grouping of pop-ups. On
// PostgreSQL no datagram is sent: the board's announcement carries it. On SQLite it goes as the
// datagram on loopback, verified against the board. The baseline is the bare transport to this
// process: a subscribed connection, or a plain socket that gets the same datagram.

class BenchHome;
class Measurement;
struct ScenarioSetup;

void NoticeDelivery(const ScenarioSetup &setup, Measurement &m, const BenchHome &home);
