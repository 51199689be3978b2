#pragma once

// Registers the icons and the English catalogue built into ravlo_core.
// Resources of a static library are only linked in when something calls this.
void initRavloResources();
