// Heap allocations made through operator new so far in this program.
#pragma once

long AllocationCount();
