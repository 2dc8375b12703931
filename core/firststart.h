#ifndef FIRSTSTART_H
#define FIRSTSTART_H

#include <QString>

// The first start of this version: makes the data folder, carries the newest
// older data file over to the current name once it has been checked, or makes
// a new data file, each complete before it takes that name. When the folder,
// the data file in it or the older file's copy cannot be made, no data file is
// named, and the next start is a first start again. A file of another kind
// under the current name, or data waiting in its rollback copy, is named as it
// stands, and nothing is written into it.
void RunFirstStart();

// What the first start of this run could not do, or carried over.
struct FirstStartReport
{
    QString olderFile;   // an older data file that could not be carried over, for `cause`
    QString cause;       // why no data file was named; the data folder is at fault where no older file is
    QString carriedOver; // the older data file that was carried over
    int unreadableSecrets = 0; // the stored secrets in it that its keys do not open
};
const FirstStartReport& LastFirstStart();

#endif // FIRSTSTART_H
