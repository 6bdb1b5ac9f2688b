// SPDX-License-Identifier: GPL-3.0-or-later
// Remaking the saver table's quality levels (bench/run.sh calibrate).
#pragma once

#include <QByteArray>

enum class CalibrationPart {
    Search, // the settings matching JPEG's distance at each level
    Check,  // the table's settings measured the same way, then Tools
    Levels, // the table's settings measured only
    Tools,  // the bytes at High and the encoders' speed only
};

// Searches each lossy format's setting at each level on every everyth whole
// photo of the medium set, printing the rows for the saver table; or measures
// the table's settings the same way, the bytes of whole photos at High
// through the program (self: this benchmark program) and the encoders' speed
// against their own tools. 3 when a level misses JPEG's distance by more than
// 10 % or a target is missed.
int RunCalibration(const QByteArray& self, const QByteArray& work, int every, CalibrationPart part);
