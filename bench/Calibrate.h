// SPDX-License-Identifier: GPL-3.0-or-later
// Remaking the saver table's quality levels (bench/run.sh calibrate).
#pragma once

#include <QByteArray>

// Searches each lossy format's setting at each level on every everyth photo
// of the medium set and checks the settings on all of them, printing the
// rows for the saver table; or, not searching, checks the table's settings
// the same way and measures whole photos at High and the encoders' speed
// through the program (self: this benchmark program). 3 when a level misses
// JPEG's distance by more than 10 % or a target is missed.
int RunCalibration(const QByteArray& self, const QByteArray& work, int every, bool searching);
