// SPDX-License-Identifier: GPL-3.0-or-later
// Timing contenders on a set of pictures: each converts the set into a
// folder of its own, in turns, several rounds over.
#pragma once

#include "Processes.h"
#include "Report.h"

#include <QByteArray>

#include <functional>
#include <vector>

struct Set {
    QByteArray label;
    QByteArray sources;
    QByteArray extension;
    int pictures = 0;
    double megapixels = 0;
};

// The set of the pictures in sources, converted into extension.
Set Describe(QByteArray label, QByteArray sources, QByteArray extension);

// One way of converting a set: a label and how to run it into a folder.
struct Contender {
    QByteArray label;
    std::function<ProcessRun(const Set&, const QByteArray& out)> run;
};

// Which of a contender's rounds its row shows: the fastest, or the middle
// one by time (a single slow or fast round moves it not at all).
enum class Pick { Fastest, Median };

// The round to show among rounds that took these seconds.
size_t PickedRound(const std::vector<double>& seconds, Pick pick);

// Runs the contenders in turn, repeats times over, so that load from other
// work on the machine falls on all of them alike. Each row shows the picked
// round's seconds, processor time and output bytes, and the highest peak
// memory of all rounds; a contender that failed in any round, or left a
// picture of the set without an output of the set's format, has a failed row
// whose seconds are not a number. Outputs go to folders under work (or
// to destinations[round]) and stay until every run of the set is done:
// removing files makes the file system slower to create the next ones, for
// whoever comes next.
std::vector<Row> Measure(const QByteArray& work, const Set& set,
                         const std::vector<Contender>& contenders, int repeats,
                         Pick pick = Pick::Fastest,
                         const std::vector<QByteArray>& destinations = {});
