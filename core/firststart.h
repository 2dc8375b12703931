#ifndef FIRSTSTART_H
#define FIRSTSTART_H

// The first start of this version: makes the data folder, carries the newest
// older data file over to the current name and creates the schema. When the
// folder or the data file in it cannot be made, no data file is named, and the
// next start is a first start again.
void RunFirstStart();

#endif // FIRSTSTART_H
