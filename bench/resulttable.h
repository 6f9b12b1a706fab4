#pragma once

#include <QString>
#include <QVector>

// One line of the benchmark table: what the updater did, what it is compared with,
// and whether the figure meets its target.
struct ResultRow
{
    QString what;
    QString updater;
    QString reference;
    QString figure; // the ratio or value the target is about
    QString target;
    bool met = false;
    bool measured = true; // false: could not run here, reason in updater
    bool hasTarget = true; // false: a figure that explains others
};

class ResultTable
{
public:
    void add(const ResultRow &row) { rows.append(row); }
    void addSkipped(const QString &what, const QString &target, const QString &why);
    // Plain text for the terminal, and Markdown for the README.
    QString text() const;
    QString markdown() const;
    bool allMet() const;

private:
    QVector<ResultRow> rows;
};

// nproc, CPU model and memory of this machine, on one line.
QString machineDescription();
