// The application's rows of the benchmark: the small and medium sets
// converted end to end by the windowed program (offscreen, copy-to folder
// stored, through its event loop) and by `tessaly --to`, beside the engine
// alone; and the longest event-loop gap while the large picture converts.
#pragma once

#include <QByteArray>

// self: this benchmark program, beside tessaly and tessaly_store_settings.
// Prints the table and the targets; 0 when all targets are met, 3 when one
// is missed, 1 when a run failed.
int RunApplicationBenchmark(const QByteArray& self, const QByteArray& work);
