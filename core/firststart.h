#ifndef FIRSTSTART_H
#define FIRSTSTART_H

// The first start of this version: makes the data folder, carries the newest
// older data file over to the current name and creates the schema. When the
// folder cannot be made it stops there, and the next start is a first start again.
void RunFirstStart();

#endif // FIRSTSTART_H
