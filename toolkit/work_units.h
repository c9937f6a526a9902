#pragma once

#include <cstddef>
#include <functional>

// Fixed units of work shared among a few threads. A unit's result must
// depend on the unit alone, never on which thread ran it or when: then the
// whole result is the same, bit for bit, whatever the number of threads.

// The threads worth starting here: the machine's hardware threads, at least
// 1 and at most 4.
int DefaultWorkers();

// Calls work(unit) once for every unit in [0, units), on up to `workers`
// threads, the calling one among them; returns when every unit is done,
// without waiting for a helper thread that has not yet started (it then finds
// nothing left and ends). Threads claim units in ascending order as they
// become free. A thread that cannot be created leaves its share to the
// others. An exception from work ends the claiming; the first one is
// rethrown here once every claimed unit is done.
void ForEachWorkUnit(std::size_t units, int workers, const std::function<void(std::size_t)>& work);
