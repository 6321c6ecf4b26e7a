// Resource identifiers of Stats.dll.
#pragma once

#define IDI_STATS 110
