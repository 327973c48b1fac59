// The display lists compiled once at start-up.
#pragma once

// The attractor list, then the branch list (which reseeds with 8181).
void BuildDisplayLists();
