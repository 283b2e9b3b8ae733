#pragma once
#include "wizard/setup_sources.h"

// The real sources: private-profile INI reads, the registry, directory searches.
const SetupSources& SystemSources();
