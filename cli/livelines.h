#pragma once

#include "update/updateprogress.h"

#include <QMap>
#include <QString>
#include <QStringList>

// The live lines of what is under way (a line per camera, or per image of a fetch), fitted
// to a terminal: every line cut to its width, so that none wraps and the redraw (so many
// lines up, clear) stays in its place, and no more lines than its rows leave room for.
// With more lines than that, those furthest from done are shown, since the others will
// soon end with their result lines, and one more line counts the ones left out.
//
// A line is the name, then the step. Where it is too wide, the name gives up its start
// first (its end tells cards apart: ".../card-b"), down to a third of the width; then the
// line loses its end.
//
// It only chooses and cuts: the terminal's size comes from the caller.
class LiveLines
{
public:
    // The line for name: the step it is at, and how far its work is.
    void set(const QString &name, const QString &step, const UpdateProgress &progress);
    void remove(const QString &name);
    bool isEmpty() const { return lines.isEmpty(); }

    // What to draw on a terminal of that size, top to bottom, in the order of the names.
    QStringList fitted(int columns, int rows) const;

private:
    struct Line
    {
        QString step;
        double stepsDone = 0; // the phase's place in an update, plus the part of it done
    };
    QMap<QString, Line> lines;
};
