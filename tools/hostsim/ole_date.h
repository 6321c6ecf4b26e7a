// The simulator's own OLE Automation dates: days since 30 December 1899,
// the time of day as the fraction. Worked out here rather than taken from the
// plug-in, so that a calendar fault on one side cannot pass on both.
#pragma once

// A proleptic Gregorian date and time (fields already checked). Before
// 30 December 1899 the day counts down while the time still counts up from
// midnight, as OLE Automation has it: 29 December 1899 06:00 is -1.25.
double simulatorOleDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
