#ifndef FIRSTSTART_H
#define FIRSTSTART_H

#include <QString>

// The first start of this version: makes the data folder, carries the newest
// older data file over to the current name and creates the schema. When the
// folder, the data file in it or the older file's copy cannot be made, no data
// file is named, and the next start is a first start again. A file of another
// kind under the current name is named as it stands, and nothing is written
// into it.
void RunFirstStart();

// An older data file that the first start of this run could not carry over,
// with the cause; both empty when there was none.
struct MigrationFailure
{
    QString olderFile;
    QString cause;
};
const MigrationFailure& LastMigrationFailure();

#endif // FIRSTSTART_H
