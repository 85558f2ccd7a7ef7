// The one lap timer every benchmark shares: a last counter reading and the frequency. Dialogs
// add up laps on a 1 ms timer; workers restart it to set the time base. The state is atomic,
// so a dialog's lap and a worker's restart never race.
#pragma once

namespace app {

// Reads the counter (and, on first use, the frequency) and stores the reading.
void lap_restart();
// Seconds since the previous reading; stores the new reading.
double lap_take();

}  // namespace app
